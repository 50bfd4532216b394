#include "loopbackquoteserver.h"

#include "quoteserverconnection.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

// The symbol a quote page request asks for, or nothing for other targets.
std::optional<QString> requestedSymbol(const QByteArray &target)
{
    const QRegularExpression quotePath(QStringLiteral("^/quote/([^/?]*)/\\?p=([^&]*)$"));
    const QRegularExpressionMatch match = quotePath.match(QString::fromLatin1(target));
    if (!match.hasMatch() || match.captured(1) != match.captured(2))
        return std::nullopt;
    return QUrl::fromPercentEncoding(match.captured(1).toLatin1());
}

} // namespace

LoopbackQuoteServer::LoopbackQuoteServer(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this,
            &LoopbackQuoteServer::acceptConnections);
    QFile authority(authorityFile());
    if (!authority.open(QIODevice::WriteOnly) || authority.write(TestCertificates::authority().toPem()) <= 0)
        qFatal("cannot write the test authority's certificate");
}

bool LoopbackQuoteServer::start(TestCertificates::ServerIdentity identity)
{
    QSslConfiguration configuration = TestCertificates::serverConfiguration(identity);
    // HTTP/2 is offered first, as most sites do, so that a client willing
    // to speak it would get it; this server only ever speaks HTTP/1.1.
    configuration.setAllowedNextProtocols(
        {QSslConfiguration::ALPNProtocolHTTP2, QSslConfiguration::NextProtocolHttp1_1});
    m_server.setSslConfiguration(configuration);
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QByteArrayList LoopbackQuoteServer::negotiatedProtocols() const
{
    return m_negotiatedProtocols;
}

QString LoopbackQuoteServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
}

void LoopbackQuoteServer::setPrice(const QString &symbol, const QByteArray &priceText)
{
    m_pages.insert(symbol, QuotePage::withPrice(symbol.toUtf8(), priceText));
}

void LoopbackQuoteServer::setPage(const QString &symbol, const QByteArray &body,
                                  const QByteArray &status)
{
    QuotePage page;
    page.status = status;
    page.body = body;
    m_pages.insert(symbol, page);
}

void LoopbackQuoteServer::setPage(const QString &symbol, const QuotePage &page)
{
    m_pages.insert(symbol, page);
}

void LoopbackQuoteServer::setTargetPage(const QByteArray &target, const QuotePage &page)
{
    m_targetPages.insert(target, page);
}

void LoopbackQuoteServer::setFillerBytes(const QString &symbol, qint64 bytes)
{
    m_pages[symbol].fillerBytes = bytes;
}

void LoopbackQuoteServer::setResponseDelay(std::chrono::milliseconds delay)
{
    m_responseDelay = delay;
}

void LoopbackQuoteServer::setBehaviour(Behaviour behaviour)
{
    m_behaviour = behaviour;
}

QStringList LoopbackQuoteServer::requestedPaths() const
{
    return m_requestedPaths;
}

QByteArrayList LoopbackQuoteServer::requestHeads() const
{
    return m_requestHeads;
}

int LoopbackQuoteServer::requestCount() const
{
    return m_requestedPaths.size();
}

int LoopbackQuoteServer::connectionCount() const
{
    return m_connectionCount;
}

void LoopbackQuoteServer::restartSpan()
{
    m_spanStart = -1;
    m_spanEnd = -1;
}

std::chrono::nanoseconds LoopbackQuoteServer::span() const
{
    return std::chrono::nanoseconds(m_spanStart < 0 || m_spanEnd < 0 ? 0 : m_spanEnd - m_spanStart);
}

int LoopbackQuoteServer::openConnections() const
{
    return m_openConnections;
}

int LoopbackQuoteServer::mostOpenConnections() const
{
    return m_mostOpenConnections;
}

qint64 LoopbackQuoteServer::bytesSent() const
{
    return m_bytesSent;
}

int LoopbackQuoteServer::cutOffResponses() const
{
    return m_cutOffResponses;
}

QString LoopbackQuoteServer::authorityFile() const
{
    return m_trustDirectory.filePath(QStringLiteral("test-authority.pem"));
}

TransferSettings LoopbackQuoteServer::clientSettings() const
{
    TransferSettings settings;
    settings.trustedCertificateFiles = {authorityFile()};
    settings.proxy = TransferProxy{}; // straight to the loopback site
    return settings;
}

QuotePage LoopbackQuoteServer::pageForRequest(const QByteArray &target, const QByteArray &head)
{
    m_requestedPaths.append(QString::fromLatin1(target));
    m_requestHeads.append(head);
    if (m_spanStart < 0)
        m_spanStart = m_clock.nsecsElapsed();
    if (m_targetPages.contains(target))
        return m_targetPages.value(target);
    const std::optional<QString> symbol = requestedSymbol(target);
    return symbol ? m_pages.value(*symbol, QuotePage::notFound()) : QuotePage::notFound();
}

LoopbackQuoteServer::Behaviour LoopbackQuoteServer::behaviour() const
{
    return m_behaviour;
}

std::chrono::milliseconds LoopbackQuoteServer::responseDelay() const
{
    return m_responseDelay;
}

void LoopbackQuoteServer::countSent(qint64 bytes)
{
    m_bytesSent += bytes;
    if (bytes > 0)
        m_spanEnd = m_clock.nsecsElapsed();
}

std::chrono::nanoseconds LoopbackQuoteServer::heldTime() const
{
    return m_heldTime;
}

void LoopbackQuoteServer::countHeld(std::chrono::nanoseconds held)
{
    m_heldTime += held;
}

void LoopbackQuoteServer::countCutOff()
{
    ++m_cutOffResponses;
}

void LoopbackQuoteServer::acceptConnections()
{
    while (m_server.hasPendingConnections()) {
        auto *socket = qobject_cast<QSslSocket *>(m_server.nextPendingConnection());
        if (!socket)
            continue;
        ++m_connectionCount;
        if (m_spanStart < 0)
            m_spanStart = m_clock.nsecsElapsed();
        m_mostOpenConnections = std::max(m_mostOpenConnections, ++m_openConnections);
        m_negotiatedProtocols.append(socket->sslConfiguration().nextNegotiatedProtocol());
        auto *connection = new QuoteServerConnection(socket, this); // owned by this server
        connect(connection, &QObject::destroyed, this, [this] { --m_openConnections; });
    }
}
