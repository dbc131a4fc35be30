#include "PosixFile.h"

#include "CodePage.h"

#include <QRandomGenerator>

#include <cerrno>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Bytes of the target's name kept in the temporary file's name, well inside NAME_MAX.
constexpr qsizetype TempNameLimit = 200;
// The random part of a temporary file's name, as mkostemps makes it: six letters or digits.
constexpr int TempRandomLength = 6;
constexpr char TempSuffix[] = ".part";
constexpr char TempAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool isTempAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether `name` is one of our temporary files for the target whose name begins `prefix`
// (".<name>.").
bool isTempName(const QByteArray &name, const QByteArray &prefix)
{
    const qsizetype suffix = qsizetype(sizeof TempSuffix - 1);
    if (name.size() != prefix.size() + TempRandomLength + suffix || !name.startsWith(prefix)
        || !name.endsWith(TempSuffix))
        return false;
    for (qsizetype i = prefix.size(); i < prefix.size() + TempRandomLength; ++i)
        if (!isTempAlnum(name[i]))
            return false;
    return true;
}

struct CloseDir {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// Removes the temporary files of the target whose name begins `prefix` in `folder` that no
// writer holds any more: what a write killed before its rename left. A live writer keeps its
// file locked, so its file stays. Anything we cannot look at stays too.
void removeStale(const QByteArray &folder, const QByteArray &prefix)
{
    const std::unique_ptr<DIR, CloseDir> dir(
        ::opendir(folder.isEmpty() ? "." : folder.constData()));
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (!isTempName(name, prefix))
            continue;
        PosixFile::Fd fd(::openat(
            dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st { };
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Still the file we locked under that name.
        struct stat now { };
        if (::fstatat(dirFd, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0
            && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
}

// A nameless file can be given a name only through /proc.
bool canLinkNameless()
{
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

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
    const QByteArray namePrefix = '.' + base + '.';
    m_prefix = native + (native.endsWith('/') ? "" : "/") + namePrefix;
    removeStale(native, namePrefix);
    int fd = -1;
    if (canLinkNameless()) {
        fd = ::open(native.isEmpty() ? "." : native.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC,
            S_IRUSR | S_IWUSR);
        // A file system or kernel without nameless files: a named one instead.
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
    }
    if (fd < 0) {
        QByteArray pattern = m_prefix + QByteArray(TempRandomLength, 'X') + TempSuffix;
        fd = ::mkostemps(pattern.data(), int(sizeof TempSuffix - 1), O_CLOEXEC);
        if (fd < 0)
            return errno;
        m_path = pattern;
    }
    m_fd.emplace(fd);
    // Tells a later writer that this file is no crash's leftover; where files cannot be
    // locked, it cannot lock it either and leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    return 0;
}

int TempFile::link()
{
    if (!m_path.isEmpty())
        return 0;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd());
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = m_prefix;
        for (int i = 0; i < TempRandomLength; ++i)
            name += TempAlphabet[QRandomGenerator::global()->bounded(int(sizeof TempAlphabet - 1))];
        name += TempSuffix;
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW)
            == 0) {
            m_path = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

} // namespace PosixFile
