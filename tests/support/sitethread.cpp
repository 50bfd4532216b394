#include "sitethread.h"

SiteThread::SiteThread(TestCertificates::ServerIdentity identity)
{
    m_context.moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(&m_context, [this, identity] {
        m_server = std::make_unique<LoopbackQuoteServer>();
        m_started = m_server->start(identity);
    }, Qt::BlockingQueuedConnection);
}

SiteThread::~SiteThread()
{
    QMetaObject::invokeMethod(&m_context, [this] { m_server.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}
