#include "filesizelimit.h"

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &m_previousLimit) != 0)
        return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    if (::sigaction(SIGXFSZ, &ignore, &m_previousAction) != 0)
        return;
    rlimit lowered = m_previousLimit;
    lowered.rlim_cur = static_cast<rlim_t>(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    if (!m_active)
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_active)
        return;
    ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
    ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
}
