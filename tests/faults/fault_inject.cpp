// A library the fault tests preload into the program under test. It makes the calls that
// write, sync and rename files fail on purpose, as a full disk, a failing disk or another file
// system would, and it can record where a process was when it was killed.
//
// VANTRELLE_FAULT="<call>:<errno name>[:after=<bytes>][:skip=<calls>][:path=<text>]"
//   call   write (write, pwrite, writev), fsync (fsync, fdatasync), close, rename (rename,
//          renameat, renameat2) or link (linkat);
//   after  for write: this many bytes go through first, the write that crosses the mark is
//          cut short there, and the next one fails, as a disk fills up;
//   skip   for the others: this many calls go through first;
//   path   only files whose path (for a descriptor, where /proc says it leads; for a rename,
//          either name) contains this text; it takes the rest of the value, ':' and ';'
//          included. Without it, only regular files: a pipe such as stdout never fails.
// Every fault made is told on stderr as "fault-injected: <call> <path> <errno name>".
//
// VANTRELLE_FAULT_NO_TMPFILE=1 makes the file system one without nameless files: open() with
// O_TMPFILE fails with EOPNOTSUPP, as on NFS or an older overlay file system.
//
// VANTRELLE_FAULT_TRACE=<file> keeps, in that file mapped into memory, which of these calls
// the process was in or made last and how many bytes it had written, so that what a kill -9
// interrupted can be read afterwards. Memory stores only: the calls' timing stays as it is.
//
// No Qt and no allocation here: this runs inside the program's own calls.

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

enum class Call { None, Write, Fsync, Close, Rename, Link };

struct ErrnoName {
    const char *name;
    int value;
};
constexpr ErrnoName errnoNames[] = {
    {"ENOSPC", ENOSPC},
    {"EDQUOT", EDQUOT},
    {"EIO", EIO},
    {"EXDEV", EXDEV},
    {"EFBIG", EFBIG},
    {"EACCES", EACCES},
    {"EPERM", EPERM},
    {"EROFS", EROFS},
    {"EBUSY", EBUSY},
    {"EINTR", EINTR},
    {"EOPNOTSUPP", EOPNOTSUPP},
};

const char *nameOf(int err)
{
    for (const ErrnoName &e : errnoNames)
        if (e.value == err)
            return e.name;
    return "E?";
}

struct Fault {
    Call call = Call::None;
    int err = 0;
    long long after = 0;
    long long skip = 0;
    char path[4096] = {};
    long long written = 0; // bytes that went through
    long long passed = 0; // calls that went through
    bool spent = false; // write: the mark is reached, every further write fails
};

// Shared with the test through the trace file.
struct Trace {
    std::atomic<std::uint32_t> call; // Call of the last call entered
    std::atomic<std::uint32_t> inside; // 1 while in it
    std::atomic<std::uint64_t> bytes; // written to regular files so far
    std::atomic<std::uint32_t> counts[6]; // calls entered, by Call
};

Fault fault;
Trace *trace = nullptr;
bool noTmpfile = false;

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

void tell(const char *call, const char *path, int err)
{
    char line[4352];
    const int n = std::snprintf(
        line, sizeof line, "fault-injected: %s %s %s\n", call, path ? path : "", nameOf(err));
    static const auto realWrite = real<ssize_t (*)(int, const void *, size_t)>("write");
    if (n > 0)
        realWrite(2, line, size_t(n) < sizeof line ? size_t(n) : sizeof line - 1);
}

bool parse(const char *setting)
{
    const char *colon = std::strchr(setting, ':');
    if (!colon)
        return false;
    const size_t len = size_t(colon - setting);
    const auto is = [&](const char *word) {
        return std::strlen(word) == len && std::strncmp(setting, word, len) == 0;
    };
    if (is("write"))
        fault.call = Call::Write;
    else if (is("fsync"))
        fault.call = Call::Fsync;
    else if (is("close"))
        fault.call = Call::Close;
    else if (is("rename"))
        fault.call = Call::Rename;
    else if (is("link"))
        fault.call = Call::Link;
    else
        return false;
    const char *p = colon + 1;
    const char *end = std::strchr(p, ':');
    const size_t errLen = end ? size_t(end - p) : std::strlen(p);
    for (const ErrnoName &e : errnoNames)
        if (std::strlen(e.name) == errLen && std::strncmp(p, e.name, errLen) == 0)
            fault.err = e.value;
    if (fault.err == 0)
        return false;
    while (end) {
        p = end + 1;
        if (std::strncmp(p, "path=", 5) == 0) {
            std::snprintf(fault.path, sizeof fault.path, "%s", p + 5);
            break;
        }
        if (std::strncmp(p, "after=", 6) == 0)
            fault.after = std::atoll(p + 6);
        else if (std::strncmp(p, "skip=", 5) == 0)
            fault.skip = std::atoll(p + 5);
        else
            return false;
        end = std::strchr(p, ':');
    }
    return true;
}

__attribute__((constructor)) void start()
{
    if (const char *setting = std::getenv("VANTRELLE_FAULT");
        setting && *setting && !parse(setting)) {
        std::fprintf(stderr, "fault-inject: cannot read VANTRELLE_FAULT=%s\n", setting);
        std::_Exit(97);
    }
    if (const char *no = std::getenv("VANTRELLE_FAULT_NO_TMPFILE"); no && *no == '1')
        noTmpfile = true;
    if (const char *file = std::getenv("VANTRELLE_FAULT_TRACE"); file && *file) {
        const int fd = ::open(file, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || ::ftruncate(fd, sizeof(Trace)) != 0)
            std::_Exit(98);
        void *map = ::mmap(nullptr, sizeof(Trace), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (map == MAP_FAILED)
            std::_Exit(98);
        trace = static_cast<Trace *>(map);
        ::close(fd);
    }
}

struct Enter {
    explicit Enter(Call call)
    {
        if (!trace)
            return;
        trace->call.store(std::uint32_t(call));
        trace->counts[int(call)].fetch_add(1);
        trace->inside.store(1);
    }
    ~Enter()
    {
        if (trace)
            trace->inside.store(0);
    }
    Enter(const Enter &) = delete;
    Enter &operator=(const Enter &) = delete;
};

// Where the descriptor leads, and whether the fault is for it.
bool matchesFd(int fd, char *path, size_t size)
{
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(self, path, size - 1);
    path[n > 0 ? n : 0] = '\0';
    if (fault.path[0])
        return std::strstr(path, fault.path) != nullptr;
    struct stat st { };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool matchesName(const char *a, const char *b)
{
    if (!fault.path[0])
        return true;
    return (a && std::strstr(a, fault.path)) || (b && std::strstr(b, fault.path));
}

bool isRegular(int fd)
{
    struct stat st { };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// How much of a write of `size` bytes to `fd` may go through: all of it (size), part, or
// none (-1 with errno set).
ssize_t allowedWrite(int fd, size_t size)
{
    if (fault.call != Call::Write)
        return ssize_t(size);
    char path[4096];
    if (!matchesFd(fd, path, sizeof path))
        return ssize_t(size);
    if (fault.spent || fault.written >= fault.after) {
        fault.spent = true;
        tell("write", path, fault.err);
        errno = fault.err;
        return -1;
    }
    const long long room = fault.after - fault.written;
    const size_t allowed = (long long)size > room ? size_t(room) : size;
    fault.written += (long long)allowed;
    return ssize_t(allowed);
}

// Whether a call of the kind `call` on `fd` fails now; errno is set when it does.
bool failsFd(Call call, const char *name, int fd)
{
    if (fault.call != call)
        return false;
    char path[4096];
    if (!matchesFd(fd, path, sizeof path))
        return false;
    if (fault.passed < fault.skip) {
        ++fault.passed;
        return false;
    }
    tell(name, path, fault.err);
    errno = fault.err;
    return true;
}

bool failsNames(Call call, const char *name, const char *from, const char *to)
{
    if (fault.call != call || !matchesName(from, to))
        return false;
    if (fault.passed < fault.skip) {
        ++fault.passed;
        return false;
    }
    tell(name, to, fault.err);
    errno = fault.err;
    return true;
}

void countBytes(int fd, ssize_t n)
{
    if (trace && n > 0 && isRegular(fd))
        trace->bytes.fetch_add(std::uint64_t(n));
}

// The mode argument that open() takes with these flags only.
mode_t modeArgument(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(args, int)) : 0;
}

int refuseTmpfile(const char *path, int flags)
{
    if (!noTmpfile || (flags & O_TMPFILE) != O_TMPFILE)
        return 0;
    tell("open", path, EOPNOTSUPP);
    return EOPNOTSUPP;
}

// One write through the real call, cut to what the fault allows and counted.
template <typename Write>
ssize_t limitedWrite(int fd, size_t count, Write write)
{
    const Enter in(Call::Write);
    const ssize_t allowed = allowedWrite(fd, count);
    if (allowed < 0)
        return -1;
    const ssize_t n = write(size_t(allowed));
    countBytes(fd, n);
    return n;
}

} // namespace

extern "C" {

int open(const char *path, int flags, ...)
{
    static const auto next = real<int (*)(const char *, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (const int err = refuseTmpfile(path, flags)) {
        errno = err;
        return -1;
    }
    return next(path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    static const auto next = real<int (*)(const char *, int, ...)>("open64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (const int err = refuseTmpfile(path, flags)) {
        errno = err;
        return -1;
    }
    return next(path, flags, mode);
}

ssize_t write(int fd, const void *buf, size_t count)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    return limitedWrite(fd, count, [&](size_t n) { return next(fd, buf, n); });
}

ssize_t pwrite(int fd, const void *buf, size_t count, off_t offset)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    return limitedWrite(fd, count, [&](size_t n) { return next(fd, buf, n, offset); });
}

ssize_t pwrite64(int fd, const void *buf, size_t count, off64_t offset)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t, off64_t)>("pwrite64");
    return limitedWrite(fd, count, [&](size_t n) { return next(fd, buf, n, offset); });
}

ssize_t writev(int fd, const struct iovec *iov, int iovcnt)
{
    static const auto next = real<ssize_t (*)(int, const struct iovec *, int)>("writev");
    const Enter in(Call::Write);
    size_t total = 0;
    for (int i = 0; i < iovcnt; ++i)
        total += iov[i].iov_len;
    const ssize_t allowed = allowedWrite(fd, total);
    if (allowed < 0)
        return -1;
    if (size_t(allowed) < total) {
        // Cut short: the first vectors up to the mark.
        struct iovec cut[64];
        int parts = 0;
        size_t left = size_t(allowed);
        for (int i = 0; i < iovcnt && i < 64 && left > 0; ++i, ++parts) {
            cut[i] = iov[i];
            if (cut[i].iov_len > left)
                cut[i].iov_len = left;
            left -= cut[i].iov_len;
        }
        const ssize_t n = next(fd, cut, parts);
        countBytes(fd, n);
        return n;
    }
    const ssize_t n = next(fd, iov, iovcnt);
    countBytes(fd, n);
    return n;
}

int fsync(int fd)
{
    static const auto next = real<int (*)(int)>("fsync");
    const Enter in(Call::Fsync);
    if (failsFd(Call::Fsync, "fsync", fd))
        return -1;
    return next(fd);
}

int fdatasync(int fd)
{
    static const auto next = real<int (*)(int)>("fdatasync");
    const Enter in(Call::Fsync);
    if (failsFd(Call::Fsync, "fdatasync", fd))
        return -1;
    return next(fd);
}

int close(int fd)
{
    static const auto next = real<int (*)(int)>("close");
    if (fault.call == Call::Close && failsFd(Call::Close, "close", fd)) {
        // As on a network file system: the descriptor is gone all the same.
        const int err = errno;
        next(fd);
        errno = err;
        return -1;
    }
    return next(fd);
}

int rename(const char *from, const char *to) noexcept
{
    static const auto next = real<int (*)(const char *, const char *)>("rename");
    const Enter in(Call::Rename);
    if (failsNames(Call::Rename, "rename", from, to))
        return -1;
    return next(from, to);
}

int renameat(int fromDir, const char *from, int toDir, const char *to) noexcept
{
    static const auto next = real<int (*)(int, const char *, int, const char *)>("renameat");
    const Enter in(Call::Rename);
    if (failsNames(Call::Rename, "renameat", from, to))
        return -1;
    return next(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags) noexcept
{
    static const auto next
        = real<int (*)(int, const char *, int, const char *, unsigned)>("renameat2");
    const Enter in(Call::Rename);
    if (failsNames(Call::Rename, "renameat2", from, to))
        return -1;
    return next(fromDir, from, toDir, to, flags);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags) noexcept
{
    static const auto next = real<int (*)(int, const char *, int, const char *, int)>("linkat");
    const Enter in(Call::Link);
    if (failsNames(Call::Link, "linkat", nullptr, to))
        return -1;
    return next(fromDir, from, toDir, to, flags);
}

} // extern "C"
