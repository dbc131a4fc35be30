// Faults caused on purpose under the real file-operation service, the settings file and the
// whole switch, each run in its own process (fault_driver): a full or failing disk and a
// failing rename through a preloaded library, refusals as an unprivileged user, and kill -9 at
// random moments. After each, the bookmark file, its backup and the settings file are as
// before or as intended, no temporary file is left, and the user was told what happened.
#include "ShellFileOp.h"
#include "TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString BackupFailed = u"バックアップを作成できなかったため、Bookmarkは変更していません。"_s;
const QString WhereToBackUp = u"現在のBookmarkの保存先を指定してください。"_s;
const QString NoSpace = u"ディスクに空きがありません。"_s;
const QString IoError = u"デバイスの入出力エラーが発生しました。"_s;
const QString Denied = u"アクセスが拒否されました。"_s;
const QString OtherFileSystem = u"別のファイル システムにあるため、置き換えられません。"_s;

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    return data;
}

QByteArray hashOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    QCryptographicHash hash(QCryptographicHash::Md4); // the quickest: it only tells contents apart
    hash.addData(&file);
    return hash.result().toHex();
}

QByteArray hashOfBytes(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md4).toHex();
}

QByteArray settingsText(int length, char letter)
{
    return "[Files]\nValue=" + QByteArray(length, letter) + "\n";
}

// The folders of one run: Netscape's, the sources', the backups' and the program's, where its
// settings file lives; a home for the user the driver runs as.
struct Layout {
    QTemporaryDir dir;
    QString netscapeDir = dir.filePath(u"netscape"_s);
    QString sourceDir = dir.filePath(u"sources"_s);
    QString backupDir = dir.filePath(u"backups"_s);
    QString appDir = dir.filePath(u"app"_s);
    QString netscape = netscapeDir + u"/bookmark.htm"_s;
    QString source = sourceDir + u"/source.html"_s;
    QString backup = backupDir + u"/lorvet.html"_s;
    QString settings = appDir + u"/vantrelle.ini"_s;
    QString trace = dir.filePath(u"trace"_s);

    Layout()
    {
        for (const QString &folder : {netscapeDir, sourceDir, backupDir, appDir})
            QDir().mkpath(folder);
        QDir().mkpath(dir.filePath(u"home"_s));
    }

    QString expand(QString text) const
    {
        return text.replace(u"%N"_s, netscape)
            .replace(u"%S"_s, source)
            .replace(u"%B"_s, backup)
            .replace(u"%I"_s, settings)
            .replace(u"%n"_s, netscapeDir)
            .replace(u"%b"_s, backupDir)
            .replace(u"%a"_s, appDir);
    }

    // What is in the folders that the program writes, temporary files included.
    QStringList written() const
    {
        QStringList names;
        for (const QString &folder : {netscapeDir, backupDir, appDir})
            for (const QString &name : entries(folder, QDir::System))
                names << QDir(dir.path()).relativeFilePath(folder + u'/' + name);
        names.sort();
        return names;
    }
};

struct Run {
    QStringList lines; // what the driver printed but "ready"
    QString errors; // its stderr
    bool crashed = false;
};

enum class As { Us, Nobody };

// What the preloaded library does to a run: the fault it makes, where it keeps its trace, and
// whether the file system is to have no nameless files.
struct Faults {
    QString fault;
    QString trace;
    bool named = false;
};

void startDriver(
    QProcess &process, const QStringList &args, const Faults &faults, As as, const Layout &layout)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, layout.dir.filePath(u"home"_s));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    if (!faults.fault.isEmpty() || !faults.trace.isEmpty() || faults.named) {
        env.insert(u"LD_PRELOAD"_s, QStringLiteral(FAULT_LIBRARY));
        env.insert(u"VANTRELLE_FAULT"_s, faults.fault);
        env.insert(u"VANTRELLE_FAULT_TRACE"_s, faults.trace);
        env.insert(u"VANTRELLE_FAULT_NO_TMPFILE"_s, faults.named ? u"1"_s : u"0"_s);
        // Under the sanitizers the library comes before their runtime, which is no fault here.
        const QString asan = env.value(u"ASAN_OPTIONS"_s);
        env.insert(u"ASAN_OPTIONS"_s,
            (asan.isEmpty() ? QString() : asan + u':') + u"verify_asan_link_order=0"_s);
    }
    process.setProcessEnvironment(env);
    if (as == As::Nobody)
        process.start(u"setpriv"_s,
            QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s,
                QStringLiteral(FAULT_DRIVER)}
                + args);
    else
        process.start(QStringLiteral(FAULT_DRIVER), args);
}

// Waits for the driver's next line, which is to be `line`.
bool waitLine(QProcess &process, const QByteArray &line)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(60000))
            return false;
    return process.readLine() == line + '\n';
}

Run finish(QProcess &process)
{
    Run run;
    process.waitForFinished(120000);
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n'))
        if (!line.isEmpty() && line != "ready" && line != "done")
            run.lines << QString::fromUtf8(line);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

Run drive(const QStringList &args, const Faults &faults, As as, const Layout &layout)
{
    QProcess process;
    startDriver(process, args, faults, as, layout);
    if (!process.waitForStarted())
        return {{}, u"cannot start the driver"_s, true};
    return finish(process);
}

// Whether this folder's file system makes nameless files (O_TMPFILE).
bool namelessFiles(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The trace the preloaded library keeps: what the process was doing when it was killed.
struct Trace {
    quint32 call = 0; // none, write, fsync, close, rename, link
    quint32 inside = 0;
    quint64 bytes = 0;
    quint32 counts[6] = {};
};

Trace readTrace(const QString &path)
{
    Trace t;
    const QByteArray data = contents(path);
    if (data.size() >= qsizetype(sizeof t))
        std::memcpy(&t, data.constData(), sizeof t);
    return t;
}

// Which step of which copy a kill interrupted. Each copy writes its file, syncs it, names it,
// renames it over the target and syncs the folder; in a switch the backup comes first.
struct Phase {
    QString copy; // "backup: ", "bookmark: " or nothing for a single copy
    QString step;
    bool named = false; // the temporary file had a name
    QString text() const { return copy + step; }
};

Phase phaseOf(const Trace &t, bool finished, int copies, qint64 size)
{
    if (finished)
        return {{}, u"after the end"_s};
    int copy = 0;
    Phase phase;
    const QString after = t.inside ? QString() : u"after "_s;
    switch (t.call) {
    case 0:
        phase.step = u"before writing"_s;
        break;
    case 1:
        copy = int(qint64(t.bytes) / qMax<qint64>(size, 1));
        phase.step = u"writing"_s;
        break;
    case 2:
        copy = int(t.counts[2] - 1) / 2;
        phase.step = after + (t.counts[2] % 2 ? u"syncing the file"_s : u"syncing the folder"_s);
        break;
    case 4:
        copy = int(t.counts[4]) - 1;
        phase.step = after + u"renaming"_s;
        phase.named = t.inside;
        break;
    case 5:
        copy = int(t.counts[5]) - 1;
        phase.step = after + u"naming the file"_s;
        phase.named = true;
        break;
    default:
        phase.step = u"closing"_s;
        break;
    }
    if (copies > 1)
        phase.copy = qMin(copy, copies - 1) == 0 ? u"backup: "_s : u"bookmark: "_s;
    return phase;
}

} // namespace

class TestFaults final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void injected_data();
    void injected();
    void refused_data();
    void refused();
    void killed_data();
    void killed();
};

void TestFaults::injected_data()
{
    QTest::addColumn<QString>("operation"); // copy, ini or switch
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("targetChanged");
    QTest::addColumn<bool>("backupMade");
    QTest::addColumn<QStringList>("said"); // everything the driver printed
    // "nameless": needs nameless temporary files to happen at all; "named": the file system
    // is made one without them.
    QTest::addColumn<QString>("temp");

    const auto copyRow
        = [](const char *name, const char *fault, const QString &reason, const QString &temp = {}) {
              QTest::newRow(name) << u"copy"_s << QString::fromUtf8(fault) << false << false
                                  << QStringList{u"replace: %N"_s,
                                         u"error: 「%N」をコピーできません。\\n"_s + reason,
                                         u"result: %1"_s.arg(DE_ERRORONDEST), u"aborted: 0"_s}
                                  << temp;
          };
    copyRow("copy, disk full in one large write", "write:ENOSPC:after=1572864:path=%n/", NoSpace);
    copyRow("copy, disk full in a flush", "fsync:ENOSPC:path=%n/", NoSpace);
    copyRow("copy, EIO on fsync", "fsync:EIO:path=%n/", IoError);
    copyRow("copy, EIO on close", "close:EIO:path=%n/", IoError);
    copyRow("copy, failing rename", "rename:EXDEV:path=%n/", OtherFileSystem);
    copyRow("copy, naming the copy fails", "link:EIO:path=%n/", IoError, u"nameless"_s);
    copyRow("copy, named temporary file, disk full", "write:ENOSPC:after=1572864:path=%n/", NoSpace,
        u"named"_s);
    copyRow("copy, named temporary file, failing rename", "rename:EXDEV:path=%n/", OtherFileSystem,
        u"named"_s);
    QTest::newRow("copy, folder sync fails after the rename")
        << u"copy"_s << u"fsync:EIO:skip=1:path=%n"_s << true << false
        << QStringList{u"replace: %N"_s,
               u"error: 「%N」はコピーしましたが、ディスクに書き込まれたことを確認できません。\\n"_s
                   + IoError,
               u"result: %1"_s.arg(DE_ERRORONDEST), u"aborted: 0"_s}
        << QString();

    const auto iniRow = [](const char *name, const char *fault, const QString &temp = {}) {
        QTest::newRow(name) << u"ini"_s << QString::fromUtf8(fault) << false << false
                            << QStringList{u"shown: %I に書き込めません"_s, u"ok: 0"_s} << temp;
    };
    iniRow("settings, disk full in one large write", "write:ENOSPC:after=65536:path=%a/");
    iniRow("settings, disk full in a flush", "fsync:ENOSPC:path=%a/");
    iniRow("settings, EIO on fsync", "fsync:EIO:path=%a/");
    iniRow("settings, failing rename", "rename:EXDEV:path=%a/");
    iniRow("settings, named temporary file, EIO on fsync", "fsync:EIO:path=%a/", u"named"_s);

    QTest::newRow("switch, disk full while backing up")
        << u"switch"_s << u"write:ENOSPC:after=1048576:path=%b/"_s << false << false
        << QStringList{u"message: "_s + WhereToBackUp, u"save: lorvet.html"_s,
               u"error: 「%B」をコピーできません。\\n"_s + NoSpace, u"message: "_s + BackupFailed}
        << QString();
    QTest::newRow("switch, EIO on the backup's fsync")
        << u"switch"_s << u"fsync:EIO:path=%b/"_s << false << false
        << QStringList{u"message: "_s + WhereToBackUp, u"save: lorvet.html"_s,
               u"error: 「%B」をコピーできません。\\n"_s + IoError, u"message: "_s + BackupFailed}
        << QString();
    QTest::newRow("switch, disk full while replacing the bookmarks")
        << u"switch"_s << u"write:ENOSPC:after=1048576:path=%n/"_s << false << true
        << QStringList{u"message: "_s + WhereToBackUp, u"save: lorvet.html"_s, u"replace: %N"_s,
               u"error: 「%N」をコピーできません。\\n"_s + NoSpace}
        << QString();
    QTest::newRow("switch, failing rename of the bookmarks")
        << u"switch"_s << u"rename:EXDEV:path=%n/"_s << false << true
        << QStringList{u"message: "_s + WhereToBackUp, u"save: lorvet.html"_s, u"replace: %N"_s,
               u"error: 「%N」をコピーできません。\\n"_s + OtherFileSystem}
        << QString();
}

void TestFaults::injected()
{
    QFETCH(QString, operation);
    QFETCH(QString, fault);
    QFETCH(bool, targetChanged);
    QFETCH(bool, backupMade);
    QFETCH(QStringList, said);
    QFETCH(QString, temp);

    const Layout l;
    if (temp == u"nameless"_s && !namelessFiles(l.netscapeDir))
        QSKIP("this file system names its temporary files from the start");
    // Three chunks of the service's copy, so that a fault can come in the middle of one.
    const QByteArray old = randomBytes(3 << 20, 1);
    const QByteArray incoming = randomBytes(3 << 20, 2);
    const QByteArray oldSettings = settingsText(16, 'A');
    put(l.netscape, old);
    put(l.source, incoming);
    put(l.settings, oldSettings);

    QStringList args;
    QString target = l.netscape;
    QByteArray intended = incoming;
    if (operation == u"copy"_s) {
        args = {u"copy"_s, l.source, l.netscape};
    } else if (operation == u"ini"_s) {
        args = {u"ini"_s, l.settings, QString::number(2 << 20), u"B"_s};
        target = l.settings;
        intended = settingsText(2 << 20, 'B');
    } else {
        args = {u"switch"_s, l.appDir, l.netscape, l.source, l.backup};
    }
    const Run run = drive(args, {l.expand(fault), {}, temp == u"named"_s}, As::Us, l);

    QVERIFY2(!run.crashed, qPrintable(run.errors));
    // The fault was made, not only the refusal of nameless files.
    QVERIFY2(run.errors.contains(u"fault-injected: "_s + fault.section(u':', 0, 0)),
        qPrintable(run.errors));
    for (QString &line : said)
        line = l.expand(line);
    QCOMPARE(run.lines, said);
    QCOMPARE(
        contents(target), targetChanged ? intended : (target == l.settings ? oldSettings : old));
    QCOMPARE(contents(l.source), incoming);
    QStringList expected{u"app/vantrelle.ini"_s, u"netscape/bookmark.htm"_s};
    if (backupMade) {
        QCOMPARE(contents(l.backup), old);
        expected.insert(1, u"backups/lorvet.html"_s);
    }
    QCOMPARE(l.written(), expected); // nothing else: no temporary file left
}

void TestFaults::refused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("targetChanged");
    QTest::addColumn<QStringList>("said");
    const QStringList asked{u"message: "_s + WhereToBackUp, u"save: lorvet.html"_s};
    QTest::newRow("read-only bookmark file")
        << u"read-only target"_s << false
        << asked + QStringList{u"error: 「%N」をコピーできません。\\n"_s + Denied};
    QTest::newRow("read-only folder, writable file") << u"read-only folder"_s << false
                                                     << asked
            + QStringList{u"replace: %N"_s, u"error: 「%N」をコピーできません。\\n"_s + Denied};
    QTest::newRow("unreadable source")
        << u"unreadable source"_s << false
        << asked + QStringList{u"replace: %N"_s, u"error: 「%S」を読み取れません。\\n"_s + Denied};
    QTest::newRow("read-only settings file at close")
        << u"read-only settings"_s << true
        << asked + QStringList{u"replace: %N"_s, u"shown: %I に書き込めません"_s, u"ok: 0"_s};
}

void TestFaults::refused()
{
    QFETCH(QString, how);
    QFETCH(bool, targetChanged);
    QFETCH(QStringList, said);

    const Layout l;
    const QByteArray old = "<DL><DT>old</DL>\n";
    const QByteArray incoming = "<DL><DT>new</DL>\n";
    const QByteArray oldSettings = "[Files]\nShowPreview=0\n";
    put(l.netscape, old, how == u"read-only target"_s ? 0444 : 0644);
    put(l.source, incoming, how == u"unreadable source"_s ? 0 : 0644);
    put(l.settings, oldSettings, how == u"read-only settings"_s ? 0444 : 0644);
    // Root may write anything: the driver runs as nobody, who owns the files.
    const As as = ::geteuid() == 0 ? As::Nobody : As::Us;
    if (as == As::Nobody) {
        QVERIFY(!QStandardPaths::findExecutable(u"setpriv"_s).isEmpty());
        QStringList all{l.dir.path()};
        for (const QString &folder : {l.netscapeDir, l.sourceDir, l.backupDir, l.appDir})
            all << folder
                << QDir(folder)
                       .entryList(QDir::Files)
                       .replaceInStrings(QRegularExpression(u"^"_s), folder + u'/');
        all << l.dir.filePath(u"home"_s);
        for (const QString &path : std::as_const(all))
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(l.dir.path()).constData(), 0755), 0);
    }
    if (how == u"read-only folder"_s)
        QCOMPARE(::chmod(QFile::encodeName(l.netscapeDir).constData(), 0555), 0);
    // Only the settings row closes the window: a close writes the settings.
    QStringList args{u"switch"_s, l.appDir, l.netscape, l.source, l.backup};
    if (how == u"read-only settings"_s)
        args << u"close"_s;
    const Run run = drive(args, Faults(), as, l);
    ::chmod(QFile::encodeName(l.netscapeDir).constData(), 0755);
    ::chmod(QFile::encodeName(l.source).constData(), 0644);

    QVERIFY2(!run.crashed, qPrintable(run.errors));
    if (as == As::Us && run.lines.filter(u"error: "_s).isEmpty() && !targetChanged)
        QSKIP("this user is not refused");
    for (QString &line : said)
        line = l.expand(line);
    QCOMPARE(run.lines, said);
    QCOMPARE(contents(l.netscape), targetChanged ? incoming : old);
    QCOMPARE(contents(l.backup), old);
    QCOMPARE(contents(l.settings), oldSettings);
    QCOMPARE(l.written(),
        (QStringList{
            u"app/vantrelle.ini"_s, u"backups/lorvet.html"_s, u"netscape/bookmark.htm"_s}));
}

void TestFaults::killed_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("kills");
    QTest::addColumn<bool>("named"); // on a file system without nameless files
    QTest::newRow("64 MiB copy") << u"copy"_s << (64 << 20) << 100 << false;
    QTest::newRow("whole switch, 8 MiB") << u"switch"_s << (8 << 20) << 100 << false;
    QTest::newRow("settings write, 1 MiB") << u"ini"_s << (1 << 20) << 100 << false;
    QTest::newRow("8 MiB copy, named temporary file") << u"copy"_s << (8 << 20) << 100 << true;
}

void TestFaults::killed()
{
    QFETCH(QString, operation);
    QFETCH(int, size);
    QFETCH(int, kills);
    QFETCH(bool, named);

    const Layout l;
    const bool ini = operation == u"ini"_s;
    const bool withBackup = operation == u"switch"_s;
    // Two contents that take turns: each round replaces the one there with the other.
    const QString a = l.sourceDir + u"/a.html"_s;
    const QString b = l.sourceDir + u"/b.html"_s;
    QByteArray hashA, hashB;
    if (ini) {
        put(l.settings, settingsText(size, 'A'));
        hashA = hashOfBytes(settingsText(size, 'A'));
        hashB = hashOfBytes(settingsText(size, 'B'));
    } else {
        put(a, randomBytes(size, 1));
        put(b, randomBytes(size, 2));
        QVERIFY(QFile::copy(a, l.netscape));
        hashA = hashOf(a);
        hashB = hashOf(b);
    }
    const QString target = ini ? l.settings : l.netscape;
    const auto argsFor = [&](bool toB) {
        if (ini)
            return QStringList{u"ini"_s, l.settings, QString::number(size), toB ? u"B"_s : u"A"_s};
        const QString from = toB ? b : a;
        if (withBackup)
            return QStringList{u"switch"_s, l.appDir, l.netscape, from, l.backup};
        return QStringList{u"copy"_s, from, l.netscape};
    };
    const QStringList settled{ini ? u"app/vantrelle.ini"_s : u"netscape/bookmark.htm"_s};
    const QStringList settledWithBackup = QStringList{u"backups/lorvet.html"_s} + settled;

    const QByteArray seedText = qgetenv("VANTRELLE_CRASH_SEED");
    const quint32 seed
        = seedText.isEmpty() ? QRandomGenerator::system()->generate() : seedText.toUInt();
    qInfo("%s: seed %u (VANTRELLE_CRASH_SEED=%u repeats it)", QTest::currentDataTag(), seed, seed);
    std::mt19937 random(seed);

    // Runs to their end tell how long the operation takes, from "ready" to "done", which the
    // kills then span: the middle one of three, as the first may well be slower.
    QList<qint64> spans;
    for (int i = 0; i < 3; ++i) {
        QProcess process;
        startDriver(process, argsFor(i != 1), {{}, {}, named}, As::Us, l);
        QVERIFY(waitLine(process, "ready"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(waitLine(process, "done"));
        spans << timer.nsecsElapsed();
        const Run run = finish(process);
        QVERIFY2(!run.crashed, qPrintable(run.errors));
        QCOMPARE(hashOf(target), i != 1 ? hashB : hashA);
        QCOMPARE(l.written(), withBackup ? settledWithBackup : settled);
    }
    std::sort(spans.begin(), spans.end());
    const qint64 span = spans.at(1);

    int old = 0, intended = 0, torn = 0, leftBehind = 0, backupMissing = 0;
    QMap<QString, int> phases;
    QStringList failures;
    QByteArray now = hashB; // what the run above left
    bool carried = false; // a temporary file of an earlier kill is still there
    for (int round = 0; round < kills; ++round) {
        const QByteArray before = now;
        const bool toB = before == hashA;
        const QByteArray after = toB ? hashB : hashA;
        if (withBackup)
            QFile::remove(l.backup);
        QFile::remove(l.trace);

        QProcess process;
        startDriver(process, argsFor(toB), {{}, l.trace, named}, As::Us, l);
        QVERIFY(waitLine(process, "ready"));
        const auto delay = std::uniform_int_distribution<qint64>(0, span)(random);
        std::this_thread::sleep_for(std::chrono::nanoseconds(delay));
        process.kill();
        const Run run = finish(process);
        const Phase phase = phaseOf(readTrace(l.trace), !run.crashed, withBackup ? 2 : 1, size);
        ++phases[phase.text()];

        now = hashOf(target);
        const QString where = u"round %1, %2 ns in, %3"_s.arg(round).arg(delay).arg(phase.text());
        if (now == before) {
            ++old;
        } else if (now == after) {
            ++intended;
        } else {
            ++torn;
            failures << where + u": the target is neither old nor new"_s;
        }
        if (withBackup) {
            const bool backup = QFile::exists(l.backup);
            if (backup && hashOf(l.backup) != before)
                failures << where + u": the backup is not the old bookmarks"_s;
            if (now == after && !backup) {
                ++backupMissing;
                failures << where + u": the bookmarks changed without a backup"_s;
            }
        }
        QStringList present = l.written();
        present.removeOne(settled.first());
        present.removeOne(u"backups/lorvet.html"_s);
        if (!present.isEmpty()) {
            ++leftBehind;
            // A name exists only from naming the file to renaming it, or all along where files
            // cannot be nameless. The next write removes what a kill left, once it gets that
            // far: a kill before then finds the earlier one still there. There is never more
            // than one.
            if (!(named || phase.named || carried) || present.size() > 1)
                failures << where + u": left "_s + present.join(u", "_s);
        }
        carried = !present.isEmpty();
    }
    // A last write finds whatever was left and removes it.
    {
        const Run run = drive(argsFor(now == hashA), {{}, {}, named}, As::Us, l);
        QVERIFY2(!run.crashed, qPrintable(run.errors));
        QCOMPARE(l.written(), withBackup ? settledWithBackup : settled);
    }

    QStringList phaseText;
    for (auto it = phases.cbegin(); it != phases.cend(); ++it)
        phaseText << u"%1 %2"_s.arg(it.value()).arg(it.key());
    qInfo("%s: %d kills over %lld ms: %d old, %d new, %d torn, %d temporary files left, %d "
          "changes without a backup; the kills came %s",
        QTest::currentDataTag(), kills, span / 1000000, old, intended, torn, leftBehind,
        backupMissing, qPrintable(phaseText.join(u", "_s)));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
