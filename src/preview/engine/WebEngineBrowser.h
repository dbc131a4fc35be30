#pragma once

#include "WebBrowser.h"

#include <QUrl>

class QWebEngineProfile;
class QWebEngineView;
class PreviewPage;
class PreviewInterceptor;

// The browser control on Qt WebEngine, made safe for HTML of unknown origin: no page script,
// no network, no local file but the one shown, nothing kept on disk, no new windows, and no
// navigation away from the file. A person's click on a link opens it in the desktop's browser.
class WebEngineBrowser final : public TBrowserControl {
public:
    explicit WebEngineBrowser(QWidget *parent);
    ~WebEngineBrowser() override;

    bool Navigate(const QString &url, const QVariant &flags, const QVariant &targetFrameName,
        const QVariant &postData, const QVariant &headers) override;
    std::optional<bool> Busy() override { return m_busy; }
    QWidget *view() override;

    // The program's own control.
    static std::unique_ptr<TBrowserControl> create(QWidget *parent);

private:
    QWebEngineProfile *m_profile;
    QWebEngineView *m_view;
    PreviewInterceptor *m_interceptor;
    PreviewPage *m_page;
    bool m_busy = false;
};
