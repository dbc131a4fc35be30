#include "WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <limits>
#include <memory>

Q_DECLARE_METATYPE(RECT)

// Failure messages that show the edges.
char *toString(const RECT &r)
{
    return qstrdup(
        qPrintable(QString::asprintf("RECT(%d, %d, %d, %d)", r.left, r.top, r.right, r.bottom)));
}

namespace {

RECT rectOf(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

WINDOWPLACEMENT placementOf(QWidget *window)
{
    WINDOWPLACEMENT p;
    p.length = 0;
    if (!GetWindowPlacement(window, p))
        qFatal("no placement");
    return p;
}

WINDOWPLACEMENT normalAt(const RECT &r, quint32 showCmd)
{
    WINDOWPLACEMENT p;
    p.showCmd = showCmd;
    p.rcNormalPosition = r;
    return p;
}

const RECT bounds{100, 80, 420, 260};

} // namespace

class TestWindowPlacement final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void readsOuterBounds();
    void appliesOuterBounds();
    void boundsBeforeTheFrameIsKnown();
    void showCommands_data();
    void showCommands();
    void hiddenMaximisedKeepsNewNormalBounds();
    void positionsKept();
    void offScreenBoundsComeBack_data();
    void offScreenBoundsComeBack();
    void noWindow();

private:
    std::unique_ptr<QWidget> m_window;
};

void TestWindowPlacement::init()
{
    m_window = std::make_unique<QWidget>();
}

void TestWindowPlacement::cleanup()
{
    m_window.reset();
}

void TestWindowPlacement::readsOuterBounds()
{
    m_window->setGeometry(100, 80, 300, 200);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const WINDOWPLACEMENT p = placementOf(m_window.get());
    QCOMPARE(p.length, quint32(sizeof(WINDOWPLACEMENT)));
    QCOMPARE(p.showCmd, SW_SHOWNORMAL);
    QCOMPARE(p.flags, 0u);
    QCOMPARE(p.rcNormalPosition, rectOf(m_window->frameGeometry()));
    QCOMPARE(p.rcNormalPosition.right - p.rcNormalPosition.left, m_window->frameGeometry().width());

    m_window->hide();
    QCOMPARE(placementOf(m_window.get()).showCmd, SW_SHOWNORMAL); // hidden is no state
}

void TestWindowPlacement::appliesOuterBounds()
{
    m_window->winId();
    QVERIFY(SetWindowPlacement(m_window.get(), normalAt(bounds, SW_SHOWNORMAL)));
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(rectOf(m_window->frameGeometry()), bounds);
    QCOMPARE(placementOf(m_window.get()).rcNormalPosition, bounds);
}

void TestWindowPlacement::boundsBeforeTheFrameIsKnown()
{
    // No native window yet, so no frame: the bounds read back as set, and once the window is
    // framed its outer size is what was asked, not that plus a frame.
    QVERIFY(SetWindowPlacement(m_window.get(), normalAt(bounds, SW_HIDE)));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(placementOf(m_window.get()).rcNormalPosition, bounds);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    if (m_window->frameGeometry() == m_window->geometry())
        QSKIP("this platform draws no frame");
    QTRY_COMPARE(rectOf(m_window->frameGeometry()), bounds);
    QCOMPARE(placementOf(m_window.get()).rcNormalPosition, bounds);
}

void TestWindowPlacement::showCommands_data()
{
    QTest::addColumn<bool>("shownBefore");
    QTest::addColumn<quint32>("showCmd");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<quint32>("reads");
    QTest::newRow("hide keeps hidden") << false << SW_HIDE << false << SW_SHOWNORMAL;
    QTest::newRow("hide hides") << true << SW_HIDE << false << SW_SHOWNORMAL;
    QTest::newRow("normal shows") << false << SW_SHOWNORMAL << true << SW_SHOWNORMAL;
    QTest::newRow("restore shows") << false << SW_RESTORE << true << SW_SHOWNORMAL;
    QTest::newRow("maximised") << false << SW_SHOWMAXIMIZED << true << SW_SHOWMAXIMIZED;
    QTest::newRow("maximised while shown") << true << SW_SHOWMAXIMIZED << true << SW_SHOWMAXIMIZED;
    QTest::newRow("minimised") << false << SW_SHOWMINIMIZED << true << SW_SHOWMINIMIZED;
    QTest::newRow("minimize") << true << SW_MINIMIZE << true << SW_SHOWMINIMIZED;
}

void TestWindowPlacement::showCommands()
{
    QFETCH(bool, shownBefore);
    QFETCH(quint32, showCmd);
    QFETCH(bool, visible);
    QFETCH(quint32, reads);
    m_window->setGeometry(10, 10, 50, 50);
    if (shownBefore) {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    m_window->winId();
    QVERIFY(SetWindowPlacement(m_window.get(), normalAt(bounds, showCmd)));
    QCOMPARE(m_window->isVisible(), visible);
    QTRY_COMPARE(placementOf(m_window.get()).showCmd, reads);
    // Whatever the state, the normal bounds are the ones set.
    QCOMPARE(placementOf(m_window.get()).rcNormalPosition, bounds);
    if (reads == SW_SHOWNORMAL && visible)
        QCOMPARE(rectOf(m_window->frameGeometry()), bounds);
}

void TestWindowPlacement::hiddenMaximisedKeepsNewNormalBounds()
{
    m_window->setGeometry(10, 10, 50, 50);
    m_window->winId();
    m_window->setWindowState(Qt::WindowMaximized);
    QVERIFY(SetWindowPlacement(m_window.get(), normalAt(bounds, SW_HIDE)));
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_window->isMaximized());
    QCOMPARE(placementOf(m_window.get()).showCmd, SW_SHOWMAXIMIZED);
    QCOMPARE(placementOf(m_window.get()).rcNormalPosition, bounds);
}

void TestWindowPlacement::positionsKept()
{
    QCOMPARE(placementOf(m_window.get()).ptMinPosition, QPoint(-1, -1));
    QCOMPARE(placementOf(m_window.get()).ptMaxPosition, QPoint(-1, -1));
    WINDOWPLACEMENT p = normalAt(bounds, SW_HIDE);
    p.ptMinPosition = QPoint(10, 20);
    p.ptMaxPosition = QPoint(30, 40);
    QVERIFY(SetWindowPlacement(m_window.get(), p));
    // Without WPF_SETMINPOSITION the minimised position is not set.
    QCOMPARE(placementOf(m_window.get()).ptMinPosition, QPoint(-1, -1));
    QCOMPARE(placementOf(m_window.get()).ptMaxPosition, QPoint(30, 40));
    p.flags = WPF_SETMINPOSITION;
    QVERIFY(SetWindowPlacement(m_window.get(), p));
    QCOMPARE(placementOf(m_window.get()).ptMinPosition, QPoint(10, 20));
}

void TestWindowPlacement::offScreenBoundsComeBack_data()
{
    constexpr int big = std::numeric_limits<int>::max();
    constexpr int small = std::numeric_limits<int>::min();
    QTest::addColumn<RECT>("rect");
    QTest::addColumn<QSize>("size");
    QTest::newRow("far right") << RECT{30000, 80, 30320, 260} << QSize(320, 180);
    QTest::newRow("far up") << RECT{100, -5000, 420, -4820} << QSize(320, 180);
    QTest::newRow("extremes") << RECT{big, big, small, small} << QSize(1, 1);
    QTest::newRow("widest") << RECT{small, 0, big, 100} << QSize(QWIDGETSIZE_MAX, 100);
}

void TestWindowPlacement::offScreenBoundsComeBack()
{
    QFETCH(RECT, rect);
    QFETCH(QSize, size);
    m_window->winId();
    QVERIFY(SetWindowPlacement(m_window.get(), normalAt(rect, SW_HIDE)));
    const RECT r = placementOf(m_window.get()).rcNormalPosition;
    const QRect screen = QApplication::primaryScreen()->geometry();
    QVERIFY(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top).intersects(screen));
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    QCOMPARE(m_window->size(), (size - frame).expandedTo(QSize(1, 1)));
}

void TestWindowPlacement::noWindow()
{
    WINDOWPLACEMENT p;
    QVERIFY(!GetWindowPlacement(nullptr, p));
    QVERIFY(!SetWindowPlacement(nullptr, p));
    QVERIFY(!IsIconic(nullptr));
}

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
