#pragma once

#include "pagereader.h"
#include "pagetransport.h"

#include <QMutex>
#include <QObject>

#include <chrono>
#include <memory>
#include <vector>

class QThread;

// The transport module for a program in `programDir`: the installed one, at
// its fixed place beside the installed program; for a program run from the
// build tree without one, the module built there.
QString transportModulePath(const QString &programDir);

// One transfer's result, priced on the transfer thread.
struct PageOutcome {
    QuoteResult result;
    QByteArray retryAfter; // the site's Retry-After value, as sent
    std::chrono::steady_clock::time_point started{};
};
Q_DECLARE_METATYPE(PageOutcome)

// The one thread every transfer of the process runs on, whichever source or
// test asks, and the transport module it loads there on the first
// submission. Results come back through pageDone(), emitted on that thread,
// so receivers get them through their event loops; each takes the ids it
// submitted.
class TransferWorker : public QObject
{
    Q_OBJECT

public:
    TransferWorker();
    // Ends every transfer and waits for the thread.
    ~TransferWorker() override;

    // A queue of its own within each host, for one source.
    quint64 newShare();
    // The transfer's id, as pageDone() gives it.
    quint64 submit(TransferRequest request);
    // The transfer ends within moments and is not reported.
    void cancel(quint64 id);

Q_SIGNALS:
    void pageDone(quint64 id, const PageOutcome &outcome);

private:
    struct Submission {
        quint64 id;
        TransferRequest request;
    };

    void run();
    static CreatePageTransport transportFactory();

    std::unique_ptr<QThread> m_thread; // started by the first submission
    QMutex m_mutex;                    // guards what follows
    std::unique_ptr<PageTransport> m_transport;
    std::vector<Submission> m_pending; // until the module is loaded
    quint64 m_nextId = 1;
    quint64 m_nextShare = 1;
    bool m_loadFailed = false;
    bool m_shutDown = false;
};
