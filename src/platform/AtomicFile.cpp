#include "AtomicFile.h"

#include "CodePage.h"
#include "PosixFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using PosixFile::Fd;

// How many links in a row we follow before giving up, as the kernel does.
constexpr int MaxLinks = 40;

// Where a write to `path` has to go: through any links, to the file they lead to, which
// need not exist yet.
int writeTarget(const QString &path, QString &target)
{
    target = path;
    for (int i = 0; i < MaxLinks; ++i) {
        const auto st = PosixFile::statOf(target, false);
        if (!st)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st->st_mode))
            return 0;
        const QString next = QFileInfo(target).symLinkTarget();
        if (next.isEmpty())
            return EINVAL;
        target = next;
    }
    return ELOOP;
}

mode_t newFileMode()
{
    // umask can only be read by setting it; the program does this on its main thread only.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0644 & ~mask;
}

} // namespace

namespace AtomicFile {

int read(const QString &path, QByteArray &data, qsizetype maxSize)
{
    data.clear();
    // O_NONBLOCK: a pipe put where the file should be must not stop us.
    Fd fd(
        ::open(CodePage::toNative(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return errno;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (st.st_size > maxSize)
        return EFBIG;
    QByteArray buffer;
    char chunk[16384];
    for (;;) {
        const ssize_t n = PosixFile::readSome(fd.get(), chunk, sizeof chunk);
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        if (buffer.size() + n > maxSize)
            return EFBIG; // grew while we read
        buffer.append(chunk, n);
    }
    data = std::move(buffer);
    return 0;
}

int replace(const QString &path, const QByteArray &data)
{
    QString target;
    if (const int err = writeTarget(path, target))
        return err;
    const auto existing = PosixFile::statOf(target, true);
    if (!existing && errno != ENOENT)
        return errno;
    if (existing && !S_ISREG(existing->st_mode))
        return EINVAL;
    // A read-only file stays as it is, even in a folder where we could rename over it.
    if (existing)
        if (const int err = PosixFile::mayWrite(target))
            return err;

    const QFileInfo info(target);
    PosixFile::TempFile temp;
    if (const int err = temp.create(info.path(), info.fileName()))
        return err;
    if (const int err = PosixFile::writeAll(temp.fd(), data.constData(), size_t(data.size())))
        return err;
    const struct stat *replaced = existing ? &*existing : nullptr;
    const mode_t newMode = replaced ? 0 : newFileMode(); // a replaced file keeps its own
    if (const int err = PosixFile::setOwnerAndMode(temp.fd(), replaced, newMode))
        return err;
    if (const int err = PosixFile::sync(temp.fd()))
        return err;
    if (const int err = temp.link())
        return err;
    if (const int err = temp.close())
        return err;
    if (::rename(temp.path().constData(), CodePage::toNative(target).constData()) != 0)
        return errno;
    temp.keep();
    return PosixFile::syncFolder(info.path());
}

} // namespace AtomicFile
