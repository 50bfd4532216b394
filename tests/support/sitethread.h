#pragma once

#include <QObject>
#include <QThread>

#include <memory>
#include <vector>

// Quote sites on a thread of their own, as remote sites would be, so that
// what they do never counts against the event loop of the program under
// test. Everything a test asks of a site goes through run().
class SiteThread
{
public:
    SiteThread()
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
    }
    ~SiteThread()
    {
        run([this] { m_sites.clear(); });
        m_thread.quit();
        m_thread.wait();
    }
    SiteThread(const SiteThread &) = delete;
    SiteThread &operator=(const SiteThread &) = delete;

    // A new site living on the thread, owned by it.
    template <typename Site>
    Site &make()
    {
        Site *site = nullptr;
        run([&] {
            m_sites.push_back(std::make_unique<Site>());
            site = static_cast<Site *>(m_sites.back().get());
        });
        return *site;
    }

    // Runs `work` on the thread and waits for it.
    template <typename Work>
    void run(Work work)
    {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

private:
    QThread m_thread;
    QObject m_context;
    std::vector<std::unique_ptr<QObject>> m_sites;
};
