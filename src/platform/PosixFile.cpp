#include "PosixFile.h"

#include "CodePage.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Bytes of the target's name kept in the temporary file's name, well inside NAME_MAX.
constexpr qsizetype TempNameLimit = 200;

} // namespace

namespace PosixFile {

Fd::~Fd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Fd::close()
{
    const int fd = std::exchange(m_fd, -1);
    return ::close(fd) != 0 && errno != EINTR ? errno : 0;
}

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

ssize_t readSome(int fd, char *buffer, size_t size)
{
    ssize_t n;
    do
        n = ::read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

int sync(int fd)
{
    return ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
}

int syncFolder(const QString &folder)
{
    Fd dir(::open(CodePage::toNative(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return 0;
    return sync(dir.get());
}

std::optional<struct stat> statOf(const QString &path, bool follow)
{
    struct stat st { };
    const QByteArray name = CodePage::toNative(path);
    if ((follow ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0)
        return std::nullopt;
    return st;
}

int mayWrite(const QString &path)
{
    return ::faccessat(AT_FDCWD, CodePage::toNative(path).constData(), W_OK, AT_EACCESS) == 0
        ? 0
        : errno;
}

int setOwnerAndMode(int fd, const struct stat *replaced, mode_t newMode)
{
    // Owner before mode: chown clears set-id bits that the mode is to keep.
    if (replaced && ::fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {
        // not root: the file stays ours
    }
    return ::fchmod(fd, replaced ? replaced->st_mode & 07777 : newMode) != 0 ? errno : 0;
}

TempFile::~TempFile()
{
    m_fd.reset();
    if (!m_path.isEmpty() && !m_kept)
        ::unlink(m_path.constData());
}

int TempFile::create(const QString &folder, const QString &targetName)
{
    QByteArray base = CodePage::toNative(targetName);
    CodePage::truncateToChars(base, TempNameLimit);
    const QByteArray native = CodePage::toNative(folder);
    QByteArray pattern = native + (native.endsWith('/') ? "." : "/.") + base + ".XXXXXX.part";
    const int fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
    if (fd < 0)
        return errno;
    m_fd.emplace(fd);
    m_path = pattern;
    return 0;
}

} // namespace PosixFile
