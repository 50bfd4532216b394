#pragma once

#include "quoteresult.h"
#include "quotesitesettings.h"
#include "quotesource.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QUrl>

#include <memory>

class NetworkQuoteLookup;
class QuoteWorker;

// Prices symbols from the quote site's pages over HTTPS. The pages are
// fetched on a worker thread of the source's own, one lookup after another
// over one kept-alive connection; results come back through the event loop,
// so no site can hold up the thread the source lives on. Nothing is cached.
// The thread starts with the first lookup. Destroying the source stops the
// lookup in flight and waits for the thread; lookups still alive then finish
// with the reason "stopped" from the event loop. The source must not be
// used from their finished() handlers.
class NetworkQuoteSource : public QObject, public QuoteSource
{
    Q_OBJECT

public:
    explicit NetworkQuoteSource(QuoteSiteSettings settings, QObject *parent = nullptr);
    ~NetworkQuoteSource() override;

    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override;

    // For the lookups: the lookup no longer wants its result.
    void cancel(quint64 id);

Q_SIGNALS:
    void fetchRequested(quint64 id, const QUrl &url);

private:
    void startWorker();
    void deliver(quint64 id, const QuoteResult &result);

    QuoteSiteSettings m_settings;
    QThread m_thread;
    std::unique_ptr<QuoteWorker> m_worker;
    QHash<quint64, QPointer<NetworkQuoteLookup>> m_lookups;
    quint64 m_nextId = 1;
};

// The quote page address: https://host/quote/SYMBOL/?p=SYMBOL. The symbol is
// percent-encoded in both places, so it can neither change the path nor add
// query items; plain symbols such as VTI or BRK.B appear as typed. The
// symbols "." and "..", which would move up the path whatever their
// encoding, and a host that does not form an address give an invalid QUrl.
QUrl quotePageUrl(const QString &host, const QString &symbol);
