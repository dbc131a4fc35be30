#include "Application.h"
#include "IniFile.h"
#include "KSavePos.h"
#include "KSubWnd.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString exampleBounds = u"0,10,20,30,40,100,80,420,260"_s;

// A form as the program builds one: its description sets the geometry, then the component
// hears that loading is done.
class Form final : public QWidget {
public:
    explicit Form(bool resumeIconic = false, bool designMode = false)
    {
        setObjectName(u"MainForm"_s);
        setGeometry(50, 60, 200, 150);
        savePos = new TKSavePosIni(this);
        savePos->setResumeIconic(resumeIconic);
        savePos->setDesignMode(designMode);
        savePos->Loaded();
    }
    TKSavePosIni *savePos;
};

// Counts what reaches SubWndProc, and can keep it from the form.
class Hook final : public TKCustomSubWnd {
public:
    using TKCustomSubWnd::TKCustomSubWnd;
    int calls = 0;
    bool handles = false;

protected:
    bool SubWndProc(QObject *target, QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return TKCustomSubWnd::SubWndProc(target, event);
        ++calls;
        return handles || TKCustomSubWnd::SubWndProc(target, event);
    }
};

class CountingForm final : public QWidget {
public:
    int userEvents = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            ++userEvents;
        return QWidget::event(event);
    }
};

void poke(QObject *target)
{
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(target, &event);
}

RECT rectOf(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

RECT normalBounds(QWidget *form)
{
    WINDOWPLACEMENT p;
    GetWindowPlacement(form, p);
    return p.rcNormalPosition;
}

} // namespace

char *toString(const RECT &r)
{
    return qstrdup(
        qPrintable(QString::asprintf("RECT(%d, %d, %d, %d)", r.left, r.top, r.right, r.bottom)));
}
Q_DECLARE_METATYPE(RECT)

class TestKSavePos final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void boundsText();
    void savedState_data();
    void savedState();
    void loadFromLoaded_data();
    void loadFromLoaded();
    void laterLoadShowsHiddenForm();
    void wrongItemCount_data();
    void wrongItemCount();
    void itemNotInteger_data();
    void itemNotInteger();
    void settingsReadAfresh();
    void saveOnNativeWindowDestroyed_data();
    void saveOnNativeWindowDestroyed();
    void hookOnce();
    void hookMoves();
    void handledEventsStop();
    void formDestroyed();
    void designMode();

private:
    QString stored() const
    {
        return TIniFile(m_ini).ReadString(u"Bounds"_s, u"MainForm.Bounds"_s, u"<none>"_s);
    }
    void store(const QString &text) const
    {
        QVERIFY(TIniFile(m_ini).WriteString(u"Bounds"_s, u"MainForm.Bounds"_s, text).ok);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
    QStringList m_errors;
};

void TestKSavePos::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    Application::setExeNameForTests(m_dir->filePath(u"vantrelle"_s));
    m_ini = m_dir->filePath(u"vantrelle.ini"_s);
    m_errors.clear();
    Application::setErrorHandlerForTests([this](const QString &message) { m_errors << message; });
}

void TestKSavePos::cleanup()
{
    Application::setErrorHandlerForTests({});
    Application::setExeNameForTests(QString());
    m_dir.reset();
}

void TestKSavePos::boundsText()
{
    store(exampleBounds);
    Form form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(rectOf(form.frameGeometry()), (RECT{100, 80, 420, 260}));
    QVERIFY(QFile::remove(m_ini));
    QVERIFY(form.savePos->Save().ok);
    QCOMPARE(stored(), exampleBounds);
}

void TestKSavePos::savedState_data()
{
    QTest::addColumn<QList<Qt::WindowState>>("steps");
    QTest::addColumn<QString>("state");
    QTest::newRow("normal") << QList<Qt::WindowState>{} << u"0"_s;
    QTest::newRow("maximised") << QList<Qt::WindowState>{Qt::WindowMaximized} << u"2"_s;
    QTest::newRow("minimised") << QList<Qt::WindowState>{Qt::WindowMinimized} << u"1"_s;
    QTest::newRow("minimised after maximised")
        << QList<Qt::WindowState>{Qt::WindowMaximized, Qt::WindowMinimized} << u"1"_s;
}

void TestKSavePos::savedState()
{
    QFETCH(QList<Qt::WindowState>, steps);
    QFETCH(QString, state);
    Form form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const RECT normal = rectOf(form.frameGeometry());
    for (const Qt::WindowState step : std::as_const(steps)) {
        if (step == Qt::WindowMaximized)
            form.showMaximized();
        else
            form.showMinimized();
        QTest::qWait(20);
        if (!(form.windowState() & step))
            QSKIP("this platform does not take the window state");
    }
    QVERIFY(form.savePos->Save().ok);
    // The normal bounds are kept whatever the state.
    QCOMPARE(stored(),
        QString::asprintf("%s,-1,-1,-1,-1,%d,%d,%d,%d", qPrintable(state), normal.left, normal.top,
            normal.right, normal.bottom));
}

void TestKSavePos::loadFromLoaded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("resumeIconic");
    QTest::addColumn<Qt::WindowStates>("shown");
    QTest::newRow("normal") << exampleBounds << false << Qt::WindowStates(Qt::WindowNoState);
    QTest::newRow("maximised") << u"2,10,20,30,40,100,80,420,260"_s << false
                               << Qt::WindowStates(Qt::WindowMaximized);
    QTest::newRow("minimised, resumed")
        << u"1,10,20,30,40,100,80,420,260"_s << true << Qt::WindowStates(Qt::WindowMinimized);
    QTest::newRow("minimised, not resumed")
        << u"1,10,20,30,40,100,80,420,260"_s << false << Qt::WindowStates(Qt::WindowNoState);
    QTest::newRow("unknown state code")
        << u"7,10,20,30,40,100,80,420,260"_s << false << Qt::WindowStates(Qt::WindowNoState);
    QTest::newRow("state no integer")
        << u"max,10,20,30,40,100,80,420,260"_s << true << Qt::WindowStates(Qt::WindowNoState);
}

void TestKSavePos::loadFromLoaded()
{
    QFETCH(QString, text);
    QFETCH(bool, resumeIconic);
    QFETCH(Qt::WindowStates, shown);
    store(text);
    Form form(resumeIconic);
    // Loading never shows the form; it comes up as loaded once the program shows it.
    QVERIFY(!form.isVisible());
    QCOMPARE(normalBounds(&form), (RECT{100, 80, 420, 260}));
    form.show();
    QTRY_COMPARE(form.windowState() & ~Qt::WindowActive, shown);
    QCOMPARE(normalBounds(&form), (RECT{100, 80, 420, 260}));
    WINDOWPLACEMENT p;
    GetWindowPlacement(&form, p);
    QCOMPARE(p.ptMinPosition, QPoint(10, 20));
    QCOMPARE(p.ptMaxPosition, QPoint(30, 40));
}

void TestKSavePos::laterLoadShowsHiddenForm()
{
    Form form;
    QVERIFY(!form.isVisible());
    store(exampleBounds);
    form.savePos->Load();
    QVERIFY(form.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(rectOf(form.frameGeometry()), (RECT{100, 80, 420, 260}));
}

void TestKSavePos::wrongItemCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("eight items") << u"2,10,20,30,40,100,80,420"_s;
    QTest::newRow("ten items") << u"2,10,20,30,40,100,80,420,260,5"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("one word") << u"garbage"_s;
}

void TestKSavePos::wrongItemCount()
{
    QFETCH(QString, text);
    store(text);
    Form form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const RECT before = rectOf(form.frameGeometry());
    form.savePos->Load();
    QVERIFY(!form.isMaximized());
    QCOMPARE(rectOf(form.frameGeometry()), before);
    QCOMPARE(stored(), text);
}

void TestKSavePos::itemNotInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<RECT>("bounds");
    QTest::addColumn<QPoint>("maxPosition");
    // The form's own outer bounds are 48,58,252,212 (a two-pixel frame round 50,60 200x150).
    QTest::newRow("top") << u"0,10,20,30,40,100,top,420,260"_s << RECT{100, 58, 420, 260}
                         << QPoint(30, 40);
    QTest::newRow("right") << u"0,10,20,30,40,100,80,12px,260"_s << RECT{100, 80, 252, 260}
                           << QPoint(30, 40);
    QTest::newRow("maximised x") << u"0,10,20,,40,100,80,420,260"_s << RECT{100, 80, 420, 260}
                                 << QPoint(-1, 40);
    QTest::newRow("hex and quotes")
        << u"0,10,20,30,40,$64,\"80\",420,260"_s << RECT{100, 80, 420, 260} << QPoint(30, 40);
}

void TestKSavePos::itemNotInteger()
{
    QFETCH(QString, text);
    QFETCH(RECT, bounds);
    QFETCH(QPoint, maxPosition);
    Form form;
    if (rectOf(form.frameGeometry()) != RECT{48, 58, 252, 212})
        QSKIP("this platform frames windows differently");
    store(text);
    form.savePos->Load();
    WINDOWPLACEMENT p;
    GetWindowPlacement(&form, p);
    QCOMPARE(p.rcNormalPosition, bounds);
    QCOMPARE(p.ptMinPosition, QPoint(10, 20));
    QCOMPARE(p.ptMaxPosition, maxPosition);
}

void TestKSavePos::settingsReadAfresh()
{
    store(exampleBounds);
    Form form;
    QCOMPARE(normalBounds(&form), (RECT{100, 80, 420, 260}));
    store(u"0,10,20,30,40,110,90,430,270"_s);
    form.savePos->Load();
    QCOMPARE(normalBounds(&form), (RECT{110, 90, 430, 270}));
    QVERIFY(QFile::remove(m_ini));
    QVERIFY(form.savePos->Save().ok);
    QCOMPARE(stored(), u"0,10,20,30,40,110,90,430,270"_s);
}

void TestKSavePos::saveOnNativeWindowDestroyed_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("written") << true;
    QTest::newRow("write refused") << false;
}

void TestKSavePos::saveOnNativeWindowDestroyed()
{
    QFETCH(bool, writable);
    if (!writable)
        QVERIFY(QDir().mkdir(m_ini)); // a folder where the file should be
    Form form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const RECT bounds = rectOf(form.frameGeometry());
    QVERIFY(m_errors.isEmpty());
    form.windowHandle()->destroy();
    if (writable) {
        QCOMPARE(stored(),
            QString::asprintf(
                "0,-1,-1,-1,-1,%d,%d,%d,%d", bounds.left, bounds.top, bounds.right, bounds.bottom));
        QVERIFY(m_errors.isEmpty());
    } else {
        QCOMPARE(m_errors, QStringList{m_ini + u" に書き込めません"_s});
        // Save called by hand reports the same to its caller.
        const IniWriteResult result = form.savePos->Save();
        QVERIFY(!result.ok);
        QCOMPARE(result.message, m_ini + u" に書き込めません"_s);
    }
}

void TestKSavePos::hookOnce()
{
    QWidget form;
    Hook hook;
    hook.setForm(&form);
    QVERIFY(form.testAttribute(Qt::WA_WState_Created)); // the native window exists
    hook.setForm(&form);
    poke(&form);
    QCOMPARE(hook.calls, 1);
}

void TestKSavePos::hookMoves()
{
    QWidget first;
    QWidget second;
    Hook hook;
    hook.setForm(&first);
    hook.setForm(&second);
    QCOMPARE(hook.Form(), &second);
    poke(&first);
    QCOMPARE(hook.calls, 0);
    poke(&second);
    QCOMPARE(hook.calls, 1);
    hook.setForm(nullptr);
    poke(&second);
    QCOMPARE(hook.calls, 1);
}

void TestKSavePos::handledEventsStop()
{
    CountingForm form;
    Hook hook;
    hook.setForm(&form);
    poke(&form);
    QCOMPARE(form.userEvents, 1);
    hook.handles = true;
    poke(&form);
    QCOMPARE(hook.calls, 2);
    QCOMPARE(form.userEvents, 1);
}

void TestKSavePos::formDestroyed()
{
    Hook hook;
    auto form = std::make_unique<QWidget>();
    hook.setForm(form.get());
    form.reset();
    QCOMPARE(hook.Form(), nullptr);
    QWidget other;
    hook.setForm(&other);
    poke(&other);
    QCOMPARE(hook.calls, 1);

    // A component owned by the form it hooks goes with it.
    auto owner = std::make_unique<QWidget>();
    QPointer<Hook> owned = new Hook(owner.get());
    owned->setForm(owner.get());
    owner.reset();
    QVERIFY(owned.isNull());
}

void TestKSavePos::designMode()
{
    QWidget plain;
    Hook hook;
    hook.setDesignMode(true);
    hook.setForm(&plain);
    QCOMPARE(hook.Form(), &plain);
    QVERIFY(!plain.testAttribute(Qt::WA_WState_Created));
    poke(&plain);
    QCOMPARE(hook.calls, 0);

    store(u"2,10,20,30,40,100,80,420,260"_s);
    Form form(false, true);
    QCOMPARE(form.savePos->Form(), &form);
    QCOMPARE(rectOf(form.geometry()), (RECT{50, 60, 250, 210})); // nothing loaded
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.isMaximized());
    form.windowHandle()->destroy();
    QCOMPARE(stored(), u"2,10,20,30,40,100,80,420,260"_s); // nothing saved
}

QTEST_MAIN(TestKSavePos)
#include "tst_ksavepos.moc"
