// The switch's copy: a large file copied over an existing one through TFileOperation with
// the silent flags, which writes beside the target, fsyncs and renames; against the floor,
// `cp` and then `sync` of the copied file. Each run starts with the disk's dirty pages
// written and the source in the page cache, and the two alternate which goes first.
//
//   vbench-switch-copy FOLDER MEBIBYTES REPETITIONS
//
// Prints one "vantrelle_ms=" and one "floor_ms=" line per repetition.

#include "FileOper.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <initializer_list>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

bool writeFile(const QString &path, qint64 bytes, unsigned seed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    std::mt19937_64 rng(seed);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < bytes; done += block.size()) {
        auto *words = reinterpret_cast<quint64 *>(block.data());
        for (qsizetype i = 0; i < block.size() / 8; ++i)
            words[i] = rng();
        if (f.write(block) != block.size())
            return false;
    }
    return f.flush();
}

// Reads the file once, so that both copies find it in the page cache.
void readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    while (!f.read(1 << 20).isEmpty()) { }
}

int run(std::initializer_list<const char *> args)
{
    std::vector<char *> argv;
    for (const char *a : args)
        argv.push_back(const_cast<char *>(a));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double vantrelleCopy(const QString &from, const QString &to)
{
    TFileOperation op;
    op.setMode(foCopy);
    op.setSplitSource(false);
    op.setOptions({fofSilent, fofNoConfirmation});
    op.setSource(from);
    op.setDestination(to);
    QElapsedTimer t;
    t.start();
    const int result = op.Execute();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return result == 0 ? ms : -1;
}

double floorCopy(const QByteArray &from, const QByteArray &to)
{
    QElapsedTimer t;
    t.start();
    if (run({"cp", from.constData(), to.constData()}) != 0 || run({"sync", to.constData()}) != 0)
        return -1;
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: vbench-switch-copy FOLDER MEBIBYTES REPETITIONS\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const qint64 bytes = QByteArray(argv[2]).toLongLong() << 20;
    const int reps = QByteArray(argv[3]).toInt();
    const QString source = dir.filePath(QStringLiteral("source.html"));
    const QString target = dir.filePath(QStringLiteral("bookmarks.html"));
    const QString floorTarget = dir.filePath(QStringLiteral("floor.html"));
    if (!writeFile(source, bytes, 1) || !writeFile(target, bytes, 2)
        || !writeFile(floorTarget, bytes, 3)) {
        std::fprintf(stderr, "vbench-switch-copy: cannot write the files\n");
        return 1;
    }
    const QByteArray nativeSource = QFile::encodeName(source);
    const QByteArray nativeFloor = QFile::encodeName(floorTarget);

    // One warm-up of each, then the timed runs.
    for (int i = -1; i < reps; ++i) {
        double v = 0;
        double f = 0;
        for (int k = 0; k < 2; ++k) {
            ::sync();
            readAll(source);
            if ((k == 0) == (i % 2 == 0))
                v = vantrelleCopy(source, target);
            else
                f = floorCopy(nativeSource, nativeFloor);
        }
        if (i >= 0)
            std::printf("vantrelle_ms=%.1f\nfloor_ms=%.1f\n", v, f);
        std::fflush(stdout);
    }
    QFile::remove(source);
    QFile::remove(target);
    QFile::remove(floorTarget);
    return 0;
}
