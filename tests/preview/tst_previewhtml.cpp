#include "Application.h"
#include "EngineModule.h"
#include "FakeBrowser.h"
#include "PreviewHTML.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<bool>)

namespace {
using Reads = QList<std::optional<bool>>;
using Events = QList<bool>;
} // namespace

class TestPreviewHTML : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void construction();
    void controlDataAndEvents();
    void busyWatcher_data();
    void busyWatcher();
    void watcherNeedsTheWindow();
    void watcherBelongsToTheOwnerAndStopsFirst();
    void interfaceKeptAndRetried();
    void navigateNeverPassesFailuresOn();
    void unusableEngineModule_data();
    void unusableEngineModule();

private:
    QStringList m_errors;
};

void TestPreviewHTML::init()
{
    m_errors.clear();
    Application::setErrorHandlerForTests([this](const QString &m) { m_errors << m; });
}

void TestPreviewHTML::cleanup()
{
    Application::setErrorHandlerForTests({});
}

void TestPreviewHTML::construction()
{
    FakeBrowserFactory fakes;
    TPreviewHTML html(nullptr, fakes.factory());
    QCOMPARE(html.size(), QSize(200, 200));
    QCOMPARE(html.About().size(), 6);
    const QStringList about = html.About();
    html.setAbout({u"something else"_s});
    QCOMPARE(html.About(), about);
    QVERIFY(!html.LastBusy());
    QCOMPARE(html.BusyTimer(), nullptr);
    // Nothing starts a browser before it is needed.
    QCOMPARE(fakes.made, 0);
    html.setHomepage(u"http://www.example.com/"_s);
    html.setSearchpage(u"http://www.example.com/search"_s);
    QCOMPARE(html.Homepage(), u"http://www.example.com/"_s);
    QCOMPARE(html.Searchpage(), u"http://www.example.com/search"_s);
}

void TestPreviewHTML::controlDataAndEvents()
{
    const TControlData &data = TPreviewHTML::ControlData();
    QCOMPARE(data.ClassID, QUuid(u"{EAB22AC3-30C1-11CF-A7EB-0000C05BAE0B}"_s));
    QCOMPARE(data.EventIID, QUuid(u"{EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}"_s));
    QCOMPARE(data.EventCount, 2);
    QCOMPARE(data.EventDispIDs[0], 100);
    QCOMPARE(data.EventDispIDs[1], 101);
    QCOMPARE(data.Version, 300u);

    FakeBrowserFactory fakes;
    const int before = data.InstanceCount;
    auto html = std::make_unique<TPreviewHTML>(nullptr, fakes.factory());
    QCOMPARE(data.InstanceCount, before + 1);
    QStringList seen;
    html->OnBeforeNavigate = [&](QObject *sender) {
        QCOMPARE(sender, html.get());
        seen << u"before"_s;
    };
    html->OnAfterNavigate = [&](QObject *) { seen << u"after"_s; };
    html->NavigateTo(u"/tmp/x.html"_s);
    fakes.last->deliverEvent(100);
    fakes.last->deliverEvent(102);
    fakes.last->deliverEvent(101);
    QCOMPARE(seen, (QStringList{u"before"_s, u"after"_s}));
    html.reset();
    QCOMPARE(data.InstanceCount, before);
}

void TestPreviewHTML::busyWatcher_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<bool>("handler");
    QTest::addColumn<Events>("events");
    QTest::addColumn<bool>("lastBusy");
    QTest::addColumn<int>("errors");
    QTest::newRow("idle from the first tick")
        << 3 << Reads{false, false, false} << true << Events{} << false << 0;
    QTest::newRow("busy, then idle")
        << 3 << Reads{true, true, true, false, false} << true << Events{true, false} << false << 0;
    QTest::newRow("no handler, state still followed")
        << 1 << Reads{true, true} << false << Events{} << true << 0;
    // The second read decides, even when it takes the change back.
    QTest::newRow("second read differs")
        << 1 << Reads{true, false} << true << Events{false} << false << 0;
    QTest::newRow("failed read") << 2 << Reads{std::nullopt, false} << true << Events{} << false
                                 << 1;
    QTest::newRow("failed second read")
        << 1 << Reads{true, std::nullopt} << true << Events{} << false << 1;
}

void TestPreviewHTML::busyWatcher()
{
    QFETCH(int, ticks);
    QFETCH(Reads, reads);
    QFETCH(bool, handler);
    QFETCH(Events, events);
    QFETCH(bool, lastBusy);
    QFETCH(int, errors);

    FakeBrowserFactory fakes;
    QWidget owner;
    auto *html = new TPreviewHTML(&owner, fakes.factory());
    html->NavigateTo(u"/tmp/x.html"_s);
    owner.show();
    html->BusyTimer()->stop(); // the test ticks by hand
    for (const auto &r : reads)
        fakes.last->busyReads.enqueue(r);
    Events seen;
    if (handler) {
        html->OnStatusBusyChange = [&](QObject *sender, bool busy) {
            QCOMPARE(sender, html);
            seen << busy;
        };
    }
    for (int i = 0; i < ticks; ++i)
        html->BusyTimerTick();
    QCOMPARE(seen, events);
    QCOMPARE(html->LastBusy(), lastBusy);
    QCOMPARE(m_errors.size(), errors);
    QVERIFY(fakes.last->busyReads.isEmpty());
}

void TestPreviewHTML::watcherNeedsTheWindow()
{
    FakeBrowserFactory fakes;
    TPreviewHTML html(nullptr, fakes.factory());
    html.NavigateTo(u"/tmp/x.html"_s);
    fakes.last->steady = true;
    html.BusyTimerTick();
    QCOMPARE(fakes.last->reads, 0);
    QVERIFY(!html.LastBusy());
}

void TestPreviewHTML::watcherBelongsToTheOwnerAndStopsFirst()
{
    FakeBrowserFactory fakes;
    QWidget owner;
    auto *html = new TPreviewHTML(&owner, fakes.factory());
    owner.show();
    QPointer<QTimer> timer = html->BusyTimer();
    QVERIFY(timer);
    QCOMPARE(timer->parent(), &owner);
    QCOMPARE(timer->interval(), 100);
    QVERIFY(timer->isActive());
    // Hidden again, the watcher goes on.
    owner.hide();
    QVERIFY(timer->isActive());
    // A second showing makes no second watcher.
    owner.show();
    QCOMPARE(html->BusyTimer(), timer.data());
    QCOMPARE(owner.findChildren<QTimer *>(Qt::FindDirectChildrenOnly).size(), 1);
    delete html;
    QVERIFY(!timer);
}

void TestPreviewHTML::interfaceKeptAndRetried()
{
    FakeBrowserFactory fakes;
    fakes.failFirst = 1;
    TPreviewHTML html(nullptr, fakes.factory());
    QCOMPARE(html.GetBrowserInterface(), nullptr);
    IWebBrowser *browser = html.GetBrowserInterface();
    QVERIFY(browser);
    QCOMPARE(html.GetBrowserInterface(), browser);
    QCOMPARE(fakes.made, 2);
}

void TestPreviewHTML::navigateNeverPassesFailuresOn()
{
    FakeBrowserFactory fakes;
    fakes.failFirst = 1;
    TPreviewHTML html(nullptr, fakes.factory());
    const QVariant empty;
    // No control: Navigate says so, NavigateTo keeps quiet.
    QVERIFY(!html.Navigate(u"/a.html"_s, empty, empty, empty, empty));
    html.NavigateTo(u"/b.html"_s);
    QVERIFY(fakes.last);
    fakes.last->refuse = true;
    QVERIFY(html.Navigate(u"/c.html"_s, empty, empty, empty, empty));
    html.NavigateTo(QString());
    QCOMPARE(fakes.last->navigated, (QStringList{u"/b.html"_s, u"/c.html"_s, QString()}));
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestPreviewHTML)
void TestPreviewHTML::unusableEngineModule_data()
{
    QTest::addColumn<QByteArray>("module"); // the file's content; empty: no file
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QString::fromLatin1(EngineModuleName);
    QTest::newRow("not a library") << QByteArray("junk") << QString::fromLatin1(EngineModuleName);
}

// Without a usable engine the preview says why and stays empty; the program goes on.
void TestPreviewHTML::unusableEngineModule()
{
    QFETCH(QByteArray, module);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    if (!module.isEmpty()) {
        QFile file(dir.filePath(QString::fromLatin1(EngineModuleName)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(module);
    }
    TPreviewHTML html(nullptr, EngineFactory(dir.path()));
    html.show();
    html.NavigateTo(u"/nonexistent.html"_s);
    QCOMPARE(html.BrowserView(), nullptr);
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().startsWith(u"プレビューを表示できません。"_s), qPrintable(m_errors.first()));
    QVERIFY2(m_errors.first().contains(reason), qPrintable(m_errors.first()));
    // Asked again, it tries again and says so again.
    html.NavigateTo(u"/nonexistent.html"_s);
    QCOMPARE(m_errors.size(), 2);
}

#include "tst_previewhtml.moc"
