#pragma once

#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

// Lowers this process's limit on the size of the files it writes
// (RLIMIT_FSIZE) for as long as it lives. The limit binds root as well, so a
// write that crosses it stops part-way, as on a failing device: the bytes
// below the limit are written and the rest fails with EFBIG. The signal such
// a write raises (SIGXFSZ) is ignored meanwhile so that it does not end the
// process. Keep its life short: it applies to every file of the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isActive() const { return m_active; }

private:
    rlimit m_previousLimit{};
    struct sigaction m_previousAction {};
    bool m_active = false;
};
