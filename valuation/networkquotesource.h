#pragma once

#include "quotesitesettings.h"
#include "quotesource.h"

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

// Prices symbols from the quote site's pages over HTTPS. One network access
// manager serves all lookups so connections are kept alive between them;
// nothing is cached. Lookups still in flight when the source is destroyed
// finish with the reason "stopped" (from the event loop); the source must
// not be used from their finished() handlers.
class NetworkQuoteSource : public QObject, public QuoteSource
{
    Q_OBJECT

public:
    explicit NetworkQuoteSource(QuoteSiteSettings settings, QObject *parent = nullptr);

    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override;

private:
    QuoteSiteSettings m_settings;
    QNetworkAccessManager *m_manager;
};

// The quote page address: https://host/quote/SYMBOL/?p=SYMBOL. The symbol is
// percent-encoded in both places, so it can neither change the path nor add
// query items; plain symbols such as VTI or BRK.B appear as typed. The
// symbols "." and "..", which would move up the path whatever their
// encoding, and a host that does not form an address give an invalid QUrl.
QUrl quotePageUrl(const QString &host, const QString &symbol);
