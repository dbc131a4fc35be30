#include "AtomicFile.h"

#include "CodePage.h"

#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes of the target's name kept in the temporary file's name, well inside NAME_MAX.
constexpr qsizetype TempNameLimit = 200;
// How many links in a row we follow before giving up, as the kernel does.
constexpr int MaxLinks = 40;

class Fd final {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    // 0 or errno. After EINTR Linux has closed the descriptor, and the data was synced before.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd;
};

int writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= size_t(n);
    }
    return 0;
}

// fsync on a file system that cannot sync (EINVAL) or is read-only has nothing more to do.
int syncFd(int fd)
{
    return ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
}

int syncFolder(const QString &folder)
{
    Fd dir(::open(CodePage::toNative(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return 0; // a folder we may write but not read: nothing more we can do
    return syncFd(dir.get());
}

// Where a write to `path` has to go: through any links, to the file they lead to, which
// need not exist yet.
int writeTarget(const QString &path, QString &target)
{
    target = path;
    for (int i = 0; i < MaxLinks; ++i) {
        struct stat st { };
        if (::lstat(CodePage::toNative(target).constData(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
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
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
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
    const QByteArray nativeTarget = CodePage::toNative(target);
    struct stat existing { };
    const bool exists = ::stat(nativeTarget.constData(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists && !S_ISREG(existing.st_mode))
        return EINVAL;

    const QFileInfo info(target);
    QByteArray base = CodePage::toNative(info.fileName());
    qsizetype cut = 0;
    while (cut < base.size()) {
        const qsizetype len = CodePage::charLength(base.constData(), base.size(), cut);
        if (cut + len > TempNameLimit)
            break;
        cut += len;
    }
    base.truncate(cut);
    QByteArray folder = CodePage::toNative(info.path());
    QByteArray temp = folder + (folder.endsWith('/') ? "." : "/.") + base + ".XXXXXX.part";
    // Created exclusively and readable by us alone until it is complete.
    Fd fd(::mkostemps(temp.data(), 5, O_CLOEXEC));
    if (fd.get() < 0)
        return errno;

    const auto fail = [&](int err) {
        ::unlink(temp.constData());
        return err;
    };
    if (const int err = writeAll(fd.get(), data.constData(), size_t(data.size())))
        return fail(err);
    // Owner before mode: chown clears set-id bits that the mode is to keep. Only root may give
    // a file away; otherwise the new file is ours, as any file we create would be.
    if (exists && ::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0) {
        // not root: the file stays ours
    }
    if (::fchmod(fd.get(), exists ? existing.st_mode & 07777 : newFileMode()) != 0)
        return fail(errno);
    if (const int err = syncFd(fd.get()))
        return fail(err);
    if (const int err = fd.close())
        return fail(err);
    if (::rename(temp.constData(), nativeTarget.constData()) != 0)
        return fail(errno);
    return syncFolder(info.path());
}

} // namespace AtomicFile
