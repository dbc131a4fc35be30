#include "FormFont.h"
#include "Version.h"

#include <QDesktopServices>
#include <QFontInfo>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QPoint designedPlace(186, 129);
const QString productPage = u"http://www.example.org/vantrelle/"_s;
const QString authorAddress = u"vt@example.net"_s;

// Runs the box modally, doing `whileOpen` once it is up and active. Returns whether the modal
// display ended by itself; one that does not is ended here so that the test goes on.
bool execEnds(TVersionForm &form, const std::function<void()> &whileOpen)
{
    bool forced = false;
    QTimer::singleShot(0, &form, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&form));
        whileOpen();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &form, [&] {
        forced = true;
        form.done(QDialog::Rejected);
    });
    guard.start(5000);
    form.exec();
    return !forced && !form.isVisible();
}

} // namespace

class TestVersion : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void openUrl(const QUrl &url) { m_opened << url; }

private Q_SLOTS:
    void frame();
    void controls_data();
    void controls();
    void links();
    void okButton();
    void closing_data();
    void closing();
    void escapeKeepsItOpen();
    void samePlaceOnEveryShowing();

private:
    QList<QUrl> m_opened;
};

void TestVersion::frame()
{
    TVersionForm form;
    QCOMPARE(form.objectName(), u"VersionForm"_s);
    QCOMPARE(form.windowTitle(), u"バージョン情報"_s);
    QVERIFY(!form.windowIcon().isNull());
    QVERIFY(!form.testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(form.font(), FormFont());
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.pos(), designedPlace);
    QCOMPARE(form.size(), QSize(235, 200));
    QCOMPARE(form.minimumSize(), QSize(235, 200));
    QCOMPARE(form.maximumSize(), QSize(235, 200));
}

void TestVersion::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("place");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, QPoint place, const QString &text) {
        QTest::newRow(name) << QString::fromLatin1(name) << place << text;
    };
    row("Label1", {64, 8}, u"Vantrelle"_s);
    row("Label2", {96, 32}, u"Ver 1.10"_s);
    row("Label3", {96, 56}, u"98/10/3"_s);
    row("UrlLabel1", {16, 104}, productPage);
    row("Label4", {0, 88}, u"最新のバージョンは下記のアドレスで公開中。"_s);
    row("Label5", {32, 120}, u"苦情・ご意見は下記のアドレスまで"_s);
    row("UrlLabel2", {72, 136}, authorAddress);
}

void TestVersion::controls()
{
    QFETCH(QString, name);
    QFETCH(QPoint, place);
    QFETCH(QString, text);
    TVersionForm form;
    const auto *label = form.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), place);
    // Sized to its text in the form's font, and inside the box.
    QCOMPARE(label->size(), label->sizeHint());
    QCOMPARE(QFontInfo(label->font()).pixelSize(), 12);
    QVERIFY(label->geometry().right() < form.width());

    // Created in this order, which is also the order they are drawn in.
    QStringList order;
    for (const QWidget *child : form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        order << child->objectName();
    QCOMPARE(order,
        (QStringList{u"OkBt"_s, u"Label1"_s, u"Label2"_s, u"Label3"_s, u"UrlLabel1"_s, u"Label4"_s,
            u"Label5"_s, u"UrlLabel2"_s}));
}

void TestVersion::links()
{
    TVersionForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QList<TUrlLabel *> links{form.UrlLabel1, form.UrlLabel2};
    for (const TUrlLabel *link : links) {
        QCOMPARE(link->URL(), link->text());
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->font().family(), form.font().family());
        QCOMPARE(link->font().pixelSize(), form.font().pixelSize());
        // Clear of the box's edges by at least the margin on the left of the product page.
        QVERIFY2(link->geometry().right() < form.width() - 16, qPrintable(link->text()));
    }

    QDesktopServices::setUrlHandler(u"http"_s, this, "openUrl");
    QDesktopServices::setUrlHandler(u"mailto"_s, this, "openUrl");
    QTest::mouseClick(form.UrlLabel1, Qt::LeftButton);
    QTest::mouseClick(form.UrlLabel2, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"http"_s);
    QDesktopServices::unsetUrlHandler(u"mailto"_s);
    QCOMPARE(m_opened, (QList<QUrl>{QUrl(productPage), QUrl(u"mailto:"_s + authorAddress)}));
}

void TestVersion::okButton()
{
    TVersionForm form;
    QCOMPARE(form.OkBt->text(), u"OK"_s);
    QCOMPARE(form.OkBt->geometry(), QRect(80, 168, 75, 25));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.focusWidget(), form.OkBt);
    QVERIFY(form.OkBt->hasFocus());
    QVERIFY(!form.OkBt->isDefault());
    QVERIFY(!form.OkBt->autoDefault());
}

void TestVersion::closing_data()
{
    QTest::addColumn<std::function<void(TVersionForm &)>>("action");
    using Action = std::function<void(TVersionForm &)>;
    QTest::newRow("OK") << Action([](TVersionForm &f) { f.OkBt->click(); });
    QTest::newRow("close box") << Action([](TVersionForm &f) { f.close(); });
    QTest::newRow("Enter on the focused OK")
        << Action([](TVersionForm &f) { QTest::keyClick(f.OkBt, Qt::Key_Return); });
}

void TestVersion::closing()
{
    QFETCH(std::function<void(TVersionForm &)>, action);
    TVersionForm form;
    QVERIFY(execEnds(form, [&] {
        QVERIFY(form.isVisible());
        QVERIFY(form.OkBt->hasFocus());
        action(form);
    }));
}

void TestVersion::escapeKeepsItOpen()
{
    TVersionForm form;
    bool openAfterEscape = false;
    QVERIFY(execEnds(form, [&] {
        // Sent where the key goes, the focused button, which passes it on to the box.
        QTest::keyClick(form.OkBt, Qt::Key_Escape);
        QTest::keyClick(&form, Qt::Key_Escape);
        openAfterEscape = form.isVisible();
        form.OkBt->click();
    }));
    QVERIFY(openAfterEscape);
}

void TestVersion::samePlaceOnEveryShowing()
{
    TVersionForm form;
    QPoint second;
    QVERIFY(execEnds(form, [&] {
        form.move(300, 250);
        form.OkBt->click();
    }));
    QVERIFY(execEnds(form, [&] {
        second = form.pos();
        form.OkBt->click();
    }));
    QCOMPARE(second, designedPlace);
}

QTEST_MAIN(TestVersion)
#include "tst_version.moc"
