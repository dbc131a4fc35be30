#include "PreviewHTML.h"

#include "Application.h"
#include "EngineModule.h"

#include <QEvent>
#include <QTimer>

TControlData &TPreviewHTML::ControlData()
{
    static TControlData data{
        QUuid(QStringLiteral("{EAB22AC3-30C1-11CF-A7EB-0000C05BAE0B}")),
        QUuid(QStringLiteral("{EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}")),
        2,
        {DISPID_BEFORENAVIGATE, DISPID_NAVIGATECOMPLETE},
        0,
        300,
        0,
        0,
        0,
        0,
    };
    return data;
}

TPreviewHTML::TPreviewHTML(QWidget *owner, BrowserFactory factory)
    : QWidget(owner)
    , m_factory(factory ? std::move(factory) : EngineFactory())
{
    ++ControlData().InstanceCount;
    resize(200, 200);
    m_about = {
        QStringLiteral("TPreviewHTML: bookmark preview control"),
        QStringLiteral("Version 1.20"),
        QStringLiteral("The Vantrelle developers"),
        QStringLiteral("1-1 Example Street"),
        QStringLiteral("Example City 000-0000"),
        QStringLiteral("E-mail: vantrelle@example.net"),
    };
}

TPreviewHTML::~TPreviewHTML()
{
    // No tick may run on a half-destroyed component.
    if (m_busyTimer) {
        m_busyTimer->stop();
        delete m_busyTimer.data();
    }
    m_browserInterface = nullptr;
    m_control.reset();
    --ControlData().InstanceCount;
}

TBrowserControl *TPreviewHTML::control()
{
    if (!m_control) {
        m_control = m_factory(this);
        if (!m_control)
            return nullptr;
        m_control->deliverEvent = [this](int dispid) { DispatchEvent(dispid); };
        if (QWidget *view = m_control->view()) {
            view->setGeometry(rect());
            view->show();
        }
    }
    return m_control.get();
}

IWebBrowser *TPreviewHTML::GetBrowserInterface()
{
    if (!m_browserInterface)
        m_browserInterface = control();
    return m_browserInterface;
}

bool TPreviewHTML::Navigate(const QString &url, const QVariant &flags,
    const QVariant &targetFrameName, const QVariant &postData, const QVariant &headers)
{
    IWebBrowser *browser = GetBrowserInterface();
    if (!browser)
        return false;
    browser->Navigate(url, flags, targetFrameName, postData, headers);
    return true;
}

void TPreviewHTML::NavigateTo(const QString &url)
{
    const QVariant empty;
    Navigate(url, empty, empty, empty, empty);
}

void TPreviewHTML::DispatchEvent(int dispid)
{
    const TControlData &data = ControlData();
    const TNotifyEvent *handlers[] = {&OnBeforeNavigate, &OnAfterNavigate};
    for (int i = 0; i < data.EventCount; ++i) {
        if (data.EventDispIDs[std::size_t(i)] == dispid) {
            if (*handlers[i])
                (*handlers[i])(this);
            return;
        }
    }
}

bool TPreviewHTML::HandleAllocated() const
{
    return m_windowCreated && testAttribute(Qt::WA_WState_Created);
}

bool TPreviewHTML::event(QEvent *e)
{
    const bool result = QWidget::event(e);
    if (e->type() == QEvent::Show && !m_windowCreated)
        CreateWnd();
    return result;
}

void TPreviewHTML::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (m_control && m_control->view())
        m_control->view()->setGeometry(rect());
}

// The component's window exists from its first showing on; from then the busy watcher runs,
// on a timer that belongs to the component's owner, also while the window is hidden.
void TPreviewHTML::CreateWnd()
{
    m_windowCreated = true;
    if (m_busyTimer)
        return;
    m_busyTimer = new QTimer(parent() ? parent() : this);
    m_busyTimer->setInterval(100);
    connect(m_busyTimer, &QTimer::timeout, this, &TPreviewHTML::BusyTimerTick);
    m_busyTimer->start();
}

void TPreviewHTML::BusyTimerTick()
{
    if (!HandleAllocated())
        return;
    // Reading the state never starts the engine; with no control there is nothing loading.
    if (!m_control)
        return;
    std::optional<bool> busy = m_control->Busy();
    if (busy && *busy == m_lastBusy)
        return;
    if (busy)
        busy = m_control->Busy();
    if (!busy) {
        Application::showError(QStringLiteral("ブラウザの状態を読み取れません。"));
        return;
    }
    m_lastBusy = *busy;
    if (OnStatusBusyChange)
        OnStatusBusyChange(this, m_lastBusy);
}
