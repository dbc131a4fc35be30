#include "Application.h"
#include "FakeBrowser.h"
#include "Main.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "preview.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

namespace {

// What the user was asked or told, in order; progress displays are left out.
QStringList questions(const ScriptedPrompter &p)
{
    QStringList result;
    for (const QString &call : p.calls) {
        if (!call.startsWith(u"progress: "_qs))
            result << call;
    }
    return result;
}

const QByteArray oldBookmarks = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><DT><A "
                                "HREF=\"https://old.example/\">old</A></DL>\n";
const QByteArray newBookmarks = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><DT><A "
                                "HREF=\"https://new.example/\">新しい</A></DL>\n";

// A main window over a scripted prompter, with a bookmark folder holding Netscape's file and
// a source, as the program body would build it.
struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    FakeBrowserFactory browsers;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TPreviewForm> preview;
    QString netscape, source, backup;

    explicit Fixture(const QString &netscapeName = QStringLiteral("bookmark.htm"))
    {
        netscape = dir.filePath(netscapeName);
        source = dir.filePath(QStringLiteral("source.html"));
        backup = dir.filePath(QStringLiteral("lorvet.html"));
        writeFile(netscape, oldBookmarks);
        writeFile(source, newBookmarks);
        Application::resetMainForm();
        // The settings file goes beside the executable: here, into the test's folder.
        Application::setExeNameForTests(dir.filePath(QStringLiteral("vantrelle")));
        form = std::make_unique<TMainForm>(&prompter);
        Application::registerForm(form.get());
        MainForm = form.get();
        preview = std::make_unique<TPreviewForm>(form.get(), browsers.factory());
        PreviewForm = preview.get();
    }
    ~Fixture()
    {
        PreviewForm = nullptr;
        MainForm = nullptr;
        Application::resetMainForm();
    }
    void pickNetscape(const QString &path)
    {
        prompter.fileAnswers.enqueue(path);
        form->BrowsebtClick();
    }
    void pickSource(const QString &path)
    {
        prompter.fileAnswers.enqueue(path);
        form->Browsebt2Click();
    }
    // Both files chosen, the preview off, nothing asked so far.
    void chooseBoth()
    {
        form->ShowPreview->setChecked(false);
        pickNetscape(netscape);
        pickSource(source);
        prompter.calls.clear();
    }
};

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Application::setTitle(QStringLiteral("Vantrelle Ver1.20")); }
    void formDescription_data();
    void formDescription();
    void japaneseFontRenders();
    void pickSetsLabelAndPreview_data();
    void pickSetsLabelAndPreview();
    void cancelledPickChangesNothing();
    void executeWithoutChoice_data();
    void executeWithoutChoice();
    void switchCopiesSourceOverNetscape();
    void replaceDeclinedKeepsNetscape();
    void cancelledBackupStillSwitches();
    void failedBackupStopsTheSwitch_data();
    void failedBackupStopsTheSwitch();
    void deleteModeBacksUpThenDeletes();
    void secondSwitchProposesFirstBackup();
    void semicolonPathStaysOneName();
    void wildcardNameStaysOneName();
    void backupOntoSourceRefused_data();
    void backupOntoSourceRefused();
    void sameFileUnderAnotherName_data();
    void sameFileUnderAnotherName();
    void missingNetscapeFileNeedsNoBackup();
    void nameWithLineBreakRefused();
    void previewSwitchWithNothingChosen();
    void doubleClickWhileUntickedTakesHiddenBounds();
};

void TestMainForm::formDescription_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    const auto row = [](const char *name, QRect r, const char *text, const char *tip) {
        QTest::newRow(name) << QString::fromLatin1(name) << r << QString::fromUtf8(text)
                            << QString::fromUtf8(tip);
    };
    row("Browsebt", {0, 0, 73, 22}, "Netscape", "bookmark.htmがあるフォルダを指定してください。");
    row("Browsebt2", {72, 0, 73, 22}, "コピー元", "使いたいBookmarkを指定してください。");
    row("ExecuteBt", {144, 0, 65, 22}, "実行", "");
    row("VersionBt", {208, 0, 105, 22}, "バージョン情報", "");
    row("Label2", {8, 24, 305, 17}, "コピー元のBookmarkを選択してください。", "");
    row("Image1", {136, 48, 25, 25}, "", "");
    row("label1", {8, 80, 305, 17}, "NetscapeのBookmarkファイルを指定してください。",
        "NetscapeのBookmarkファイル名です。");
    row("DeleteBookmark", {8, 104, 153, 17}, "新しいBookmarkを始める",
        "新しいBookmarkを始めたい時にチェックしてください。");
    row("ShowPreview", {168, 104, 137, 17}, "プレビューを表示する", "");
}

void TestMainForm::formDescription()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    Fixture f;
    auto *w = f.form->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->toolTip(), toolTip);
    QCOMPARE(w->property("text").toString(), text);
    const bool takesFocus = qobject_cast<QCheckBox *>(w) != nullptr;
    QCOMPARE(w->focusPolicy() != Qt::NoFocus, takesFocus);
    if (auto *button = qobject_cast<TToolbarButton97 *>(w)) {
        QCOMPARE(button->iconSize(), QSize(16, 16));
        const QIcon icon = button->icon();
        QVERIFY(!icon.isNull());
        // The disabled picture is the second half of the glyph, not Qt's greyed normal one.
        const QImage normal = icon.pixmap(16, 16, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(16, 16, QIcon::Disabled).toImage();
        QVERIFY(normal != disabled);
        QCOMPARE(disabled,
            QImage(button->glyph()).copy(16, 0, 16, 16).convertToFormat(disabled.format()));
    }
}

void TestMainForm::japaneseFontRenders()
{
    Fixture f;
    QCOMPARE(f.form->windowTitle(), u"Vantrelle Ver1.20"_qs);
    QCOMPARE(f.form->size(), QSize(314, 127));
    QCOMPARE(f.form->minimumSize(), f.form->maximumSize());
    QCOMPARE(f.form->pos(), QPoint(178, 98));
    const Qt::WindowFlags flags = f.form->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!f.form->windowIcon().isNull());
    QCOMPARE(f.form->font().pixelSize(), 12);
    QCOMPARE(f.form->font().families().constFirst(), u"ＭＳ Ｐゴシック"_qs);
    // The face actually used must have Japanese glyphs: the named fallback, not a Latin face.
    const QFontInfo used(f.form->label1->font());
    QVERIFY2(used.family().contains(u"Gothic"_qs) || used.family().contains(u"CJK"_qs),
        qPrintable(used.family()));
    QVERIFY(QFontMetrics(f.form->label1->font()).inFont(QChar(u'指')));
}

void TestMainForm::pickSetsLabelAndPreview_data()
{
    QTest::addColumn<bool>("netscapeButton");
    QTest::newRow("Netscape") << true;
    QTest::newRow("コピー元") << false;
}

void TestMainForm::pickSetsLabelAndPreview()
{
    QFETCH(bool, netscapeButton);
    Fixture f;
    f.form->ShowPreview->setEnabled(false);
    f.form->ShowPreview->setChecked(false);
    netscapeButton ? f.pickNetscape(f.netscape) : f.pickSource(f.source);
    const QString chosen = netscapeButton ? f.netscape : f.source;

    QCOMPARE(f.prompter.fileRequests.size(), 1);
    const FileDialogRequest &req = f.prompter.fileRequests.constFirst();
    QCOMPARE(req.kind, FileDialogRequest::Kind::Open);
    QCOMPARE(req.owner, f.form.get());
    QCOMPARE(req.fileName, netscapeButton ? u"bookmark.htm"_qs : QString());
    QCOMPARE(req.filter, u"HTMLﾌｧｲﾙ(*.htm;*.html)|*.htm;*.html|全てのﾌｧｲﾙ(*.*)|*.*"_qs);
    QCOMPARE(req.filterIndex, 1);
    QCOMPARE(req.defaultExt, u"*.htm"_qs);

    TFileLabel *label = netscapeButton ? f.form->label1 : f.form->Label2;
    QCOMPARE(label->FileName(), chosen);
    QCOMPARE(f.form->PreviewFile, chosen);
    QVERIFY(f.form->ShowPreview->isEnabled());
    QVERIFY(!f.preview->isVisible());

    // Ticked: the pick shows the preview at the main window's geometry, on the picked file.
    f.form->ShowPreview->setChecked(true);
    f.form->PreviewLeft = 300;
    f.form->PreviewTop = 200;
    netscapeButton ? f.pickNetscape(f.source) : f.pickSource(f.netscape);
    QVERIFY(f.preview->isVisible());
    QCOMPARE(f.preview->BookmarkFile(), netscapeButton ? f.source : f.netscape);
    QCOMPARE(f.browsers.last->navigated.constLast(), f.preview->BookmarkFile());
    QCOMPARE(f.preview->Left(), 300);
    QCOMPARE(f.preview->Top(), 200);
}

void TestMainForm::cancelledPickChangesNothing()
{
    Fixture f;
    f.form->ShowPreview->setEnabled(false);
    f.prompter.fileAnswers.enqueue(std::nullopt);
    f.form->BrowsebtClick();
    QCOMPARE(f.form->label1->FileName(), MainTexts::NetscapePlaceholder);
    QVERIFY(!f.form->ShowPreview->isEnabled());
    QCOMPARE(f.form->PreviewFile, QString());
}

void TestMainForm::executeWithoutChoice_data()
{
    QTest::addColumn<bool>("netscapeChosen");
    QTest::addColumn<bool>("deleteMode");
    QTest::addColumn<QString>("text");
    QTest::newRow("no Netscape file") << false << false << MainTexts::ChooseNetscape;
    QTest::newRow("no Netscape file, delete mode") << false << true << MainTexts::ChooseNetscape;
    QTest::newRow("no source, copy mode") << true << false << MainTexts::ChooseSource;
}

void TestMainForm::executeWithoutChoice()
{
    QFETCH(bool, netscapeChosen);
    QFETCH(bool, deleteMode);
    QFETCH(QString, text);
    Fixture f;
    if (netscapeChosen)
        f.pickNetscape(f.netscape);
    f.prompter.calls.clear();
    f.form->DeleteBookmark->setChecked(deleteMode);
    f.form->ExecuteBtClick();
    QCOMPARE(questions(f.prompter), QStringList{u"message: "_qs + text});
    QCOMPARE(contents(f.netscape), oldBookmarks);
    QVERIFY(!QFile::exists(f.backup));
}

void TestMainForm::switchCopiesSourceOverNetscape()
{
    Fixture f;
    f.chooseBoth();
    f.prompter.fileAnswers.enqueue(f.backup);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.form->ExecuteBtClick();

    QCOMPARE(questions(f.prompter),
        (QStringList{u"message: "_qs + MainTexts::WhereToBackUp, u"save: lorvet.html"_qs,
            u"replace: "_qs + f.netscape}));
    const FileDialogRequest &save = f.prompter.fileRequests.constLast();
    QCOMPARE(save.filter, u"HTMLファイル(*.htm;*.html)|*.htm;*.html"_qs);
    QCOMPARE(save.defaultExt, u".html"_qs);
    QCOMPARE(contents(f.backup), oldBookmarks);
    QCOMPARE(contents(f.netscape), newBookmarks);
    QCOMPARE(contents(f.source), newBookmarks);
    // Every dialog belongs to the main window.
    for (QWidget *owner : std::as_const(f.prompter.owners))
        QCOMPARE(owner, f.form.get());
    // Nothing on the window changes after a switch.
    QCOMPARE(f.form->label1->FileName(), f.netscape);
    QCOMPARE(f.form->Label2->FileName(), f.source);
    QVERIFY(f.prompter.unexpected.isEmpty());
}

void TestMainForm::replaceDeclinedKeepsNetscape()
{
    Fixture f;
    f.chooseBoth();
    f.prompter.fileAnswers.enqueue(f.backup);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::No);
    f.form->ExecuteBtClick();
    QCOMPARE(contents(f.backup), oldBookmarks);
    QCOMPARE(contents(f.netscape), oldBookmarks);
    QVERIFY(f.form->CopyBookmark->AbortByUser());
}

void TestMainForm::cancelledBackupStillSwitches()
{
    Fixture f;
    f.chooseBoth();
    f.prompter.fileAnswers.enqueue(std::nullopt);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.form->ExecuteBtClick();
    QVERIFY(!QFile::exists(f.backup));
    QCOMPARE(contents(f.netscape), newBookmarks);
    QVERIFY(f.prompter.messages.indexOf(MainTexts::BackupFailed) < 0);
}

void TestMainForm::failedBackupStopsTheSwitch_data()
{
    QTest::addColumn<bool>("deleteMode");
    QTest::addColumn<QString>("backupName");
    QTest::addColumn<bool>("backupExists");
    QTest::newRow("backup onto the Netscape file") << false << u"bookmark.htm"_qs << false;
    QTest::newRow("backup into a missing folder, not created")
        << false << u"gone/lorvet.html"_qs << false;
    QTest::newRow("existing backup, replace declined") << false << u"lorvet.html"_qs << true;
    QTest::newRow("delete mode, existing backup, replace declined")
        << true << u"lorvet.html"_qs << true;
}

void TestMainForm::failedBackupStopsTheSwitch()
{
    QFETCH(bool, deleteMode);
    QFETCH(QString, backupName);
    QFETCH(bool, backupExists);
    Fixture f;
    f.chooseBoth();
    const QByteArray earlier = "an earlier backup";
    if (backupExists)
        writeFile(f.dir.filePath(backupName), earlier);
    f.form->DeleteBookmark->setChecked(deleteMode);
    f.prompter.fileAnswers.enqueue(f.dir.filePath(backupName));
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::No);
    f.prompter.mkdirAnswers.enqueue(false);
    f.form->ExecuteBtClick();

    QCOMPARE(f.prompter.messages.constLast(), MainTexts::BackupFailed);
    QCOMPARE(contents(f.netscape), oldBookmarks);
    if (backupExists)
        QCOMPARE(contents(f.dir.filePath(backupName)), earlier);
    // Nothing was asked about Netscape's file itself.
    for (const QString &call : std::as_const(f.prompter.calls))
        QVERIFY2(
            !call.startsWith(u"delete: "_qs) && !call.startsWith(u"trash: "_qs), qPrintable(call));
}

void TestMainForm::deleteModeBacksUpThenDeletes()
{
    Fixture f;
    f.form->ShowPreview->setChecked(false);
    f.pickNetscape(f.netscape);
    f.form->DeleteBookmark->setChecked(true);
    f.prompter.calls.clear();
    f.prompter.fileAnswers.enqueue(f.backup);
    f.prompter.deleteAnswers.enqueue(true);
    f.form->ExecuteBtClick();
    QCOMPARE(questions(f.prompter),
        (QStringList{u"message: "_qs + MainTexts::WhereToBackUp, u"save: lorvet.html"_qs,
            u"delete: "_qs + f.netscape}));
    QCOMPARE(contents(f.backup), oldBookmarks);
    QVERIFY(!QFile::exists(f.netscape));
}

void TestMainForm::secondSwitchProposesFirstBackup()
{
    Fixture f;
    f.chooseBoth();
    const QString chosen = f.dir.filePath(u"backup-1.html"_qs);
    f.prompter.fileAnswers.enqueue(chosen);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.form->ExecuteBtClick();

    // The second time the same path is proposed; choosing it again asks before replacing it.
    writeFile(f.source, "third");
    f.prompter.fileAnswers.enqueue(chosen);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.prompter.calls.clear();
    f.form->ExecuteBtClick();
    QCOMPARE(f.prompter.fileRequests.constLast().fileName, chosen);
    QCOMPARE(questions(f.prompter),
        (QStringList{u"message: "_qs + MainTexts::WhereToBackUp, u"save: "_qs + chosen,
            u"replace: "_qs + chosen, u"replace: "_qs + f.netscape}));
    QCOMPARE(contents(chosen), newBookmarks);
    QCOMPARE(contents(f.netscape), QByteArray("third"));
}

void TestMainForm::semicolonPathStaysOneName()
{
    Fixture f(u"a;b.htm"_qs);
    // Decoys: were the name split at ';', these would be the files acted on.
    writeFile(f.dir.filePath(u"a"_qs), "decoy a");
    writeFile(f.dir.filePath(u"b.htm"_qs), "decoy b");
    // The source and the backup have one too.
    f.source = f.dir.filePath(u"a;source.html"_qs);
    f.backup = f.dir.filePath(u"b.htm;backup.html"_qs);
    writeFile(f.source, newBookmarks);
    f.chooseBoth();
    f.prompter.fileAnswers.enqueue(f.backup);
    f.prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    f.form->ExecuteBtClick();
    QCOMPARE(contents(f.backup), oldBookmarks);
    QCOMPARE(contents(f.netscape), newBookmarks);

    f.form->DeleteBookmark->setChecked(true);
    f.prompter.fileAnswers.enqueue(f.dir.filePath(u"second.html"_qs));
    f.prompter.deleteAnswers.enqueue(true);
    f.form->ExecuteBtClick();
    QVERIFY(!QFile::exists(f.netscape));
    QCOMPARE(contents(f.dir.filePath(u"a"_qs)), QByteArray("decoy a"));
    QCOMPARE(contents(f.dir.filePath(u"b.htm"_qs)), QByteArray("decoy b"));
}

void TestMainForm::wildcardNameStaysOneName()
{
    Fixture f(u"bookmarks*.html"_qs);
    // Decoys the pattern would match.
    writeFile(f.dir.filePath(u"bookmarks-home.html"_qs), "home");
    writeFile(f.dir.filePath(u"bookmarks-work.html"_qs), "work");
    f.form->ShowPreview->setChecked(false);
    f.pickNetscape(f.netscape);
    f.form->DeleteBookmark->setChecked(true);
    f.prompter.fileAnswers.enqueue(f.backup);
    f.prompter.deleteAnswers.enqueue(true);
    f.form->ExecuteBtClick();
    QCOMPARE(contents(f.backup), oldBookmarks);
    QVERIFY(!QFile::exists(f.netscape));
    QCOMPARE(contents(f.dir.filePath(u"bookmarks-home.html"_qs)), QByteArray("home"));
    QCOMPARE(contents(f.dir.filePath(u"bookmarks-work.html"_qs)), QByteArray("work"));
    QCOMPARE(
        questions(f.prompter).filter(u"delete: "_qs), QStringList{u"delete: "_qs + f.netscape});
}

void TestMainForm::backupOntoSourceRefused_data()
{
    QTest::addColumn<bool>("hardLink");
    QTest::newRow("the source itself") << false;
    QTest::newRow("a hard link to the source") << true;
}

void TestMainForm::backupOntoSourceRefused()
{
    QFETCH(bool, hardLink);
    Fixture f;
    f.chooseBoth();
    QString target = f.source;
    if (hardLink) {
        target = f.dir.filePath(u"link.html"_qs);
        QCOMPARE(
            ::link(QFile::encodeName(f.source).constData(), QFile::encodeName(target).constData()),
            0);
    }
    f.prompter.fileAnswers.enqueue(target);
    f.form->ExecuteBtClick();
    QCOMPARE(questions(f.prompter),
        (QStringList{u"message: "_qs + MainTexts::WhereToBackUp, u"save: lorvet.html"_qs,
            u"message: "_qs + MainTexts::BackupOntoSource}));
    QCOMPARE(contents(f.source), newBookmarks);
    QCOMPARE(contents(f.netscape), oldBookmarks);
}

void TestMainForm::sameFileUnderAnotherName_data()
{
    QTest::addColumn<bool>("asBackup"); // the name is chosen as the backup, else as the source
    QTest::addColumn<QString>("how");
    for (const bool asBackup : {false, true}) {
        const char *role = asBackup ? "backup" : "source";
        for (const char *how : {"spelled differently", "hard link", "symbolic link"})
            QTest::addRow("%s: %s", role, how) << asBackup << QString::fromLatin1(how);
    }
}

void TestMainForm::sameFileUnderAnotherName()
{
    QFETCH(bool, asBackup);
    QFETCH(QString, how);
    Fixture f;
    QString other = f.dir.path() + u"/./bookmark.htm"_qs;
    if (how != u"spelled differently"_qs) {
        other = f.dir.filePath(u"twin.html"_qs);
        const QByteArray from = QFile::encodeName(f.netscape);
        const QByteArray to = QFile::encodeName(other);
        QCOMPARE(how == u"hard link"_qs ? ::link(from, to) : ::symlink(from, to), 0);
    }
    if (asBackup)
        f.backup = other;
    else
        f.source = other;
    f.chooseBoth();
    f.prompter.fileAnswers.enqueue(f.backup);
    f.form->ExecuteBtClick();

    // The service names the destination it refuses to write, as a clean path.
    const QString named = asBackup ? QDir::cleanPath(other) : f.netscape;
    QStringList told{u"message: "_qs + MainTexts::WhereToBackUp, u"save: lorvet.html"_qs,
        u"error: 「%1」をコピーできません。\nコピー元とコピー先が同じファイルです。"_qs.arg(named)};
    if (asBackup)
        told << u"message: "_qs + MainTexts::BackupFailed;
    QCOMPARE(questions(f.prompter), told);
    QCOMPARE(contents(f.netscape), oldBookmarks);
    if (!asBackup)
        QCOMPARE(contents(f.dir.filePath(u"lorvet.html"_qs)), oldBookmarks);
    QVERIFY(entries(f.dir.path()).filter(u".part"_qs).isEmpty());
    QVERIFY(f.prompter.unexpected.isEmpty());
}

void TestMainForm::missingNetscapeFileNeedsNoBackup()
{
    Fixture f;
    f.chooseBoth();
    QVERIFY(QFile::remove(f.netscape));
    f.form->ExecuteBtClick();
    // Nothing to back up: no question, and the source becomes the browser's file.
    QCOMPARE(questions(f.prompter), QStringList{});
    QCOMPARE(contents(f.netscape), newBookmarks);
}

void TestMainForm::nameWithLineBreakRefused()
{
    Fixture f;
    f.form->ShowPreview->setChecked(false);
    f.pickNetscape(f.dir.filePath(u"a\nb.htm"_qs));
    QCOMPARE(f.prompter.messages, QStringList{MainTexts::NameWithLineBreak});
    QCOMPARE(f.form->label1->FileName(), MainTexts::NetscapePlaceholder);
    QVERIFY(f.form->close());
}

void TestMainForm::previewSwitchWithNothingChosen()
{
    Fixture f;
    QVERIFY(f.form->ShowPreview->isEnabled());
    f.form->ShowPreview->setChecked(false);
    QVERIFY(!f.form->ShowPreview->isEnabled());
    QVERIFY(!f.form->ShowPreview->isChecked());
    QVERIFY(!f.preview->isVisible());

    // With only the source chosen, ticking the box previews the source.
    f.form->ShowPreview->setChecked(false);
    f.pickSource(f.source);
    f.form->PreviewFile.clear();
    f.form->ShowPreview->setChecked(true);
    QCOMPARE(f.form->PreviewFile, f.source);
    QVERIFY(f.preview->isVisible());
    f.form->ShowPreview->setChecked(false);
    QVERIFY(!f.preview->isVisible());
}

void TestMainForm::doubleClickWhileUntickedTakesHiddenBounds()
{
    Fixture f;
    f.form->ShowPreview->setChecked(false);
    f.form->label1DblClick();
    QCOMPARE(f.prompter.messages.constLast(), MainTexts::ChooseNetscape);
    f.form->Label2DblClick();
    QCOMPARE(f.prompter.messages.constLast(), MainTexts::ChooseSource);

    f.pickSource(f.source);
    f.preview->setGeometry(QRect(50, 60, 200, 300));
    f.form->Label2DblClick();
    QCOMPARE(f.form->PreviewFile, f.source);
    QVERIFY(!f.preview->isVisible());
    QCOMPARE(f.form->PreviewLeft, f.preview->Left());
    QCOMPARE(f.form->PreviewTop, f.preview->Top());
    QCOMPARE(f.form->PreviewWidth, f.preview->Width());
    QCOMPARE(f.form->PreviewHeight, f.preview->Height());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
