#include "transferworker.h"

#include "pagetransport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutexLocker>
#include <QThread>

#include <functional>
#include <utility>

QString transportModulePath(const QString &programDir)
{
    const QString installed = QDir(programDir).filePath(QStringLiteral(FUNDTALLY_TRANSPORT_INSTALLED_PATH));
    const QString buildTree = QDir::cleanPath(QStringLiteral(FUNDTALLY_BUILD_TREE));
    const QString dir = QDir::cleanPath(programDir);
    // An installed program never loads code from wherever it was built.
    const bool inBuildTree = dir == buildTree || dir.startsWith(buildTree + u'/');
    return QFileInfo::exists(installed) || !inBuildTree ? installed
                                                         : QStringLiteral(FUNDTALLY_TRANSPORT_BUILD_PATH);
}

namespace {

// A plain QThread running one function. QThread::create would do, but its
// std::future brings a dependency on the dynamic loader's own library.
class WorkerThread final : public QThread
{
public:
    explicit WorkerThread(std::function<void()> work)
        : m_work(std::move(work))
    {
    }

protected:
    void run() override { m_work(); }

private:
    const std::function<void()> m_work;
};

} // namespace

TransferWorker::TransferWorker()
    : m_thread(std::make_unique<WorkerThread>([this] { run(); }))
{
    qRegisterMetaType<PageOutcome>();
    m_thread->setObjectName(QStringLiteral("quote transfers"));
}

TransferWorker::~TransferWorker()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_shutDown = true;
        if (m_transport)
            m_transport->shutDown();
    }
    m_thread->wait();
    m_transport.reset();
}

quint64 TransferWorker::newShare()
{
    const QMutexLocker lock(&m_mutex);
    return m_nextShare++;
}

quint64 TransferWorker::submit(TransferRequest request)
{
    const QMutexLocker lock(&m_mutex);
    const quint64 id = m_nextId++;
    if (m_loadFailed) {
        Q_EMIT pageDone(id, PageOutcome{QuoteResult::failed(QuoteFailure::NetworkModuleMissing), {}, {}});
        return id;
    }
    if (m_transport) {
        m_transport->submit(id, std::move(request));
        return id;
    }
    m_pending.push_back(Submission{id, std::move(request)});
    if (!m_thread->isRunning() && !m_shutDown)
        m_thread->start();
    return id;
}

void TransferWorker::cancel(quint64 id)
{
    const QMutexLocker lock(&m_mutex);
    if (m_transport)
        m_transport->cancel(id);
    else
        std::erase_if(m_pending, [id](const Submission &submission) { return submission.id == id; });
}

void TransferWorker::run()
{
    const CreatePageTransport create = transportFactory();
    PageTransport *const transport = create ? create() : nullptr;
    {
        const QMutexLocker lock(&m_mutex);
        if (!transport) {
            m_loadFailed = true;
            for (const Submission &submission : std::exchange(m_pending, {})) {
                Q_EMIT pageDone(submission.id,
                                PageOutcome{QuoteResult::failed(QuoteFailure::NetworkModuleMissing), {}, {}});
            }
            return;
        }
        m_transport.reset(transport);
        for (Submission &submission : std::exchange(m_pending, {}))
            transport->submit(submission.id, std::move(submission.request));
        if (m_shutDown)
            return;
    }
    transport->run([this](quint64 id, PageReader &reader, const PageFacts &facts) {
        Q_EMIT pageDone(id, PageOutcome{reader.result(facts), facts.retryAfter, facts.started});
    });
}

// The module is loaded once for the whole process and stays loaded: Qt's
// library loading is not safe to race from several threads, and nothing the
// module made may outlive its code.
CreatePageTransport TransferWorker::transportFactory()
{
    static const CreatePageTransport create = [] {
        QLibrary module(transportModulePath(QCoreApplication::applicationDirPath()));
        const auto found = reinterpret_cast<CreatePageTransport>(module.resolve(kCreatePageTransportSymbol));
        if (!found)
            qWarning("Fundtally: quote pages cannot be fetched: %s", qPrintable(module.errorString()));
        return found;
    }();
    return create;
}
