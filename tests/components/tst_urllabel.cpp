#include "Cursors.h"
#include "FormFont.h"
#include "ShellOpen.h"
#include "UrlLabel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QColor blue(0, 0, 255);
const QStringList schemes{u"http"_s, u"https"_s, u"ftp"_s, u"mailto"_s, u"file"_s};

QColor textColor(const QWidget &label)
{
    return label.palette().color(QPalette::WindowText);
}

} // namespace

// The hand cursor's pictures, linked in from the resources library; a test takes them away.
static void removePictures()
{
    Q_CLEANUP_RESOURCE(vantrelle_pictures);
}

static void restorePictures()
{
    Q_INIT_RESOURCE(vantrelle_pictures);
}

class TestUrlLabel : public QObject {
    Q_OBJECT
public Q_SLOTS:
    // Where the desktop's open lands during the tests: nothing is launched.
    void openUrl(const QUrl &url);

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void colors_data();
    void colors();
    void trimBlanks_data();
    void trimBlanks();
    void shellOpenUrl_data();
    void shellOpenUrl();
    void target_data();
    void target();
    void leftClickInside();
    void releaseOutside();
    void rightButtonAndMenu();
    void handCursor();
    void missingHandCursor();
    void defaults();

private:
    QList<QUrl> m_opened;
    QList<QColor> m_colorAtOpen;
    QPointer<TUrlLabel> m_watched;
};

void TestUrlLabel::openUrl(const QUrl &url)
{
    m_opened << url;
    if (m_watched)
        m_colorAtOpen << textColor(*m_watched);
}

void TestUrlLabel::initTestCase()
{
    for (const QString &scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, this, "openUrl");
}

void TestUrlLabel::cleanupTestCase()
{
    for (const QString &scheme : schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void TestUrlLabel::init()
{
    m_opened.clear();
    m_colorAtOpen.clear();
    m_watched = nullptr;
}

void TestUrlLabel::colors_data()
{
    QTest::addColumn<TColor>("tcolor");
    QTest::addColumn<QColor>("color");
    QTest::newRow("purple") << TColor(0x800080) << QColor(128, 0, 128);
    QTest::newRow("blue in the high byte") << TColor(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("red in the low byte") << TColor(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("each byte its own") << TColor(0x123456) << QColor(0x56, 0x34, 0x12);
}

void TestUrlLabel::colors()
{
    QFETCH(TColor, tcolor);
    QFETCH(QColor, color);
    QCOMPARE(ColorFromTColor(tcolor), color);
}

void TestUrlLabel::trimBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("spaces and controls") << u" \t\r\n a b \x01\x1f"_s << u"a b"_s;
    QTest::newRow("only blanks") << u" \t "_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("wide and no-break spaces stay") << u"\u3000a\u00a0"_s << u"\u3000a\u00a0"_s;
    QTest::newRow("nothing to trim") << u"vt@example.net"_s << u"vt@example.net"_s;
}

void TestUrlLabel::trimBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(TrimBlanks(text), trimmed);
}

void TestUrlLabel::shellOpenUrl_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("url");
    const auto web = [](const char *name, const QString &target, const QString &url) {
        QTest::newRow(name) << target << QUrl(url);
    };
    web("https", u"https://www.example.com/a?b=c"_s, u"https://www.example.com/a?b=c"_s);
    web("http", u"http://www.example.org/vantrelle/"_s, u"http://www.example.org/vantrelle/"_s);
    web("ftp", u"ftp://ftp.example.org/pub/"_s, u"ftp://ftp.example.org/pub/"_s);
    web("www without scheme", u"www.example.com/ja/"_s, u"http://www.example.com/ja/"_s);
    web("blanks around", u" \t https://www.example.com/x \n"_s, u"https://www.example.com/x"_s);
    web("mailto as written", u"mailto:vt@example.net"_s, u"mailto:vt@example.net"_s);
    web("bare mail address", u"vt@example.net"_s, u"mailto:vt@example.net"_s);
    web("bare mail address with blanks", u"  vt@example.net "_s, u"mailto:vt@example.net"_s);
    web("file url", u"file:///tmp/a.html"_s, u"file:///tmp/a.html"_s);
    QTest::newRow("absolute path")
        << u"/tmp/ブック マーク.html"_s << QUrl::fromLocalFile(u"/tmp/ブック マーク.html"_s);
    QTest::newRow("relative path")
        << u"bookmark.htm"_s
        << QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"bookmark.htm"_s));
    QTest::newRow("two at signs are a file, not an address")
        << u"a@b@example.net"_s
        << QUrl::fromLocalFile(QDir::current().absoluteFilePath(u"a@b@example.net"_s));
    QTest::newRow("empty") << QString() << QUrl();
    QTest::newRow("blanks") << u" \t "_s << QUrl();
}

void TestUrlLabel::shellOpenUrl()
{
    QFETCH(QString, target);
    QFETCH(QUrl, url);
    QCOMPARE(ShellOpenUrl(target), url);
    ShellOpen(target);
    QCOMPARE(m_opened, url.isEmpty() ? QList<QUrl>() : QList<QUrl>{url});
}

void TestUrlLabel::target_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("caption");
    // What the click hands on to ShellOpen; null where it opens nothing.
    QTest::addColumn<QString>("target");
    QTest::newRow("URL, not the caption")
        << u"https://www.example.com/page"_s << u"https://www.example.com/other"_s
        << u"https://www.example.com/page"_s;
    QTest::newRow("URL of blanks opens the caption")
        << u" \t "_s << u"vt@example.net"_s << u"vt@example.net"_s;
    QTest::newRow("URL of control characters opens the caption")
        << u"\x01\x1f"_s << u"https://www.example.com/"_s << u"https://www.example.com/"_s;
    QTest::newRow("empty URL opens the caption")
        << QString() << u"https://www.example.com/"_s << u"https://www.example.com/"_s;
    QTest::newRow("blanks around the URL are passed on")
        << u"  https://www.example.com/x\t"_s << u"caption"_s << u"  https://www.example.com/x\t"_s;
    QTest::newRow("blanks around the caption are passed on")
        << QString() << u" vt@example.net "_s << u" vt@example.net "_s;
    QTest::newRow("blank URL and blank caption") << u"  "_s << u" \x01 "_s << QString();
    QTest::newRow("nothing at all") << QString() << QString() << QString();
}

void TestUrlLabel::target()
{
    QFETCH(QString, url);
    QFETCH(QString, caption);
    QFETCH(QString, target);
    TUrlLabel label;
    label.setURL(url);
    label.setText(caption);
    int clicks = 0;
    connect(&label, &TUrlLabel::clicked, this, [&clicks] { ++clicks; });
    label.Click();
    QCOMPARE(clicks, 1);
    QCOMPARE(m_opened, target.isNull() ? QList<QUrl>() : QList<QUrl>{ShellOpenUrl(target)});
}

void TestUrlLabel::leftClickInside()
{
    QWidget form;
    auto *label = new TUrlLabel(&form);
    label->setText(u"https://www.example.com/"_s);
    label->setActiveColor(0x00FF00);
    label->adjustSize();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    m_watched = label;
    QStringList events;
    connect(label, &TUrlLabel::clicked, this, [&events] { events << u"click"_s; });
    connect(label, &TUrlLabel::mouseDown, this,
        [&events](Qt::MouseButton b) { events << u"down %1"_s.arg(int(b)); });
    connect(label, &TUrlLabel::mouseUp, this,
        [&events](Qt::MouseButton b) { events << u"up %1"_s.arg(int(b)); });

    QTest::mousePress(label, Qt::LeftButton);
    QCOMPARE(textColor(*label), QColor(0, 255, 0));
    QVERIFY(m_opened.isEmpty());
    QTest::mouseRelease(label, Qt::LeftButton);

    QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://www.example.com/"_s)});
    QCOMPARE(m_colorAtOpen, QList<QColor>{QColor(0, 255, 0)});
    QCOMPARE(textColor(*label), blue);
    const QString left = QString::number(int(Qt::LeftButton));
    QCOMPARE(events, (QStringList{u"down "_s + left, u"click"_s, u"up "_s + left}));

    // A double click opens the address once, and the colour comes back after it. Qt sends a
    // double click as press, release, press, double click, release.
    m_opened.clear();
    const QPointF at(2, 2);
    const QPointF global = label->mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
             QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held
            = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(label, &event);
    }
    QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://www.example.com/"_s)});
    QCOMPARE(textColor(*label), blue);
}

void TestUrlLabel::releaseOutside()
{
    QWidget form;
    auto *label = new TUrlLabel(&form);
    label->setText(u"https://www.example.com/"_s);
    label->adjustSize();
    form.resize(400, 100);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // Qt sends the release to the label that took the press, wherever the mouse is.
    for (const QPoint outside : {QPoint(label->width() + 5, 2), QPoint(2, -3)}) {
        QTest::mousePress(label, Qt::LeftButton);
        QCOMPARE(textColor(*label), ColorFromTColor(0x800080));
        QTest::mouseRelease(label, Qt::LeftButton, {}, outside);
        QCOMPARE(textColor(*label), blue);
    }
    QVERIFY(m_opened.isEmpty());

    // A release that no press on the label began neither opens nor changes the colour.
    QTest::mouseRelease(label, Qt::LeftButton);
    QVERIFY(m_opened.isEmpty());
    QCOMPARE(textColor(*label), blue);
}

void TestUrlLabel::rightButtonAndMenu()
{
    QWidget form;
    auto *label = new TUrlLabel(&form);
    label->setText(u"キャプション"_s);
    label->setURL(u"https://www.example.com/"_s);
    label->adjustSize();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QGuiApplication::clipboard()->setText(u"before"_s);

    QTest::mousePress(label, Qt::RightButton);
    QCOMPARE(textColor(*label), blue);
    QTest::mouseRelease(label, Qt::RightButton);
    QCOMPARE(textColor(*label), blue);
    QVERIFY(m_opened.isEmpty());

    QContextMenuEvent request(
        QContextMenuEvent::Mouse, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(label, &request);
    QPointer<QMenu> menu = label->findChild<QMenu *>();
    QVERIFY(menu);
    QVERIFY(menu->isVisible());
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions.first()->text(), u"Copy"_s);

    // The caption is copied, not the address behind it.
    actions.first()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"キャプション"_s);
    QVERIFY(m_opened.isEmpty());
    menu->close();

    delete label;
    QVERIFY(!menu);
}

void TestUrlLabel::handCursor()
{
    Screen::setCursor(TUrlLabel::HandCursor, QCursor(Qt::CrossCursor));
    TUrlLabel first;
    QCOMPARE(Screen::cursor(TUrlLabel::HandCursor).shape(), Qt::BitmapCursor);
    QCOMPARE(first.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(first.cursor().hotSpot(), QPoint(5, 0));
    QCOMPARE(first.cursor().pixmap().size(), QSize(32, 32));

    // Each label puts the hand there again, over whatever was put there in between.
    Screen::setCursor(TUrlLabel::HandCursor, QCursor(Qt::CrossCursor));
    TUrlLabel second;
    QCOMPARE(Screen::cursor(TUrlLabel::HandCursor).shape(), Qt::BitmapCursor);
    QCOMPARE(second.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(first.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(second.cursor().hotSpot(), QPoint(5, 0));
}

void TestUrlLabel::missingHandCursor()
{
    TUrlLabel before;
    QVERIFY(Screen::hasCursor(TUrlLabel::HandCursor));
    removePictures();
    TUrlLabel label;
    restorePictures();
    QVERIFY(!Screen::hasCursor(TUrlLabel::HandCursor));
    QCOMPARE(label.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(Screen::cursor(TUrlLabel::HandCursor).shape(), Qt::ArrowCursor);
}

void TestUrlLabel::defaults()
{
    QWidget form;
    form.setFont(FormFont());
    TUrlLabel label(&form);
    QCOMPARE(label.URL(), QString());
    QCOMPARE(label.text(), QString());
    QCOMPARE(label.ActiveColor(), TColor(0x800080));
    QCOMPARE(textColor(label), blue);
    QCOMPARE(label.textFormat(), Qt::PlainText);
    // Underlined only, in the form's face and size.
    QVERIFY(label.font().underline());
    QVERIFY(!label.font().bold());
    QVERIFY(!label.font().italic());
    QVERIFY(!label.font().strikeOut());
    QCOMPARE(label.font().family(), form.font().family());
    QCOMPARE(label.font().pixelSize(), 12);

    // A form file sets the properties by name, the colour as a plain number.
    QVERIFY(label.setProperty("ActiveColor", 255));
    QCOMPARE(label.ActiveColor(), TColor(0x0000FF));
    QVERIFY(label.setProperty("URL", u"vt@example.net"_s));
    QCOMPARE(label.URL(), u"vt@example.net"_s);
}

QTEST_MAIN(TestUrlLabel)
#include "tst_urllabel.moc"
