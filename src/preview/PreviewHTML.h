#pragma once

#include "WebBrowser.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

// What the control host needs to know about a browser control class: which control to
// make, which of its events to deliver and in which order they map to the event handlers.
struct TControlData {
    QUuid ClassID;
    QUuid EventIID;
    int EventCount;
    std::array<int, 2> EventDispIDs;
    quint32 Flags;
    quint32 Version;
    int FontCount;
    int PictureCount;
    quint32 Reserved;
    int InstanceCount; // kept by the host
};

using TNotifyEvent = std::function<void(QObject *Sender)>;
using THTMLStatusBusyChange = std::function<void(QObject *Sender, bool Busy)>;

// A form component that shows an HTML file in the browser control. The control is made when
// it is first needed, so a program that never previews never starts a web engine.
class TPreviewHTML final : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewHTML(QWidget *owner = nullptr, BrowserFactory factory = {});
    ~TPreviewHTML() override;

    // Event handlers, in the order of the control data's event ids.
    TNotifyEvent OnBeforeNavigate;
    TNotifyEvent OnAfterNavigate;
    THTMLStatusBusyChange OnStatusBusyChange;

    // Credits; read-only, an assignment changes nothing.
    const QStringList &About() const { return m_about; }
    void setAbout(const QStringList &) { }
    QString Homepage() const { return m_homepage; }
    void setHomepage(const QString &text) { m_homepage = text; }
    QString Searchpage() const { return m_searchpage; }
    void setSearchpage(const QString &text) { m_searchpage = text; }

    // Which control to make; takes effect only before the control has been made.
    void setBrowserFactory(BrowserFactory factory) { m_factory = std::move(factory); }

    // The widget the control draws in; null until the control has been made.
    QWidget *BrowserView() const { return m_control ? m_control->view() : nullptr; }

    bool LastBusy() const { return m_lastBusy; }
    QTimer *BusyTimer() const { return m_busyTimer; }

    // The browser's automation interface, made on first use and then kept. Null when the
    // control could not be made; the next call tries again.
    IWebBrowser *GetBrowserInterface();
    // False only when the interface could not be obtained; the browser's own refusal of the
    // address is dropped.
    bool Navigate(const QString &url, const QVariant &flags, const QVariant &targetFrameName,
        const QVariant &postData, const QVariant &headers);
    // Navigate with nothing but the address; never reports a failure.
    void NavigateTo(const QString &url);
    // One poll of the busy watcher.
    void BusyTimerTick();

    static TControlData &ControlData();
    // The host's delivery of a browser event, by dispatch id.
    void DispatchEvent(int dispid);
    // Whether the component's window exists.
    bool HandleAllocated() const;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateWnd();
    TBrowserControl *control();

    BrowserFactory m_factory;
    std::unique_ptr<TBrowserControl> m_control;
    QStringList m_about;
    QString m_searchpage;
    bool m_lastBusy = false;
    QPointer<QTimer> m_busyTimer;
    QString m_homepage;
    IWebBrowser *m_browserInterface = nullptr;
    bool m_windowCreated = false;
};
