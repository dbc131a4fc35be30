#include "CodePage.h"
#include "FileFaults.h"
#include "QtPrompter.h"
#include "ScriptedPrompter.h"
#include "ShellFileOp.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A name list as the service reads it: each name ended by NUL, the list by one more.
QByteArray nameList(const QStringList &names)
{
    QByteArray list;
    for (const QString &name : names)
        list += CodePage::toNative(name) + '\0';
    return list + '\0';
}

// A request record together with the storage its names live in.
struct Request {
    quint32 func = FO_COPY;
    QByteArray from;
    QByteArray to;
    QByteArray title;
    quint16 flags = 0;
    SHFILEOPSTRUCT op;

    int run(QWidget *owner, Prompter &prompter)
    {
        op.hwnd = owner;
        op.wFunc = func;
        op.fFlags = flags;
        op.pFrom = from.isNull() ? nullptr : from.constData();
        op.pTo = to.isNull() ? nullptr : to.constData();
        op.lpszProgressTitle = title.isNull() ? nullptr : title.constData();
        op.fAnyOperationsAborted = true; // the service must set it itself
        return SHFileOperation(&op, &prompter);
    }
};

Request request(quint32 func, const QStringList &from, const QStringList &to, quint16 flags = 0)
{
    Request r;
    r.func = func;
    r.from = nameList(from);
    if (!to.isEmpty())
        r.to = nameList(to);
    r.flags = flags;
    return r;
}

QString abs(const QString &name)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &c : data)
        c = char(generator.bounded(256));
    return data;
}

// Temporary files the service may have left behind.
QStringList leftovers(const QString &folder = u"."_s)
{
    return QDir(folder).entryList({u"*.part"_s}, QDir::Files | QDir::Hidden | QDir::System);
}

// Work that goes on, as a long copy does, until its progress dialog shows (or 5 s pass).
void workUntilShown(Progress &progress, const QWidget *dialog)
{
    QElapsedTimer timer;
    timer.start();
    qint64 done = 0;
    while (!dialog->isVisible() && timer.elapsed() < 5000) {
        QThread::msleep(10);
        progress.setDone(++done);
    }
}

} // namespace

class TestShellFileOp final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copyToNewFile();
    void copyIntoFolder();
    void copyFolderTree();
    void replaceAnswers_data();
    void replaceAnswers();
    void replaceWithoutAsking();
    void fileOntoFolderRefused();
    void renameOnCollision();
    void replaceKeepsPermissions();
    void replaceThroughSymlink();
    void sameFileRefused_data();
    void sameFileRefused();
    void folderIntoItself_data();
    void folderIntoItself();
    void diskFullKeepsTarget();
    void readOnlyFolderKeepsTarget();
    void readOnlyTargetKept_data();
    void readOnlyTargetKept();
    void specialSourceRefused_data();
    void specialSourceRefused();
    void deleteAnswers_data();
    void deleteAnswers();
    void deleteToTrash();
    void missingSource_data();
    void missingSource();
    void sourceList_data();
    void sourceList();
    void cancelProgress_data();
    void cancelProgress();
    void progressDisplay_data();
    void progressDisplay();
    void progressDialogModality_data();
    void progressDialogModality();
    void questionKeepsProgressBack();
    void moveWithinFolder();
    void moveAcrossFileSystems();
    void renameFile_data();
    void renameFile();
    void missingFolder_data();
    void missingFolder();
    void wildcards_data();
    void wildcards();
    void literalNames_data();
    void literalNames();
    void unknownFunction();

private:
    // Every question went to the request's window and none came unscripted.
    void checkPrompts(const ScriptedPrompter &prompter);

    QWidget m_owner;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
};

void TestShellFileOp::checkPrompts(const ScriptedPrompter &prompter)
{
    QVERIFY2(prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(u", "_s)));
    for (QWidget *owner : prompter.owners)
        QCOMPARE(owner, &m_owner);
}

void TestShellFileOp::initTestCase()
{
    // The desktop trash lands in a folder of ours, never the user's. The folder does not exist
    // yet, as for a new user: Qt alone would then trash into the current folder.
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->filePath(u"data"_s)));
    m_startDir = QDir::currentPath();
}

void TestShellFileOp::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Names in the tests are relative, as the program's own often are.
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestShellFileOp::cleanup()
{
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestShellFileOp::copyToNewFile()
{
    put(u"a.htm"_s, "new", 0604);
    const QDateTime stamp(QDate(2020, 5, 17), QTime(8, 30));
    {
        QFile file(u"a.htm"_s);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"a.htm"_s}, {u"b.htm"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"b.htm"_s), QByteArray("new"));
    QCOMPARE(contents(u"a.htm"_s), QByteArray("new"));
    QCOMPARE(modeOf(u"b.htm"_s), mode_t(0604));
    QCOMPARE(QFileInfo(u"b.htm"_s).lastModified(), stamp);
    QVERIFY(!r.op.fAnyOperationsAborted);
    QVERIFY(r.op.hNameMappings == nullptr);
    QVERIFY(prompter.errors.isEmpty());
    QVERIFY(leftovers().isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::copyIntoFolder()
{
    put(u"a.htm"_s, "A");
    QVERIFY(QDir().mkdir(u"dest"_s));
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"a.htm"_s}, {u"dest"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(entries(u"dest"_s), QStringList{u"a.htm"_s});
    QCOMPARE(contents(u"dest/a.htm"_s), QByteArray("A"));
    checkPrompts(prompter);
}

void TestShellFileOp::copyFolderTree()
{
    put(u"tree/sub/x.htm"_s, "X");
    QVERIFY(QFile::link(u"sub/x.htm"_s, u"tree/link"_s));
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"tree"_s}, {u"copy"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"copy/sub/x.htm"_s), QByteArray("X"));
    // A link inside the tree stays a link, pointing where it pointed.
    QVERIFY(QFileInfo(u"copy/link"_s).isSymLink());
    QCOMPARE(QFile::symLinkTarget(u"copy/link"_s), abs(u"copy/sub/x.htm"_s));
    checkPrompts(prompter);
}

void TestShellFileOp::replaceAnswers_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<int>("questions");

    const auto yes = int(ReplaceAnswer::Yes);
    const auto all = int(ReplaceAnswer::YesToAll);
    const auto no = int(ReplaceAnswer::No);
    const auto cancel = int(ReplaceAnswer::Cancel);
    QTest::newRow("yes, yes") << QList<int>{yes, yes} << QByteArray("new a") << QByteArray("new b")
                              << DE_SUCCESS << false << 2;
    QTest::newRow("yes to all") << QList<int>{all} << QByteArray("new a") << QByteArray("new b")
                                << DE_SUCCESS << false << 1;
    QTest::newRow("no, then yes") << QList<int>{no, yes} << QByteArray("old a")
                                  << QByteArray("new b") << DE_SUCCESS << true << 2;
    QTest::newRow("cancel") << QList<int>{cancel} << QByteArray("old a") << QByteArray("old b")
                            << DE_CANCELLED << true << 1;
}

void TestShellFileOp::replaceAnswers()
{
    QFETCH(QList<int>, answers);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, result);
    QFETCH(bool, aborted);
    QFETCH(int, questions);

    put(u"src/a.htm"_s, "new a");
    put(u"src/b.htm"_s, "new b");
    put(u"dest/a.htm"_s, "old a");
    put(u"dest/b.htm"_s, "old b");
    ScriptedPrompter prompter;
    for (int answer : answers)
        prompter.replaceAnswers.enqueue(ReplaceAnswer(answer));
    Request r = request(FO_COPY, {u"src/a.htm"_s, u"src/b.htm"_s}, {u"dest"_s});
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(contents(u"dest/a.htm"_s), a);
    QCOMPARE(contents(u"dest/b.htm"_s), b);
    QCOMPARE(r.op.fAnyOperationsAborted, aborted);
    QCOMPARE(prompter.calls.filter(u"replace: "_s).size(), questions);
    QCOMPARE(prompter.calls.filter(u"replace: "_s).first(), u"replace: "_s + abs(u"dest/a.htm"_s));
    QVERIFY(prompter.replaceAnswers.isEmpty());
    QVERIFY(prompter.errors.isEmpty());
    QVERIFY(leftovers(u"dest"_s).isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::replaceWithoutAsking()
{
    put(u"a.htm"_s, "new");
    put(u"b.htm"_s, "old");
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"a.htm"_s}, {u"b.htm"_s}, FOF_NOCONFIRMATION);
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"b.htm"_s), QByteArray("new"));
    QVERIFY(prompter.calls.filter(u"replace: "_s).isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::fileOntoFolderRefused()
{
    put(u"a.htm"_s, "A");
    put(u"dest/a.htm/inside.htm"_s, "I");
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"a.htm"_s}, {u"dest"_s}, FOF_NOCONFIRMATION);
    QCOMPARE(r.run(&m_owner, prompter), DE_ERRORONDEST);
    QCOMPARE(prompter.errors.size(), 1);
    QCOMPARE(contents(u"dest/a.htm/inside.htm"_s), QByteArray("I"));
    QCOMPARE(entries(u"dest/a.htm"_s), QStringList{u"inside.htm"_s});
    checkPrompts(prompter);
}

void TestShellFileOp::renameOnCollision()
{
    // Copying a file into its own folder is the common case: the copy gets a free name.
    put(u"dir/x.htm"_s, "X");
    ScriptedPrompter prompter;
    for (int round = 0; round < 2; ++round) {
        Request r = request(FO_COPY, {u"dir/x.htm"_s}, {u"dir"_s}, FOF_RENAMEONCOLLISION);
        QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    }
    QCOMPARE(
        entries(u"dir"_s), (QStringList{u"x - コピー (2).htm"_s, u"x - コピー.htm"_s, u"x.htm"_s}));
    QCOMPARE(contents(u"dir/x.htm"_s), QByteArray("X"));
    QCOMPARE(contents(u"dir/x - コピー.htm"_s), QByteArray("X"));
    QVERIFY(prompter.errors.isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::replaceKeepsPermissions()
{
    put(u"src.htm"_s, "new", 0600);
    put(u"target.htm"_s, "old", 0640);
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"src.htm"_s}, {u"target.htm"_s}, FOF_NOCONFIRMATION);
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"target.htm"_s), QByteArray("new"));
    QCOMPARE(modeOf(u"target.htm"_s), mode_t(0640));
}

void TestShellFileOp::replaceThroughSymlink()
{
    put(u"src.htm"_s, "new");
    put(u"real.htm"_s, "old");
    QVERIFY(QFile::link(u"real.htm"_s, u"link.htm"_s));
    ScriptedPrompter prompter;
    prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    Request r = request(FO_COPY, {u"src.htm"_s}, {u"link.htm"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QVERIFY(QFileInfo(u"link.htm"_s).isSymLink());
    QCOMPARE(contents(u"real.htm"_s), QByteArray("new"));
    QCOMPARE(
        prompter.calls.filter(u"replace: "_s), QStringList{u"replace: "_s + abs(u"link.htm"_s)});
    QVERIFY(leftovers().isEmpty());
    checkPrompts(prompter);
}

enum class Twin { None, HardLink, SymLink };

void TestShellFileOp::sameFileRefused_data()
{
    QTest::addColumn<quint32>("func");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("twin"); // how b.htm relates to a.htm

    const auto none = int(Twin::None);
    const auto hard = int(Twin::HardLink);
    const auto sym = int(Twin::SymLink);
    QTest::newRow("copy, dot") << FO_COPY << u"a.htm"_s << u"./a.htm"_s << none;
    QTest::newRow("copy, double slash") << FO_COPY << u"a.htm"_s << u"sub//../a.htm"_s << none;
    QTest::newRow("copy, absolute") << FO_COPY << u"a.htm"_s << u"%1/a.htm"_s << none;
    QTest::newRow("copy, hard link") << FO_COPY << u"a.htm"_s << u"b.htm"_s << hard;
    QTest::newRow("copy, onto a link to it") << FO_COPY << u"a.htm"_s << u"b.htm"_s << sym;
    QTest::newRow("copy, from a link to it") << FO_COPY << u"b.htm"_s << u"a.htm"_s << sym;
    QTest::newRow("move, same path") << FO_MOVE << u"a.htm"_s << u"sub/../a.htm"_s << none;
    QTest::newRow("move, hard link") << FO_MOVE << u"a.htm"_s << u"b.htm"_s << hard;
    QTest::newRow("move, from a link to it") << FO_MOVE << u"b.htm"_s << u"a.htm"_s << sym;
}

void TestShellFileOp::sameFileRefused()
{
    QFETCH(quint32, func);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, twin);

    put(u"a.htm"_s, "A");
    QVERIFY(QDir().mkdir(u"sub"_s));
    if (Twin(twin) == Twin::HardLink)
        QCOMPARE(::link("a.htm", "b.htm"), 0);
    else if (Twin(twin) == Twin::SymLink)
        QVERIFY(QFile::link(u"a.htm"_s, u"b.htm"_s));
    to.replace(u"%1"_s, QDir::currentPath());

    ScriptedPrompter prompter;
    Request r = request(func, {from}, {to});
    QCOMPARE(r.run(&m_owner, prompter), DE_SAMEFILE);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(prompter.errors.first().contains(u"a.htm"_s)
            || prompter.errors.first().contains(u"b.htm"_s),
        qPrintable(prompter.errors.first()));
    QVERIFY(prompter.calls.filter(u"replace: "_s).isEmpty());
    QCOMPARE(contents(u"a.htm"_s), QByteArray("A"));
    if (Twin(twin) == Twin::SymLink)
        QVERIFY(QFileInfo(u"b.htm"_s).isSymLink());
    if (Twin(twin) != Twin::None)
        QCOMPARE(contents(u"b.htm"_s), QByteArray("A"));
    QVERIFY(leftovers().isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::folderIntoItself_data()
{
    QTest::addColumn<quint32>("func");
    QTest::newRow("copy") << FO_COPY;
    QTest::newRow("move") << FO_MOVE;
}

void TestShellFileOp::folderIntoItself()
{
    QFETCH(quint32, func);
    put(u"tree/x.htm"_s, "X");
    ScriptedPrompter prompter;
    Request r = request(func, {u"tree"_s}, {u"tree/inner"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_DESTSUBTREE);
    QCOMPARE(prompter.errors.size(), 1);
    QCOMPARE(entries(u"tree"_s), QStringList{u"x.htm"_s});
    checkPrompts(prompter);
}

void TestShellFileOp::diskFullKeepsTarget()
{
    const QByteArray old = randomBytes(1000);
    put(u"big.htm"_s, randomBytes(256 * 1024));
    put(u"target.htm"_s, old);
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"big.htm"_s}, {u"target.htm"_s}, FOF_NOCONFIRMATION);
    int result = 0;
    {
        const FileSizeLimit limit(16 * 1024);
        if (!limit.active())
            QSKIP("cannot limit the file size here");
        result = r.run(&m_owner, prompter);
    }
    QCOMPARE(result, DE_ERRORONDEST);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(
        prompter.errors.first().contains(u"target.htm"_s), qPrintable(prompter.errors.first()));
    QCOMPARE(contents(u"target.htm"_s), old);
    QVERIFY(leftovers().isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::readOnlyFolderKeepsTarget()
{
    put(u"src.htm"_s, "new");
    put(u"ro/target.htm"_s, "old");
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"src.htm"_s}, {u"ro/target.htm"_s}, FOF_NOCONFIRMATION);
    int result = 0;
    if (::geteuid() == 0) {
        // nobody must be able to reach the files, and to write nothing.
        QCOMPARE(::chmod(".", 0755), 0);
        const ActAsNobody nobody;
        if (!nobody.active())
            QSKIP("cannot act as an unprivileged user here");
        result = r.run(&m_owner, prompter);
    } else {
        QCOMPARE(::chmod("ro", 0555), 0);
        if (::access("ro", W_OK) == 0) {
            ::chmod("ro", 0755);
            QSKIP("this user writes into read-only folders");
        }
        result = r.run(&m_owner, prompter);
        ::chmod("ro", 0755);
    }
    QCOMPARE(result, DE_ERRORONDEST);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(prompter.errors.first().contains(u"アクセスが拒否されました。"_s),
        qPrintable(prompter.errors.first()));
    QCOMPARE(contents(u"ro/target.htm"_s), QByteArray("old"));
    QCOMPARE(entries(u"ro"_s), QStringList{u"target.htm"_s});
    checkPrompts(prompter);
}

void TestShellFileOp::deleteAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<bool>("answer"); // queued only when the service is to ask
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("gone");

    QTest::newRow("file, yes") << u"a.htm"_s << quint16(0) << true << DE_SUCCESS << true;
    QTest::newRow("file, no") << u"a.htm"_s << quint16(0) << false << DE_CANCELLED << false;
    QTest::newRow("file, without asking")
        << u"a.htm"_s << FOF_NOCONFIRMATION << false << DE_SUCCESS << true;
    QTest::newRow("folder, yes") << u"tree"_s << quint16(0) << true << DE_SUCCESS << true;
    QTest::newRow("link, yes") << u"link"_s << quint16(0) << true << DE_SUCCESS << true;
}

void TestShellFileOp::deleteAnswers()
{
    QFETCH(QString, name);
    QFETCH(quint16, flags);
    QFETCH(bool, answer);
    QFETCH(int, result);
    QFETCH(bool, gone);

    put(u"a.htm"_s, "A");
    put(u"tree/sub/x.htm"_s, "X");
    put(u"keep.htm"_s, "K");
    QVERIFY(QFile::link(u"keep.htm"_s, u"link"_s));
    const bool asks = !(flags & FOF_NOCONFIRMATION);
    ScriptedPrompter prompter;
    if (asks)
        prompter.deleteAnswers.enqueue(answer);
    Request r = request(FO_DELETE, {name}, {}, flags);
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(!QFileInfo(name).exists() && !QFileInfo(name).isSymLink(), gone);
    QCOMPARE(r.op.fAnyOperationsAborted, asks && !answer);
    QCOMPARE(prompter.calls.filter(u"delete: "_s),
        asks ? QStringList{u"delete: "_s + abs(name)} : QStringList{});
    QCOMPARE(contents(u"keep.htm"_s), QByteArray("K")); // a link's target is not deleted
    QVERIFY(prompter.errors.isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::deleteToTrash()
{
    put(u"trashed.htm"_s, "T");
    ScriptedPrompter prompter;
    prompter.deleteAnswers.enqueue(true);
    Request r = request(FO_DELETE, {u"trashed.htm"_s}, {}, FOF_ALLOWUNDO);
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(
        prompter.calls.filter(u"trash: "_s), QStringList{u"trash: "_s + abs(u"trashed.htm"_s)});
    QVERIFY(!QFile::exists(u"trashed.htm"_s));
    const QStringList trashed = entries(m_home->filePath(u"data/Trash/files"_s));
    QVERIFY2(trashed.filter(u"trashed"_s).size() == 1, qPrintable(trashed.join(u", "_s)));
    checkPrompts(prompter);
}

void TestShellFileOp::missingSource_data()
{
    QTest::addColumn<quint32>("func");
    QTest::newRow("copy") << FO_COPY;
    QTest::newRow("move") << FO_MOVE;
    QTest::newRow("delete") << FO_DELETE;
    QTest::newRow("rename") << FO_RENAME;
}

void TestShellFileOp::missingSource()
{
    QFETCH(quint32, func);
    put(u"a.htm"_s, "A");
    ScriptedPrompter prompter;
    // The one that exists is not touched either: the missing one stops the whole request.
    Request r = request(func, {u"a.htm"_s, u"missing.htm"_s}, {u"dest"_s});
    if (func == FO_RENAME)
        r.from = nameList({u"missing.htm"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_INVALIDFILES);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(
        prompter.errors.first().contains(u"missing.htm"_s), qPrintable(prompter.errors.first()));
    QCOMPARE(entries(u"."_s), QStringList{u"a.htm"_s});
    QCOMPARE(prompter.calls.size(), 1); // the error, no question and no progress
    checkPrompts(prompter);
}

void TestShellFileOp::sourceList_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<int>("result");

    QTest::newRow("two names") << QByteArray("a.htm\0b.htm\0\0", 14)
                               << QStringList{u"a.htm"_s, u"b.htm"_s} << DE_SUCCESS;
    QTest::newRow("stops at an empty name")
        << QByteArray("a.htm\0\0b.htm\0\0", 15) << QStringList{u"a.htm"_s} << DE_SUCCESS;
    QTest::newRow("empty list") << QByteArray("\0\0", 2) << QStringList{} << DE_INVALIDFILES;
    QTest::newRow("no list") << QByteArray() << QStringList{} << DE_INVALIDFILES;
}

void TestShellFileOp::sourceList()
{
    QFETCH(QByteArray, from);
    QFETCH(QStringList, copied);
    QFETCH(int, result);

    put(u"a.htm"_s, "A");
    put(u"b.htm"_s, "B");
    QVERIFY(QDir().mkdir(u"dest"_s));
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {}, {u"dest"_s});
    r.from = from;
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(entries(u"dest"_s), copied);
    QCOMPARE(prompter.errors.size(), result == DE_SUCCESS ? 0 : 1);
    QVERIFY(prompter.calls.filter(u"replace: "_s).isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::cancelProgress_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<QStringList>("done");

    QTest::newRow("during the first file") << QStringList{u"big.htm"_s} << 1 << QStringList{};
    QTest::newRow("after a finished file")
        << QStringList{u"small.htm"_s, u"big.htm"_s} << 2 << QStringList{u"small.htm"_s};
}

void TestShellFileOp::cancelProgress()
{
    QFETCH(QStringList, sources);
    QFETCH(int, cancelAfter);
    QFETCH(QStringList, done);

    put(u"small.htm"_s, "S");
    put(u"big.htm"_s, randomBytes(3 * 1024 * 1024));
    put(u"dest/big.htm"_s, "old");
    ScriptedPrompter prompter;
    prompter.cancelProgressAfter = cancelAfter;
    Request r = request(FO_COPY, sources, {u"dest"_s}, FOF_NOCONFIRMATION);
    QCOMPARE(r.run(&m_owner, prompter), DE_OPCANCELLED);
    QVERIFY(r.op.fAnyOperationsAborted);
    QCOMPARE(contents(u"dest/big.htm"_s), QByteArray("old"));
    for (const QString &name : done)
        QCOMPARE(contents(u"dest/"_s + name), contents(name));
    QStringList expected = QStringList(done) << u"big.htm"_s;
    expected.sort();
    QCOMPARE(entries(u"dest"_s), expected);
    QVERIFY(prompter.errors.isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::progressDisplay_data()
{
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("default") << quint16(0) << QByteArray("ignored")
                             << QStringList{u"progress: コピー中..."_s};
    QTest::newRow("simple, titled") << FOF_SIMPLEPROGRESS << "ブックマークを保存中"_ba
                                    << QStringList{u"progress: ブックマークを保存中"_s};
    QTest::newRow("simple, untitled")
        << FOF_SIMPLEPROGRESS << QByteArray() << QStringList{u"progress: コピー中..."_s};
    QTest::newRow("silent") << quint16(FOF_SILENT | FOF_SIMPLEPROGRESS) << "title"_ba
                            << QStringList{};
}

void TestShellFileOp::progressDisplay()
{
    QFETCH(quint16, flags);
    QFETCH(QByteArray, title);
    QFETCH(QStringList, shown);

    put(u"a.htm"_s, "A");
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {u"a.htm"_s}, {u"b.htm"_s}, flags);
    r.title = title;
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(prompter.calls, shown);
    QCOMPARE(prompter.progressShown, int(shown.size()));
    checkPrompts(prompter);
}

void TestShellFileOp::moveWithinFolder()
{
    put(u"a.htm"_s, "A");
    put(u"b.htm"_s, "B");
    put(u"tree/x.htm"_s, "X");
    ScriptedPrompter prompter;
    prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
    Request file = request(FO_MOVE, {u"a.htm"_s}, {u"b.htm"_s});
    QCOMPARE(file.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"b.htm"_s), QByteArray("A"));
    Request folder = request(FO_MOVE, {u"tree"_s}, {u"moved"_s});
    QCOMPARE(folder.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(u"moved/x.htm"_s), QByteArray("X"));
    QCOMPARE(entries(u"."_s), (QStringList{u"b.htm"_s, u"moved"_s}));
    QCOMPARE(prompter.calls.filter(u"replace: "_s), QStringList{u"replace: "_s + abs(u"b.htm"_s)});
    checkPrompts(prompter);
}

void TestShellFileOp::moveAcrossFileSystems()
{
    // Memory-backed /dev/shm is another file system, where a move must copy and then remove.
    QTemporaryDir other(u"/dev/shm/tst_shellfileop-XXXXXX"_s);
    struct stat here {
    }, there{};
    if (!other.isValid() || ::stat(".", &here) != 0
        || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0
        || here.st_dev == there.st_dev)
        QSKIP("no second file system to move to");
    put(u"a.htm"_s, "A", 0640);
    put(u"tree/sub/x.htm"_s, "X");
    put(other.filePath(u"a.htm"_s), "old");
    ScriptedPrompter prompter;
    Request r = request(FO_MOVE, {u"a.htm"_s, u"tree"_s}, {other.path()}, FOF_NOCONFIRMATION);
    QCOMPARE(r.run(&m_owner, prompter), DE_SUCCESS);
    QCOMPARE(contents(other.filePath(u"a.htm"_s)), QByteArray("A"));
    QCOMPARE(contents(other.filePath(u"tree/sub/x.htm"_s)), QByteArray("X"));
    QVERIFY(entries(u"."_s).isEmpty());
    QVERIFY(leftovers(other.path()).isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::renameFile_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("holder"); // where a.htm's content is afterwards
    QTest::addColumn<QStringList>("after");

    QTest::newRow("free name") << u"c.htm"_s << quint16(0) << DE_SUCCESS << u"c.htm"_s
                               << QStringList{u"b.htm"_s, u"c.htm"_s};
    QTest::newRow("taken name") << u"b.htm"_s << quint16(0) << DE_FILEEXISTS << u"a.htm"_s
                                << QStringList{u"a.htm"_s, u"b.htm"_s};
    QTest::newRow("taken, even without asking")
        << u"b.htm"_s << FOF_NOCONFIRMATION << DE_FILEEXISTS << u"a.htm"_s
        << QStringList{u"a.htm"_s, u"b.htm"_s};
    QTest::newRow("taken, free name chosen")
        << u"b.htm"_s << FOF_RENAMEONCOLLISION << DE_SUCCESS << u"b - コピー.htm"_s
        << QStringList{u"b - コピー.htm"_s, u"b.htm"_s};
}

void TestShellFileOp::renameFile()
{
    QFETCH(QString, newName);
    QFETCH(quint16, flags);
    QFETCH(int, result);
    QFETCH(QString, holder);
    QFETCH(QStringList, after);

    put(u"a.htm"_s, "A");
    put(u"b.htm"_s, "B");
    ScriptedPrompter prompter;
    Request r = request(FO_RENAME, {u"a.htm"_s}, {newName}, flags);
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(entries(u"."_s), after);
    QCOMPARE(contents(holder), QByteArray("A"));
    QCOMPARE(contents(u"b.htm"_s), QByteArray("B"));
    QCOMPARE(prompter.errors.size(), result == DE_SUCCESS ? 0 : 1);
    QVERIFY(prompter.calls.filter(u"replace: "_s).isEmpty());
    checkPrompts(prompter);
}

void TestShellFileOp::missingFolder_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("result");

    const QStringList two{u"a.htm"_s, u"b.htm"_s};
    QTest::newRow("several, yes") << two << u"out"_s << u"out"_s << quint16(0) << true
                                  << DE_SUCCESS;
    QTest::newRow("several, no") << two << u"out"_s << u"out"_s << quint16(0) << false
                                 << DE_CANCELLED;
    QTest::newRow("several, without asking")
        << two << u"out"_s << u"out"_s << FOF_NOCONFIRMMKDIR << false << DE_SUCCESS;
    QTest::newRow("one file, yes") << QStringList{u"a.htm"_s} << u"new/deeper/a.htm"_s
                                   << u"new/deeper"_s << quint16(0) << true << DE_SUCCESS;
    QTest::newRow("one file, no") << QStringList{u"a.htm"_s} << u"new/deeper/a.htm"_s
                                  << u"new/deeper"_s << quint16(0) << false << DE_CANCELLED;
}

void TestShellFileOp::missingFolder()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, dest);
    QFETCH(QString, folder);
    QFETCH(quint16, flags);
    QFETCH(bool, answer);
    QFETCH(int, result);

    put(u"a.htm"_s, "A");
    put(u"b.htm"_s, "B");
    const bool asks = !(flags & FOF_NOCONFIRMMKDIR);
    ScriptedPrompter prompter;
    if (asks)
        prompter.mkdirAnswers.enqueue(answer);
    Request r = request(FO_COPY, sources, {dest}, flags);
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(prompter.calls.filter(u"mkdir: "_s),
        asks ? QStringList{u"mkdir: "_s + abs(folder)} : QStringList{});
    QCOMPARE(r.op.fAnyOperationsAborted, result != DE_SUCCESS);
    if (result == DE_SUCCESS) {
        QCOMPARE(entries(folder), sources);
    } else {
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(entries(u"."_s), (QStringList{u"a.htm"_s, u"b.htm"_s}));
    }
    checkPrompts(prompter);
}

void TestShellFileOp::wildcards_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("copied");

    QTest::newRow("files and folders") << u"src/*.htm"_s << quint16(0) << DE_SUCCESS
                                       << QStringList{u"a.htm"_s, u"b.htm"_s, u"sub.htm"_s};
    QTest::newRow("files only") << u"src/*.htm"_s << FOF_FILESONLY << DE_SUCCESS
                                << QStringList{u"a.htm"_s, u"b.htm"_s};
    QTest::newRow("one character")
        << u"src/?.htm"_s << quint16(0) << DE_SUCCESS << QStringList{u"a.htm"_s, u"b.htm"_s};
    QTest::newRow("every name") << u"src/*.*"_s << FOF_FILESONLY << DE_SUCCESS
                                << QStringList{u"a.htm"_s, u"b.htm"_s, u"c.txt"_s, u"README"_s};
    QTest::newRow("a named folder, files only")
        << u"src/sub.htm"_s << FOF_FILESONLY << DE_SUCCESS << QStringList{u"sub.htm"_s};
    QTest::newRow("no match") << u"src/*.xyz"_s << quint16(0) << DE_INVALIDFILES << QStringList{};
}

void TestShellFileOp::wildcards()
{
    QFETCH(QString, pattern);
    QFETCH(quint16, flags);
    QFETCH(int, result);
    QFETCH(QStringList, copied);

    put(u"src/a.htm"_s, "A");
    put(u"src/b.htm"_s, "B");
    put(u"src/c.txt"_s, "C");
    put(u"src/README"_s, "R");
    put(u"src/sub.htm/inner.htm"_s, "I");
    QVERIFY(QDir().mkdir(u"out"_s));
    ScriptedPrompter prompter;
    Request r = request(FO_COPY, {pattern}, {u"out"_s}, flags);
    QCOMPARE(r.run(&m_owner, prompter), result);
    copied.sort();
    QCOMPARE(entries(u"out"_s), copied);
    if (copied.contains(u"sub.htm"_s))
        QCOMPARE(contents(u"out/sub.htm/inner.htm"_s), QByteArray("I"));
    QCOMPARE(prompter.errors.size(), result == DE_SUCCESS ? 0 : 1);
    checkPrompts(prompter);
}

void TestShellFileOp::unknownFunction()
{
    put(u"a.htm"_s, "A");
    ScriptedPrompter prompter;
    Request r = request(0x99, {u"a.htm"_s}, {u"b.htm"_s});
    QCOMPARE(r.run(&m_owner, prompter), DE_INVALIDPARAM);
    QCOMPARE(prompter.errors.size(), 1);
    QCOMPARE(entries(u"."_s), QStringList{u"a.htm"_s});
    checkPrompts(prompter);
}

void TestShellFileOp::readOnlyTargetKept_data()
{
    QTest::addColumn<quint32>("func");
    QTest::addColumn<QString>("dest"); // in the writable folder "rw"
    QTest::newRow("copy") << FO_COPY << u"target.htm"_s;
    QTest::newRow("copy through a link") << FO_COPY << u"link.htm"_s;
    QTest::newRow("move") << FO_MOVE << u"target.htm"_s;
    QTest::newRow("move through a link") << FO_MOVE << u"link.htm"_s;
}

void TestShellFileOp::readOnlyTargetKept()
{
    QFETCH(quint32, func);
    QFETCH(QString, dest);
    // A read-only file in a folder anyone may write: only a rename could replace it.
    put(u"rw/src.htm"_s, "new", 0644);
    put(u"rw/target.htm"_s, "old", 0444);
    QVERIFY(QFile::link(u"target.htm"_s, u"rw/link.htm"_s));
    QCOMPARE(::chmod("rw", 0777), 0);
    QCOMPARE(::chmod(".", 0755), 0); // nobody must reach the files
    ScriptedPrompter prompter;
    Request r = request(func, {u"rw/src.htm"_s}, {u"rw/"_s + dest}, FOF_NOCONFIRMATION);
    int result = 0;
    {
        const ActAsNobody nobody;
        if (::geteuid() == 0)
            QSKIP("cannot act as an unprivileged user here");
        if (::faccessat(AT_FDCWD, "rw/target.htm", W_OK, AT_EACCESS) == 0)
            QSKIP("this user writes read-only files");
        result = r.run(&m_owner, prompter);
    }
    QCOMPARE(result, DE_ERRORONDEST);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(prompter.errors.first().contains(dest), qPrintable(prompter.errors.first()));
    QVERIFY2(prompter.errors.first().contains(u"アクセスが拒否されました。"_s),
        qPrintable(prompter.errors.first()));
    QCOMPARE(contents(u"rw/target.htm"_s), QByteArray("old"));
    QCOMPARE(modeOf(u"rw/target.htm"_s), mode_t(0444));
    QVERIFY(QFileInfo(u"rw/link.htm"_s).isSymLink());
    QCOMPARE(contents(u"rw/src.htm"_s), QByteArray("new"));
    QCOMPARE(entries(u"rw"_s, QDir::System),
        (QStringList{u"link.htm"_s, u"src.htm"_s, u"target.htm"_s}));
    checkPrompts(prompter);
}

void TestShellFileOp::specialSourceRefused_data()
{
    QTest::addColumn<quint32>("func");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("dest");
    QTest::newRow("copy a pipe") << FO_COPY << u"pipe"_s << u"out/copy"_s;
    QTest::newRow("copy a link to a pipe") << FO_COPY << u"link"_s << u"out/copy"_s;
    QTest::newRow("copy a pipe over a file") << FO_COPY << u"pipe"_s << u"out/old"_s;
    QTest::newRow("copy a folder holding a pipe") << FO_COPY << u"tree"_s << u"out/tree"_s;
}

void TestShellFileOp::specialSourceRefused()
{
    QFETCH(quint32, func);
    QFETCH(QString, source);
    QFETCH(QString, dest);
    QCOMPARE(::mkfifo("pipe", 0644), 0);
    QVERIFY(QFile::link(u"pipe"_s, u"link"_s));
    QVERIFY(QDir().mkdir(u"tree"_s));
    QCOMPARE(::mkfifo("tree/pipe", 0644), 0);
    put(u"out/old"_s, "old");
    ScriptedPrompter prompter;
    Request r = request(func, {source}, {dest}, FOF_NOCONFIRMATION);
    QElapsedTimer timer;
    timer.start();
    // A pipe nobody writes would block a plain open or read for ever.
    QCOMPARE(r.run(&m_owner, prompter), DE_ACCESSDENIEDSRC);
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(prompter.errors.size(), 1);
    QVERIFY2(prompter.errors.first().contains(u"通常のファイルではありません。"_s),
        qPrintable(prompter.errors.first()));
    QCOMPARE(contents(u"out/old"_s), QByteArray("old"));
    QVERIFY(leftovers(u"out"_s).isEmpty());
    QVERIFY(!QFileInfo::exists(u"out/copy"_s));
    checkPrompts(prompter);
}

void TestShellFileOp::progressDialogModality_data()
{
    QTest::addColumn<bool>("owned");
    QTest::newRow("owned by the window") << true;
    QTest::newRow("no owner") << false;
}

void TestShellFileOp::progressDialogModality()
{
    QFETCH(bool, owned);
    QWidget *owner = owned ? &m_owner : nullptr;
    m_owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_owner));
    const auto findDialog = [] {
        QProgressDialog *found = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows)
            if (auto *dialog = qobject_cast<QProgressDialog *>(window))
                found = dialog;
        return found;
    };

    QtPrompter prompter;
    std::unique_ptr<Progress> progress = prompter.progress(owner, u"コピー中..."_s, true);
    progress->setTotal(1000000);
    progress->setDone(0);
    QProgressDialog *dialog = findDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowModality(), owned ? Qt::WindowModal : Qt::ApplicationModal);
    QVERIFY(!dialog->isVisible());

    // Work that goes on, as a long copy does: the dialog appears on its own after a while.
    int timerRuns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&timerRuns] { ++timerRuns; });
    ticker.start(10);
    workUntilShown(*progress, dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(timerRuns > 0); // events other than input kept flowing
    QCOMPARE(QApplication::activeModalWidget(), dialog);
    QVERIFY(!progress->cancelled());
    progress.reset();
    QVERIFY(!findDialog());
    m_owner.hide();
}

// A question asked while the work runs stays in front and answerable: the progress dialog,
// due after half a second, waits for the answer instead of taking the owner's modality.
void TestShellFileOp::questionKeepsProgressBack()
{
    m_owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_owner));
    QtPrompter prompter;
    std::unique_ptr<Progress> progress = prompter.progress(&m_owner, u"コピー中..."_s, true);
    progress->setTotal(1000000);
    progress->setDone(0);
    auto *dialog = m_owner.findChild<QProgressDialog *>();
    QVERIFY(dialog);

    bool progressShownDuringQuestion = false;
    bool questionOnTop = false;
    // The person reads the question for well over the progress dialog's delay.
    QTimer::singleShot(1200, &m_owner, [&] {
        progressShownDuringQuestion = dialog->isVisible();
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        questionOnTop = box != nullptr;
        // Answered either way, so that a fault fails the test instead of hanging it.
        if (!box)
            box = m_owner.findChild<QMessageBox *>();
        if (box)
            box->button(QMessageBox::Yes)->click();
    });
    const FileFacts facts{u"/tmp/x"_s, 1, QDateTime::currentDateTime()};
    const ReplaceAnswer answer = prompter.askReplace(&m_owner, facts, facts, false);
    QVERIFY(!progressShownDuringQuestion);
    QVERIFY(questionOnTop);
    QCOMPARE(answer, ReplaceAnswer::Yes);

    // After the answer the work goes on, and its progress appears in its time.
    workUntilShown(*progress, dialog);
    QVERIFY(dialog->isVisible());
    progress.reset();
    m_owner.hide();
}

void TestShellFileOp::literalNames_data()
{
    QTest::addColumn<quint32>("func");
    QTest::addColumn<QString>("name"); // in "src"
    QTest::addColumn<bool>("exists"); // a file of exactly that name
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("left"); // in "src" afterwards

    const QStringList others{u"a.htm"_s, u"ab.htm"_s, u"bookmarks-home.html"_s,
        u"bookmarks-work.html"_s, u"src1.html"_s};
    const auto with = [&others](const QString &name) {
        QStringList all = others;
        all << name;
        all.sort();
        return all;
    };
    const quint16 literal = FOF_LITERALNAMES;
    const quint16 none = 0;

    QTest::newRow("copy, literal flag, name exists")
        << FO_COPY << u"bookmarks*.html"_s << true << literal << DE_SUCCESS
        << with(u"bookmarks*.html"_s);
    QTest::newRow("copy, literal flag, name missing")
        << FO_COPY << u"a*.htm"_s << false << literal << DE_INVALIDFILES << others;
    QTest::newRow("copy, literal flag, question mark")
        << FO_COPY << u"src?.html"_s << true << literal << DE_SUCCESS << with(u"src?.html"_s);
    QTest::newRow("copy, no flag, name exists")
        << FO_COPY << u"a*.htm"_s << true << none << DE_SUCCESS << with(u"a*.htm"_s);
    QTest::newRow("copy, no flag, question mark exists")
        << FO_COPY << u"src?.html"_s << true << none << DE_SUCCESS << with(u"src?.html"_s);
    QTest::newRow("delete, literal flag, name exists")
        << FO_DELETE << u"bookmarks*.html"_s << true << literal << DE_SUCCESS << others;
    QTest::newRow("delete, literal flag, name missing")
        << FO_DELETE << u"bookmarks*.html"_s << false << literal << DE_INVALIDFILES << others;
    QTest::newRow("delete, no flag, name exists")
        << FO_DELETE << u"bookmarks*.html"_s << true << none << DE_SUCCESS << others;
    QTest::newRow("delete, no flag, name missing: a pattern")
        << FO_DELETE << u"bookmarks*.html"_s << false << none << DE_SUCCESS
        << QStringList{u"a.htm"_s, u"ab.htm"_s, u"src1.html"_s};
}

void TestShellFileOp::literalNames()
{
    QFETCH(quint32, func);
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(quint16, flags);
    QFETCH(int, result);
    QFETCH(QStringList, left);

    for (const QString &other : {u"a.htm"_s, u"ab.htm"_s, u"bookmarks-home.html"_s,
             u"bookmarks-work.html"_s, u"src1.html"_s})
        put(u"src/"_s + other, other.toUtf8());
    if (exists)
        put(u"src/"_s + name, "literal");
    QVERIFY(QDir().mkdir(u"out"_s));
    ScriptedPrompter prompter;
    const QString source = u"src/"_s + name;
    // A backup under a new name: one file, never a folder of that name.
    Request r = request(
        func, {source}, func == FO_COPY ? QStringList{u"out/lorvet.html"_s} : QStringList{});
    r.flags = flags;
    const bool asked = func == FO_DELETE && result == DE_SUCCESS;
    if (asked)
        prompter.deleteAnswers << true;
    QCOMPARE(r.run(&m_owner, prompter), result);
    QCOMPARE(entries(u"src"_s), left);
    if (func == FO_COPY && result == DE_SUCCESS) {
        QCOMPARE(entries(u"out"_s), QStringList{u"lorvet.html"_s});
        QCOMPARE(contents(u"out/lorvet.html"_s), QByteArray("literal"));
    } else {
        QCOMPARE(entries(u"out"_s), QStringList{});
    }
    if (asked && exists) // the one file, by its own name
        QCOMPARE(prompter.calls.first(), u"delete: "_s + abs(source));
    QCOMPARE(prompter.errors.size(), result == DE_SUCCESS ? 0 : 1);
    if (result != DE_SUCCESS)
        QVERIFY2(prompter.errors.first().contains(name), qPrintable(prompter.errors.first()));
    checkPrompts(prompter);
}

QTEST_MAIN(TestShellFileOp)
#include "tst_shellfileop.moc"
