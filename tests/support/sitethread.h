#pragma once

#include "loopbackquoteserver.h"

#include <QObject>
#include <QThread>

#include <memory>

// A loopback quote site on a thread of its own, as a remote site would be:
// its work neither slows nor shows in the thread that tests the client.
// Reach the server only through onSite().
class SiteThread
{
public:
    explicit SiteThread(TestCertificates::ServerIdentity identity = TestCertificates::ServerIdentity::Trusted);
    ~SiteThread();
    SiteThread(const SiteThread &) = delete;
    SiteThread &operator=(const SiteThread &) = delete;

    bool isStarted() const { return m_started; }

    // Runs `work` with the server on the site's thread and waits for it.
    template<typename Work>
    void onSite(Work work)
    {
        LoopbackQuoteServer *const server = m_server.get();
        QMetaObject::invokeMethod(&m_context, [server, &work] { work(*server); },
                                  Qt::BlockingQueuedConnection);
    }

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<LoopbackQuoteServer> m_server;
    bool m_started = false;
};
