#include "WebEngineBrowser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

QUrl withoutFragment(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

// Addresses a bookmark may point at that are safe to give to the desktop's browser. A file
// or an unknown scheme could start a program, so those stay where they are.
bool opensInDesktopBrowser(const QUrl &url)
{
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
        QStringLiteral("ftp"), QStringLiteral("mailto")};
    return url.isValid() && schemes.contains(url.scheme().toLower());
}

// A page that a link asks to open in a new window: the address goes to the desktop's
// browser instead, and the page goes away.
class LinkCatcherPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool) override
    {
        if (type == NavigationTypeLinkClicked && opensInDesktopBrowser(url))
            QDesktopServices::openUrl(url);
        deleteLater();
        return false;
    }
};

} // namespace

// Lets through the one file being shown and the images that bookmark files carry inline;
// everything else, network and other local files alike, is refused before it starts.
class PreviewInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    QUrl allowed;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        const bool ok = url.scheme() == QLatin1String("data")
            || (allowed.isValid() && withoutFragment(url) == allowed);
        info.block(!ok);
    }
};

class PreviewPage final : public QWebEnginePage {
public:
    PreviewPage(QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent)
    {
    }
    QUrl allowed;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        const bool sameFile = withoutFragment(url) == allowed;
        if (type == NavigationTypeLinkClicked) {
            // A jump within the list stays here; any other link is the person's choice to
            // visit that address, in their own browser.
            if (sameFile && isMainFrame)
                return true;
            if (opensInDesktopBrowser(url))
                QDesktopServices::openUrl(url);
            return false;
        }
        // Our own load of the file, or a reload of it. Redirects, refreshes, form posts and
        // frames that lead elsewhere go nowhere.
        return sameFile && isMainFrame;
    }

    QWebEnginePage *createWindow(WebWindowType) override
    {
        return new LinkCatcherPage(profile(), this);
    }
};

WebEngineBrowser::WebEngineBrowser(QWidget *parent)
    // A profile without a storage name is off the record: nothing is written to disk.
    : m_profile(new QWebEngineProfile(parent))
    , m_view(new QWebEngineView(parent))
    , m_interceptor(new PreviewInterceptor(m_profile))
    , m_page(new PreviewPage(m_profile, m_view))
{
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    m_profile->setUrlRequestInterceptor(m_interceptor);

    QWebEngineSettings *s = m_page->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    // The preview sits beside the main window; loading a file must not take its focus.
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // Addresses the engine cannot show itself (mailto:, unknown schemes) come to the page's
    // navigation check only when a person clicked them; that check lets through mail and web
    // addresses alone, to the desktop's browser. Without a click they go nowhere.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);

    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    QObject::connect(m_page, &QWebEnginePage::loadStarted, m_view, [this] {
        m_busy = true;
        if (deliverEvent)
            deliverEvent(DISPID_BEFORENAVIGATE);
    });
    QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view, [this] {
        m_busy = false;
        if (deliverEvent)
            deliverEvent(DISPID_NAVIGATECOMPLETE);
    });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page must go before its profile.
    delete m_view;
    delete m_profile;
}

QWidget *WebEngineBrowser::view()
{
    return m_view;
}

bool WebEngineBrowser::Navigate(
    const QString &url, const QVariant &, const QVariant &, const QVariant &, const QVariant &)
{
    // The preview shows local files only: a path, or a file: address.
    QUrl target;
    if (!url.isEmpty()) {
        const QUrl asUrl(url);
        target
            = asUrl.isLocalFile() ? asUrl : QUrl::fromLocalFile(QFileInfo(url).absoluteFilePath());
    }
    if (target.isEmpty())
        target = QUrl(QStringLiteral("about:blank"));
    target = withoutFragment(target);
    m_page->allowed = target;
    m_interceptor->allowed = target;
    m_page->load(target);
    return true;
}

std::unique_ptr<TBrowserControl> WebEngineBrowser::create(QWidget *parent)
{
    return std::make_unique<WebEngineBrowser>(parent);
}
