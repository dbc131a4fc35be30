#pragma once

// Faults the tests cause on purpose: a disk that fills up, a user who may not write.

#include <QtGlobal>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

// Files may grow no further than `bytes` while this lives; writing past it fails with EFBIG.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_active = false;
};
// Root reads and writes anywhere; to meet a refusal it acts as nobody for a while.
class ActAsNobody final {
public:
    ActAsNobody()
    {
        if (::geteuid() == 0)
            m_active = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~ActAsNobody()
    {
        if (m_active && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot become root again");
    }
    ActAsNobody(const ActAsNobody &) = delete;
    ActAsNobody &operator=(const ActAsNobody &) = delete;
    bool active() const { return m_active; }

private:
    bool m_active = false;
};
