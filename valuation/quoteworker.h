#pragma once

#include "quoteresult.h"
#include "quotesitesettings.h"

#include <QLibrary>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <memory>

class QuoteFetcher;

// The transport module for a program in `programDir`: the installed one, at
// its fixed place beside the installed program; for a program run from the
// build tree without one, the module built there.
QString transportModulePath(const QString &programDir);

// Runs quote lookups one after another on the thread it lives on, the quote
// source's worker thread, and reports each result with fetched(). The
// transport module, and with it the trusted certificates, is loaded on the
// first lookup, on that thread.
class QuoteWorker : public QObject
{
    Q_OBJECT

public:
    explicit QuoteWorker(QuoteSiteSettings settings);
    ~QuoteWorker() override;

    // On the worker thread, queued in the order the lookups were asked for.
    void fetch(quint64 id, const QUrl &url);

    // Safe from any thread. A cancelled lookup is not reported; one in
    // flight is stopped within moments.
    void cancel(quint64 id);
    // Cancels everything, now and later; for the source's destruction.
    void shutDown();

Q_SIGNALS:
    void fetched(quint64 id, const QuoteResult &result);

private:
    bool mayStart(quint64 id);
    bool loadTransport();

    QuoteSiteSettings m_settings;
    QLibrary m_module;
    std::unique_ptr<QuoteFetcher> m_transport;
    QMutex m_mutex; // guards what follows, and the transport's abort
    QSet<quint64> m_cancelled;
    quint64 m_current = 0;
    bool m_shutDown = false;
};
