#include "FakeBrowser.h"
#include "PreviewHost.h"
#include "preview.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPreviewForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formDescription();
    void closeButtonLeft_data();
    void closeButtonLeft();
    void showAppliesTheMainWindowsGeometry();
    void movesAndResizesAreKept();
    void closeHidesAndKeepsThePage();
    void loadBookmarkNavigatesEveryTime();
};

void TestPreviewForm::formDescription()
{
    TPreviewHost host;
    FakeBrowserFactory fakes;
    TPreviewForm form(&host, fakes.factory());
    QCOMPARE(form.windowTitle(), u"PreviewForm"_s);
    QCOMPARE(form.objectName(), u"PreviewForm"_s);
    // Never shown, the window keeps its designed bounds.
    QCOMPARE(
        QRect(form.Left(), form.Top(), form.Width(), form.Height()), QRect(435, 138, 288, 401));
    QCOMPARE(form.CloseBt->text(), u"閉じる"_s);
    QCOMPARE(form.CloseBt->size(), QSize(76, 25));
    QCOMPARE(form.CloseBt->y(), 8);
    QCOMPARE(form.Panel1->height(), 45);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.testAttribute(Qt::WA_QuitOnClose));

    // Shown: the bar lies along the bottom and the browser fills the rest.
    host.PreviewLeft = 435;
    host.PreviewTop = 138;
    host.PreviewWidth = 288;
    host.PreviewHeight = 401;
    form.show();
    QCOMPARE(form.Panel1->geometry(), QRect(0, form.height() - 45, form.width(), 45));
    QCOMPARE(form.Preview1->geometry(), QRect(0, 0, form.width(), form.height() - 45));
    QCOMPARE(form.CloseBt->x(), CloseButtonLeft(form.width()));
    // Only the engine's first use starts it.
    QCOMPARE(fakes.made, 0);
}

void TestPreviewForm::closeButtonLeft_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("left");
    QTest::newRow("280") << 280 << 102;
    QTest::newRow("281") << 281 << 102;
    QTest::newRow("0") << 0 << -38;
    QTest::newRow("-3") << -3 << -39;
    QTest::newRow("600") << 600 << 262;
}

void TestPreviewForm::closeButtonLeft()
{
    QFETCH(int, panel);
    QFETCH(int, left);
    QCOMPARE(CloseButtonLeft(panel), left);
}

void TestPreviewForm::showAppliesTheMainWindowsGeometry()
{
    TPreviewHost host;
    host.PreviewLeft = 300;
    host.PreviewTop = 120;
    host.PreviewWidth = 401;
    host.PreviewHeight = 333;
    FakeBrowserFactory fakes;
    TPreviewForm form(&host, fakes.factory());
    form.show();
    // The window system confirms each change in turn; once it has, the window is there.
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    QCOMPARE(
        QRect(form.Left(), form.Top(), form.Width(), form.Height()), QRect(300, 120, 401, 333));
    QCOMPARE(form.frameGeometry(), QRect(300, 120, 401, 333));
    QCOMPARE(form.Panel1->width(), form.width());
    QCOMPARE(form.CloseBt->x(), CloseButtonLeft(form.width()));
}

void TestPreviewForm::movesAndResizesAreKept()
{
    TPreviewHost host{QString(), 435, 138, 401, 288};
    FakeBrowserFactory fakes;
    TPreviewForm form(&host, fakes.factory());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // As the user would: the window system moves the frame and sizes the inside.
    form.move(50, 60);
    QCOMPARE(host.PreviewLeft, 50);
    QCOMPARE(host.PreviewTop, 60);
    form.resize(500, 300);
    const QRect outer = form.frameGeometry();
    QCOMPARE(
        QRect(host.PreviewLeft, host.PreviewTop, host.PreviewWidth, host.PreviewHeight), outer);
    QCOMPARE(form.CloseBt->x(), CloseButtonLeft(form.width()));

    // Hidden, the window keeps its bounds and leaves the fields alone; showing it again
    // applies the fields.
    form.hide();
    QCOMPARE(form.Width(), outer.width());
    host.PreviewLeft = 10;
    form.show();
    QCOMPARE(form.Left(), 10);
    QCOMPARE(form.Width(), outer.width());
}

void TestPreviewForm::closeHidesAndKeepsThePage()
{
    TPreviewHost host{u"/tmp/a.html"_s, 435, 138, 401, 288};
    FakeBrowserFactory fakes;
    TPreviewForm form(&host, fakes.factory());
    form.LoadBookmark();
    form.show();
    const int top = host.PreviewTop;
    QTest::mouseClick(form.CloseBt, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(host.PreviewTop, top);
    QCOMPARE(fakes.last->navigated, QStringList{u"/tmp/a.html"_s});
    QVERIFY(form.Preview1->BusyTimer()->isActive());
}

void TestPreviewForm::loadBookmarkNavigatesEveryTime()
{
    TPreviewHost host;
    FakeBrowserFactory fakes;
    TPreviewForm form(&host, fakes.factory());
    // Hidden, never shown, nothing to show: each is still passed on, and nothing complains.
    form.LoadBookmark();
    host.PreviewFile = u"/tmp/b.html"_s;
    form.LoadBookmark();
    form.LoadBookmark();
    QCOMPARE(form.BookmarkFile(), u"/tmp/b.html"_s);
    QCOMPARE(fakes.last->navigated, (QStringList{QString(), u"/tmp/b.html"_s, u"/tmp/b.html"_s}));
}

QTEST_MAIN(TestPreviewForm)
#include "tst_previewform.moc"
