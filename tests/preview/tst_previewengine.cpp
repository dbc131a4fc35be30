#include "EngineModule.h"
#include "PreviewHTML.h"

#include <QApplication>
#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

QString dataFile(const QString &name)
{
    return qEnvironmentVariable("VANTRELLE_TEST_DATA") + u"/preview/"_s + name;
}

// The real browser control with a file loaded into it.
struct Loaded {
    // The engine module as the program loads it, from the build's program folder.
    TPreviewHTML html{nullptr, EngineFactory(QStringLiteral(VANTRELLE_ENGINE_DIR))};
    int finished = 0;

    explicit Loaded(const QString &path)
    {
        html.resize(400, 300);
        html.OnAfterNavigate = [this](QObject *) { ++finished; };
        html.show();
        html.NavigateTo(path);
    }
    QWebEnginePage *page() const
    {
        return qobject_cast<QWebEngineView *>(html.BrowserView())->page();
    }
    bool waitLoaded(int ms = 20000)
    {
        return QTest::qWaitFor([this] { return finished > 0; }, ms);
    }
    QString text()
    {
        QString result;
        bool done = false;
        page()->toPlainText([&](const QString &t) {
            result = t;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return u"<no text>"_s;
        return result;
    }
};

} // namespace

class TestPreviewEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rendersBookmarkFiles_data();
    void rendersBookmarkFiles();
    void hostilePageDoesNothing_data();
    void hostilePageDoesNothing();
    void bigAndDeepFiles_data();
    void bigAndDeepFiles();
    void linkClickGoesToTheDesktop_data();
    void linkClickGoesToTheDesktop();
};

void TestPreviewEngine::rendersBookmarkFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("UTF-8") << u"utf8.html"_s << u"ブックマーク"_s;
    QTest::newRow("Shift_JIS") << u"sjis.html"_s << u"ブックマーク（シフトJIS）"_s;
}

void TestPreviewEngine::rendersBookmarkFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QVERIFY2(QFile::exists(dataFile(file)), qPrintable(dataFile(file)));
    Loaded loaded(dataFile(file));
    QVERIFY(loaded.waitLoaded());
    // The engine may report an earlier, empty document finished first.
    QTRY_COMPARE_WITH_TIMEOUT(loaded.page()->title(), title, 20000);
    const QString text = loaded.text();
    QVERIFY2(text.contains(u"例のページ"_s) && text.contains(u"ニュース速報"_s), qPrintable(text));
}

namespace {

// Records what the page hands to the desktop's browser.
class DesktopBrowser : public QObject {
    Q_OBJECT
public:
    DesktopBrowser()
    {
        for (const QString &scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
    ~DesktopBrowser() override
    {
        for (const QString &scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void openUrl(const QUrl &url) { opened << url; }

private:
    const QStringList schemes{u"http"_s, u"https"_s, u"ftp"_s, u"mailto"_s, u"file"_s};
};

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(text), text.size());
}

// A PNG image 1 x 20000 pixels: laid out, it makes the page far taller than its text.
QByteArray tallImage()
{
    QImage image(1, 20000, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

void TestPreviewEngine::hostilePageDoesNothing_data()
{
    // %1: an address on a listener of the test's own; %2: a folder beside the page's, with
    // secret.txt, tall.png, tall.css (which makes the page 20000 px tall) and peek.html (which
    // calls the listener). A page that reads a local file grows tall or calls the listener.
    QTest::addColumn<QString>("body");
    QTest::newRow("meta refresh") << uR"(<meta http-equiv="refresh" content="0;url=%1refresh">)"_s;
    QTest::newRow("script sets location") << uR"(<script>location = "%1script";</script>)"_s;
    QTest::newRow("window.open") << uR"(<script>window.open("%1popup");</script>)"_s;
    QTest::newRow("XHR of a local file") << uR"(<script>
        var x = new XMLHttpRequest(); x.open("GET", "file://%2/secret.txt", false); x.send();
        document.body.style.height = (x.responseText.length * 1000) + "px";
        document.title = x.responseText;</script>)"_s;
    QTest::newRow("fetch of a local file") << uR"(<script>
        fetch("file://%2/secret.txt").then(r => r.text()).then(t => {
            document.title = t; document.body.style.height = "20000px"; });</script>)"_s;
    QTest::newRow("local frame, image and style")
        << uR"(<iframe src="file://%2/peek.html"></iframe><object data="file://%2/peek.html">
        </object><img src="file://%2/tall.png"><link rel="stylesheet" href="file://%2/tall.css">)"_s;
    QTest::newRow("images, styles, fonts") << uR"(<link rel="stylesheet" href="%1style.css">
        <style>@import url(%1import.css); body { background: url(%1bg.png) }
        @font-face { font-family: f; src: url(%1font.woff) } p { font-family: f }</style>
        <img src="%1image.png"><img srcset="%1set.png 2x"><svg><image href="%1svg.png"/></svg>
        <video src="%1video.mp4" autoplay></video><audio src="%1audio.mp3" autoplay></audio>)"_s;
    QTest::newRow("prefetch and beacons") << uR"(<link rel="prefetch" href="%1prefetch">
        <link rel="preload" href="%1preload" as="image"><link rel="preconnect" href="%1">
        <link rel="dns-prefetch" href="%1"><link rel="icon" href="%1favicon.ico">
        <script>navigator.sendBeacon("%1beacon", "x");</script>)"_s;
    QTest::newRow("frames and embeds") << uR"(<iframe src="%1frame"></iframe>
        <object data="%1object"></object><embed src="%1embed"><frameset><frame src="%1f">
        </frameset>)"_s;
    QTest::newRow("base address") << uR"(<base href="%1"><img src="relative.png">)"_s;
}

// A bookmark file can come from anywhere: whatever it asks for, the preview shows it and does
// nothing else. Scripts are off, but the pages are written as if they were not, so that a
// script that ran would show.
void TestPreviewEngine::hostilePageDoesNothing()
{
    QFETCH(QString, body);
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString base = u"http://127.0.0.1:%1/"_s.arg(listener.serverPort());
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"other"_s));
    const QString other = dir.filePath(u"other"_s);
    writeText(other + u"/secret.txt"_s, "TOP-SECRET-LINE");
    writeText(other + u"/tall.png"_s, tallImage());
    writeText(other + u"/tall.css"_s, "body { min-height: 20000px }");
    writeText(other + u"/peek.html"_s,
        u"<img src=\"%1peek.png\"><script>location = \"%1peek\";</script>"_s.arg(base).toUtf8());
    const QString page = dir.filePath(u"hostile.html"_s);
    writeText(page,
        (u"<html><head><title>harmless</title></head><body><p>list</p>"_s
            + QString(body).replace(u"%1"_s, base).replace(u"%2"_s, other)
            + u"</body></html>"_s)
            .toUtf8());

    DesktopBrowser desktop;
    Loaded loaded(page);
    const auto windows = QApplication::topLevelWidgets().size();
    QVERIFY(loaded.waitLoaded());
    // Give a refresh, a late image or a timer every chance to act.
    QTest::qWait(1000);
    QCOMPARE(loaded.page()->title(), u"harmless"_s);
    QCOMPARE(loaded.page()->url(), QUrl::fromLocalFile(page));
    QVERIFY2(loaded.page()->contentsSize().height() < 5000,
        qPrintable(QString::number(loaded.page()->contentsSize().height())));
    QVERIFY(!listener.hasPendingConnections());
    QCOMPARE(desktop.opened, QList<QUrl>{});
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
}

void TestPreviewEngine::bigAndDeepFiles_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("lastTitle");
    // 50 MB as browsers export it: every bookmark with its icon inline.
    const QByteArray icon = "data:image/png;base64," + QByteArray(1000, 'A');
    QByteArray big = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    big.reserve(51 << 20);
    int n = 0;
    while (big.size() < 50 << 20) {
        big += "<DT><A HREF=\"https://www.example.org/" + QByteArray::number(n) + "\" ICON=\""
            + icon + "\">ブックマーク " + QByteArray::number(n) + "</A>\n";
        ++n;
    }
    big += "<DT><A HREF=\"https://www.example.org/last\">last</A>\n</DL><p>\n";
    QTest::newRow("50 MB") << big << u"Bookmarks"_s;
    QByteArray deep = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Deep</TITLE>\n";
    for (int i = 0; i < 20000; ++i)
        deep += "<DL><p><DT><H3>folder</H3>\n";
    deep += "<DT><A HREF=\"https://www.example.org/\">bottom</A>\n";
    for (int i = 0; i < 20000; ++i)
        deep += "</DL><p>\n";
    QTest::newRow("20000 folders deep") << deep << u"Deep"_s;
}

// Files far beyond any real list load, and the program answers and goes on afterwards.
void TestPreviewEngine::bigAndDeepFiles()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, lastTitle);
    QTemporaryDir dir;
    const QString page = dir.filePath(u"big.html"_s);
    writeText(page, html);
    html.clear();
    Loaded loaded(page);
    bool answered = false;
    QTimer::singleShot(0, [&answered] { answered = true; });
    QVERIFY(loaded.waitLoaded(180000));
    QVERIFY(answered);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.page()->title(), lastTitle, 60000);
    const QString small = dir.filePath(u"small.html"_s);
    writeText(small, "<title>small</title><p>after</p>");
    loaded.finished = 0;
    loaded.html.NavigateTo(small);
    QVERIFY(loaded.waitLoaded(60000));
    QTRY_COMPARE_WITH_TIMEOUT(loaded.page()->title(), u"small"_s, 20000);
}

void TestPreviewEngine::linkClickGoesToTheDesktop_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("handedOver");
    QTest::newRow("http") << u"href=\"http://www.example.org/a\""_s << true;
    QTest::newRow("mailto") << u"href=\"mailto:vt@example.net\""_s << true;
    QTest::newRow("mailto, new window")
        << u"href=\"mailto:vt@example.net\" target=\"_blank\""_s << true;
    QTest::newRow("new window") << u"href=\"https://www.example.org/b\" target=\"_blank\""_s
                                << true;
    QTest::newRow("local file") << u"href=\"file:///etc/passwd\""_s << false;
    QTest::newRow("script") << u"href=\"javascript:document.title='ran'\""_s << false;
    QTest::newRow("unknown scheme") << u"href=\"vnd.example:run\""_s << false;
}

// A person's click on a link opens the address in the desktop's browser, and only web and
// mail addresses; the preview stays on the file.
void TestPreviewEngine::linkClickGoesToTheDesktop()
{
    QFETCH(QString, link);
    QFETCH(bool, handedOver);
    QTemporaryDir dir;
    const QString page = dir.filePath(u"links.html"_s);
    writeText(page,
        (u"<html><head><title>links</title></head><body style=\"margin:0\"><a "_s + link
            + u" style=\"display:block;width:400px;height:300px\">link</a></body></html>"_s)
            .toUtf8());
    DesktopBrowser desktop;
    Loaded loaded(page);
    QVERIFY(loaded.waitLoaded());
    QTRY_COMPARE_WITH_TIMEOUT(loaded.page()->title(), u"links"_s, 20000);
    auto *view = qobject_cast<QWebEngineView *>(loaded.html.BrowserView());
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    QWidget *target = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 50));
    if (handedOver) {
        QTRY_COMPARE_WITH_TIMEOUT(desktop.opened.size(), 1, 20000);
    } else {
        QTest::qWait(1000);
        QCOMPARE(desktop.opened, QList<QUrl>{});
    }
    QCOMPARE(loaded.page()->url(), QUrl::fromLocalFile(page));
    QCOMPARE(loaded.page()->title(), u"links"_s);
}

QTEST_MAIN(TestPreviewEngine)
#include "tst_previewengine.moc"
