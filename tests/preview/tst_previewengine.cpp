#include "PreviewHTML.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
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
    TPreviewHTML html;
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
    bool waitLoaded()
    {
        return QTest::qWaitFor([this] { return finished > 0; }, 20000);
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
    void hostilePageDoesNothing();
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

void TestPreviewEngine::hostilePageDoesNothing()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString base = u"http://127.0.0.1:%1/"_s.arg(listener.serverPort());
    QTemporaryDir dir;
    const QString secret = dir.filePath(u"secret.txt"_s);
    {
        QFile f(secret);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("TOP-SECRET-LINE");
    }
    const QString page = dir.filePath(u"hostile.html"_s);
    {
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QString html = uR"(<html><head><title>harmless</title>
<meta http-equiv="refresh" content="0;url=%1refresh">
<link rel="stylesheet" href="%1style.css">
<script>document.title = "script ran"; location = "%1script"; window.open("%1popup");</script>
</head><body>
<img src="%1image.png"><img src="file://%2">
<iframe src="file://%2"></iframe><iframe src="%1frame"></iframe>
<object data="%1object"></object>
<p>list</p></body></html>)"_s.arg(base, secret);
        f.write(html.toUtf8());
    }

    Loaded loaded(page);
    QVERIFY(loaded.waitLoaded());
    // Give a refresh, a late image or a script every chance to act.
    QTest::qWait(1500);
    QCOMPARE(loaded.page()->title(), u"harmless"_s);
    QCOMPARE(loaded.page()->url(), QUrl::fromLocalFile(page));
    QVERIFY(!listener.hasPendingConnections());
    QVERIFY(!listener.waitForNewConnection(0));
    QVERIFY(!loaded.text().contains(u"TOP-SECRET"_s));
}

QTEST_MAIN(TestPreviewEngine)
#include "tst_previewengine.moc"
