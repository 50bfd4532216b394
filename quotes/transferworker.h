#pragma once

#include "pagereader.h"
#include "pagetransport.h"
#include "quotesitesettings.h"

#include <QMutex>
#include <QObject>
#include <QUrl>

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

// The thread the transfers run on, and the transport module it loads there
// on the first submission. Results come back through pageDone(), emitted on
// that thread, so the receiver gets them through its event loop.
class TransferWorker : public QObject
{
    Q_OBJECT

public:
    explicit TransferWorker(QuoteSiteSettings settings);
    // Ends every transfer and waits for the thread.
    ~TransferWorker() override;

    void submit(quint64 id, const QUrl &url, const QByteArrayList &headers,
                std::shared_ptr<PageReader> reader, std::chrono::milliseconds budget);
    // The transfer ends within moments and is not reported.
    void cancel(quint64 id);

Q_SIGNALS:
    void pageDone(quint64 id, const PageOutcome &outcome);

private:
    struct Submission {
        quint64 id;
        QByteArray url;
        QByteArrayList headers;
        std::shared_ptr<PageReader> reader;
        std::chrono::milliseconds budget;
    };

    void run();
    PageTransport *loadTransport();
    static CreatePageTransport transportFactory();

    const QuoteSiteSettings m_settings;
    std::unique_ptr<QThread> m_thread;
    QMutex m_mutex; // guards what follows
    std::unique_ptr<PageTransport> m_transport;
    std::vector<Submission> m_pending; // until the module is loaded
    bool m_loadFailed = false;
    bool m_shutDown = false;
};
