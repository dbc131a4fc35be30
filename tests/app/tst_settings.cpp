#include "Application.h"
#include "FakeBrowser.h"
#include "FileFaults.h"
#include "Main.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "preview.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One run of the program: the three windows as the program body makes them, with the
// executable (and so the settings file) in the test's folder.
struct Run {
    ScriptedPrompter prompter;
    FakeBrowserFactory browsers;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TPreviewForm> preview;

    explicit Run(const QString &folder)
    {
        Application::resetMainForm();
        Application::setExeNameForTests(folder + u"/vantrelle"_s);
        form = std::make_unique<TMainForm>(&prompter);
        Application::registerForm(form.get());
        MainForm = form.get();
        preview = std::make_unique<TPreviewForm>(form.get(), browsers.factory());
        PreviewForm = preview.get();
    }
    ~Run()
    {
        preview.reset();
        form.reset();
        PreviewForm = nullptr;
        MainForm = nullptr;
        Application::resetMainForm();
    }
    // Shows the main window and lets the preview asked for at start follow its first paint.
    bool start()
    {
        form->show();
        return QTest::qWaitFor([this] { return !form->PreviewWaitsForFirstPaint(); }, 10000);
    }
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstRunWritesTheFile();
    void storedFileRestored_data();
    void storedFileRestored();
    void previewOffTakesTheHiddenBounds();
    void restartRestoresTheChoice();
    void refusedWriteKeepsTheWindowOpen();
    void failedPlacementSaveThenCloseAgain();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_errors;
    QString ini() const { return m_dir->filePath(u"vantrelle.ini"_s); }
};

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_errors.clear();
    Application::setErrorHandlerForTests([this](const QString &m) { m_errors << m; });
}

void TestSettings::cleanup()
{
    Application::setErrorHandlerForTests({});
    m_dir.reset();
}

void TestSettings::firstRunWritesTheFile()
{
    Run run(m_dir->path());
    QCOMPARE(run.form->SettingsPath(), ini());
    QCOMPARE(run.form->PreviewTop, 128);
    QCOMPARE(run.form->PreviewLeft, 441);
    QCOMPARE(run.form->PreviewHeight, 418);
    QCOMPARE(run.form->PreviewWidth, 288);
    QVERIFY(run.start());
    QCOMPARE(run.form->label1->FileName(), MainTexts::NetscapePlaceholder);
    QVERIFY(!run.form->ShowPreview->isEnabled());
    QVERIFY(run.form->ShowPreview->isChecked());
    QVERIFY(!run.preview->isVisible());

    QVERIFY(run.form->close());
    const QList<QByteArray> lines = contents(ini()).split('\n');
    QCOMPARE(lines.mid(0, 9),
        (QList<QByteArray>{"[Files]", "ShowPreview=1",
            "Netscape Bookmark=" + MainTexts::NetscapePlaceholder.toUtf8(), "[PreviewForm]",
            "Top=138", "Left=435", "Height=401", "Width=288", "[Bounds]"}));
    QVERIFY(lines[9].startsWith("MainForm.Bounds=0,"));
    QCOMPARE(lines[9].split(',').size(), 9);
    QVERIFY(m_errors.isEmpty());
    QVERIFY(run.prompter.calls.isEmpty());
}

void TestSettings::storedFileRestored_data()
{
    QTest::addColumn<QByteArray>("netscape");
    QTest::addColumn<QByteArray>("showPreview");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("shown");
    const QByteArray path = "/home/u/bookmark.htm";
    QTest::newRow("file, preview on") << path << QByteArray("1") << true << true << true;
    QTest::newRow("file, preview 2") << path << QByteArray("2") << true << true << true;
    QTest::newRow("file, preview -1") << path << QByteArray("-1") << true << true << true;
    QTest::newRow("file, preview letters") << path << QByteArray("yes") << true << true << true;
    QTest::newRow("file, preview off") << path << QByteArray("0") << true << false << false;
    // An empty value is a choice of its own: the empty text.
    QTest::newRow("empty value") << QByteArray() << QByteArray("1") << true << true << true;
    QTest::newRow("placeholder stored")
        << MainTexts::NetscapePlaceholder.toUtf8() << QByteArray("0") << false << true << false;
}

void TestSettings::storedFileRestored()
{
    QFETCH(QByteArray, netscape);
    QFETCH(QByteArray, showPreview);
    QFETCH(bool, enabled);
    QFETCH(bool, ticked);
    QFETCH(bool, shown);
    writeFile(ini(),
        "[Files]\nShowPreview=" + showPreview + "\nNetscape Bookmark=" + netscape
            + "\n[PreviewForm]\nTop=0x80\nLeft=$64\nHeight=300\nWidth=12px\n");
    Run run(m_dir->path());
    QCOMPARE(run.form->PreviewTop, 128);
    QCOMPARE(run.form->PreviewLeft, 100);
    QCOMPARE(run.form->PreviewHeight, 300);
    QCOMPARE(run.form->PreviewWidth, 288);
    QVERIFY(run.start());
    QCOMPARE(run.form->label1->FileName(), QString::fromUtf8(netscape));
    QCOMPARE(run.form->PreviewFile, QString::fromUtf8(netscape));
    QCOMPARE(run.form->ShowPreview->isEnabled(), enabled);
    QCOMPARE(run.form->ShowPreview->isChecked(), ticked);
    QCOMPARE(run.preview->isVisible(), shown);
    if (shown) {
        QCOMPARE(run.browsers.last->navigated, QStringList{QString::fromUtf8(netscape)});
        QCOMPARE(QRect(run.preview->Left(), run.preview->Top(), run.preview->Width(),
                     run.preview->Height()),
            QRect(100, 128, 288, 300));
    }
}

void TestSettings::previewOffTakesTheHiddenBounds()
{
    writeFile(ini(),
        "[Files]\nShowPreview=0\nNetscape Bookmark=/b.htm\n"
        "[PreviewForm]\nTop=10\nLeft=20\nHeight=300\nWidth=400\n");
    Run run(m_dir->path());
    QVERIFY(run.start());
    // Unticking hid the never-shown window and took its designed bounds.
    QCOMPARE(run.form->PreviewTop, 138);
    QCOMPARE(run.form->PreviewLeft, 435);
    QCOMPARE(run.form->PreviewHeight, 401);
    QCOMPARE(run.form->PreviewWidth, 288);
    QCOMPARE(run.browsers.made, 0);
    QVERIFY(run.form->close());
    const QByteArray file = contents(ini());
    QVERIFY(file.contains("Top=138\nLeft=435\nHeight=401\nWidth=288\n"));
    QVERIFY(file.contains("ShowPreview=0\n"));
}

void TestSettings::restartRestoresTheChoice()
{
    const QString chosen = m_dir->filePath(u"ブックマーク.html"_s);
    writeFile(chosen, "<DL></DL>");
    {
        Run run(m_dir->path());
        QVERIFY(run.start());
        run.prompter.fileAnswers.enqueue(chosen);
        run.form->BrowsebtClick();
        QVERIFY(run.preview->isVisible());
        run.preview->setGeometry(QRect(60, 70, 320, 240));
        QVERIFY(run.form->close());
    }
    Run again(m_dir->path());
    again.form->show();
    // The engine never delays the main window: it is made once the window has been painted.
    QVERIFY(again.form->PreviewWaitsForFirstPaint());
    QVERIFY(!again.preview->isVisible());
    QCOMPARE(again.browsers.made, 0);
    QVERIFY(again.start());
    QCOMPARE(again.form->label1->FileName(), chosen);
    QVERIFY(again.form->ShowPreview->isEnabled());
    QVERIFY(again.preview->isVisible());
    QCOMPARE(again.browsers.last->navigated, QStringList{chosen});
    QCOMPARE(again.preview->geometry().size(), QSize(320, 240));
    QCOMPARE(again.preview->geometry().topLeft(), QPoint(60, 70));
}

void TestSettings::refusedWriteKeepsTheWindowOpen()
{
    Run run(m_dir->path());
    QVERIFY(run.start());
    {
        // Room for the first entry, not for the second.
        FileSizeLimit limit(30);
        QVERIFY(!run.form->close());
    }
    QVERIFY(run.form->isVisible());
    QCOMPARE(m_errors, QStringList{ini() + u" に書き込めません"_s});
    QCOMPARE(contents(ini()), QByteArray("[Files]\nShowPreview=1\n"));
    // A later close writes everything.
    QVERIFY(run.form->close());
    QVERIFY(contents(ini()).contains("[Bounds]\nMainForm.Bounds="));
    QCOMPARE(m_errors.size(), 1);
}

void TestSettings::failedPlacementSaveThenCloseAgain()
{
    qint64 full = 0;
    {
        Run run(m_dir->path());
        QVERIFY(run.start());
        QVERIFY(run.form->close());
        full = contents(ini()).size();
    }
    QFile::remove(ini());
    Run run(m_dir->path());
    QVERIFY(run.start());
    {
        // Everything but the placement fits.
        FileSizeLimit limit(rlim_t(full - 5));
        QVERIFY(!run.form->close());
    }
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(!contents(ini()).contains("[Bounds]"));
    QVERIFY(run.form->close());
    QVERIFY(contents(ini()).contains("[Bounds]"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
