#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

// The system calls under the settings file's atomic writes and the file-operation service,
// kept in one place so that both treat signals, short writes, syncs and temporary files
// alike. Every function that can fail returns 0 or errno.
namespace PosixFile {

// An owned file descriptor, closed when it goes.
class Fd final {
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd();
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    // Closes it now. After EINTR Linux has closed the descriptor, and the data was synced
    // before, so that is no error.
    int close();

private:
    int m_fd;
};

// Writes all of `data`, going on after signals and short writes. A write that makes no
// progress is ENOSPC.
int writeAll(int fd, const char *data, size_t size);

// read() that goes on after signals: the byte count, 0 at the end, or -1 with errno set.
ssize_t readSome(int fd, char *buffer, size_t size);

// fsync; a file system that cannot sync (EINVAL) or is read-only has nothing more to do.
int sync(int fd);

// Syncs a folder, which makes a rename in it durable. A folder we may write but not read
// cannot be synced, and is no error.
int syncFolder(const QString &folder);

// stat(), or lstat() unless `follow`; nullopt with errno set when there is nothing to see.
std::optional<struct stat> statOf(const QString &path, bool follow);

// Whether we may write the file at `path`, through links, by our effective ids: 0, or the
// refusal (EACCES for a read-only file; root may write anything). A rename would replace a
// file we may not write as long as its folder is ours, so a replace asks this first.
int mayWrite(const QString &path);

// Gives the file behind `fd` the owner and mode of `replaced`, the file it is to replace,
// or `newMode` when it replaces none. Only root may give a file away; otherwise it stays
// ours, as any file we create would be, and that is no error.
int setOwnerAndMode(int fd, const struct stat *replaced, mode_t newMode);

// A file being written beside its target, which becomes the target only by a rename, so the
// target is never half written. Where the file system allows, it has no name while it is
// written (O_TMPFILE), so that a crash leaves nothing behind; it is given the name
// ".<name>.XXXXXX.part" in the target's folder just before the rename. Elsewhere it has that
// name from the start. Either way it is removed on every way out but the rename, it stays
// locked while we write it, and the unlocked ones that crashed writes of the same target left
// behind are removed when the next one is created.
class TempFile final {
public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Creates it for a target named `targetName` in `folder`, exclusively and readable by us
    // alone until it is complete.
    int create(const QString &folder, const QString &targetName);
    int fd() const { return m_fd->get(); }
    // Gives it its name beside the target, for the rename; one that has a name keeps it.
    int link();
    int close() { return m_fd->close(); }
    // The name, once it has one.
    const QByteArray &path() const { return m_path; }
    // Renamed into place: nothing left to remove.
    void keep() { m_kept = true; }

private:
    std::optional<Fd> m_fd;
    QByteArray m_prefix; // "<folder>/.<name>."
    QByteArray m_path;
    bool m_kept = false;
};

} // namespace PosixFile
