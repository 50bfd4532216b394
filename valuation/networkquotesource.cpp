#include "networkquotesource.h"

#include "networkquotelookup.h"
#include "quoteparser.h"
#include "settledquotelookup.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QSslCertificate>

#include <utility>

namespace {

// Asks the system for each request's proxy, without changing the proxy
// settings of the whole application.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return systemProxyForQuery(query);
    }
};

// A path segment of "." or ".." is a step through the path, and HTTP clients
// (Qt included) resolve it before sending, encoded or not.
bool isPathStep(const QString &symbol)
{
    return symbol == u"." || symbol == u"..";
}

// The settings' certificate files and directories join the trust store.
void trustListedCertificates(QuoteSiteSettings &settings)
{
    QList<QSslCertificate> listed;
    for (const QString &file : std::as_const(settings.trustedCertificateFiles))
        listed += QSslCertificate::fromPath(file, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    for (const QString &directory : std::as_const(settings.trustedCertificateDirectories)) {
        for (const QFileInfo &entry : QDir(directory).entryInfoList(QDir::Files | QDir::Readable))
            listed += QSslCertificate::fromPath(entry.filePath(), QSsl::Pem,
                                                QSslCertificate::PatternSyntax::FixedString);
    }
    // Settings made field by field carry no configuration: Qt's default.
    if (settings.ssl.isNull())
        settings.ssl = QSslConfiguration::defaultConfiguration();
    if (listed.isEmpty())
        return;
    // Setting any authorities stops Qt loading the system's on demand.
    settings.ssl.setCaCertificates(QSslConfiguration::systemCaCertificates()
                                   + settings.ssl.caCertificates() + listed);
}

} // namespace

NetworkQuoteSource::NetworkQuoteSource(QuoteSiteSettings settings, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings))
    , m_manager(new QNetworkAccessManager(this))
{
    trustListedCertificates(m_settings);
    if (m_settings.proxy)
        m_manager->setProxy(*m_settings.proxy);
    else
        m_manager->setProxyFactory(new SystemProxyFactory); // the manager owns it
}

QuoteLookup *NetworkQuoteSource::FetchQuotePrice(const QString &symbol, QObject *parent)
{
    if (isCashSymbol(symbol))
        return new SettledQuoteLookup(symbol, QuoteResult::withPrice(1.0), parent);
    if (m_settings.host.isEmpty()) {
        return new SettledQuoteLookup(
            symbol, QuoteResult::unpriced(QStringLiteral("no quote site configured")), parent);
    }
    const QUrl url = quotePageUrl(m_settings.host, symbol);
    if (!url.isValid()) {
        return new SettledQuoteLookup(
            symbol, QuoteResult::unpriced(QStringLiteral("page address not valid")), parent);
    }

    QNetworkRequest request(url);
    request.setSslConfiguration(m_settings.ssl);
    request.setTransferTimeout(static_cast<int>(m_settings.transferTimeout.count()));
    return new NetworkQuoteLookup(symbol, m_manager->get(request), parent);
}

QUrl quotePageUrl(const QString &host, const QString &symbol)
{
    if (isPathStep(symbol))
        return {};
    const QByteArray encoded = QUrl::toPercentEncoding(symbol);
    return QUrl::fromEncoded("https://" + host.toUtf8() + "/quote/" + encoded + "/?p=" + encoded,
                             QUrl::StrictMode);
}
