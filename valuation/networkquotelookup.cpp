#include "networkquotelookup.h"

#include "quoteparser.h"

#include <QNetworkRequest>

namespace {

constexpr qint64 kReadChunk = 64 * 1024;

// Errors that QNetworkAccessManager derives from an HTTP status: the server
// sent a page, which is read like any other (an error page has no price).
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::ProtocolUnknownError && error <= QNetworkReply::ProtocolFailure)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

bool isProxyError(QNetworkReply::NetworkError error)
{
    return error >= QNetworkReply::ProxyConnectionRefusedError
        && error <= QNetworkReply::UnknownProxyError;
}

bool hasHttpErrorStatus(const QNetworkReply &reply)
{
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400;
}

} // namespace

NetworkQuoteLookup::NetworkQuoteLookup(const QString &symbol, QNetworkReply *reply, QObject *parent)
    : QuoteLookup(symbol, parent)
    , m_reply(reply)
{
    // Bounds what Qt buffers ahead of the reading below.
    reply->setReadBufferSize(kReadChunk);
    connect(reply, &QIODevice::readyRead, this, &NetworkQuoteLookup::readLines);
    connect(reply, &QNetworkReply::finished, this, &NetworkQuoteLookup::onReplyFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &NetworkQuoteLookup::onReplyError);
    connect(reply, &QNetworkReply::sslErrors, this, &NetworkQuoteLookup::onSslErrors);
    connect(reply, &QObject::destroyed, this, &NetworkQuoteLookup::onReplyDestroyed);
}

NetworkQuoteLookup::~NetworkQuoteLookup()
{
    releaseReply();
}

void NetworkQuoteLookup::abort()
{
    releaseReply();
    QuoteLookup::abort();
}

void NetworkQuoteLookup::readLines()
{
    while (m_reply && !isFinished() && m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(kReadChunk);
        if (chunk.isEmpty())
            return;
        m_bytesRead += chunk.size();
        if (m_lineReader.append(chunk))
            settle(parseQuoteLine(m_lineReader.priceLine()));
        else if (m_bytesRead > kMaxPageBytes)
            settle(QuoteResult::unpriced(QStringLiteral("page too large")));
    }
}

void NetworkQuoteLookup::onReplyFinished()
{
    readLines();
    if (isFinished() || !m_reply)
        return;

    const QNetworkReply::NetworkError error = m_reply->error();
    if (error != QNetworkReply::NoError && !isErrorPage(error)) {
        settle(QuoteResult::unpriced(failureReason(error)));
        return;
    }
    if (m_lineReader.finish()) {
        settle(parseQuoteLine(m_lineReader.priceLine()));
        return;
    }
    settle(QuoteResult::noPriceOnPage());
}

// A failure that is not an error page ends the lookup at once: Qt does not
// always follow it with finished() (a page it refuses to unpack keeps the
// reply open until the transfer time-out).
void NetworkQuoteLookup::onReplyError(QNetworkReply::NetworkError error)
{
    readLines();
    if (!m_reply || isFinished() || isErrorPage(error))
        return;
    settle(QuoteResult::unpriced(failureReason(error)));
}

// Qt reports failures of the content, such as a page it cannot unpack, with
// the same codes as HTTP error statuses; only a reply that has such a status
// carries a page to read.
bool NetworkQuoteLookup::isErrorPage(QNetworkReply::NetworkError error) const
{
    return isHttpStatusError(error) && hasHttpErrorStatus(*m_reply);
}

void NetworkQuoteLookup::onSslErrors(const QList<QSslError> &errors)
{
    m_certificateRejected = !errors.isEmpty();
}

void NetworkQuoteLookup::onReplyDestroyed()
{
    // The reply goes with its network access manager, when the quote source
    // is destroyed; reporting from the event loop keeps the source's
    // destruction free of re-entrant calls.
    finishLater(QuoteResult::stopped());
}

QString NetworkQuoteLookup::failureReason(QNetworkReply::NetworkError error) const
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host not found");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connection refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed");
    // Our own aborts disconnect from the reply first, so a cancelled reply
    // can only be the transfer time-out.
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("timed out");
    case QNetworkReply::SslHandshakeFailedError:
        return m_certificateRejected ? QStringLiteral("certificate not trusted")
                                     : QStringLiteral("secure connection failed");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("network unavailable");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("redirect refused");
    // With a success status this is the content itself: compressed data
    // that is damaged or unpacks to far more than it could hold.
    case QNetworkReply::UnknownContentError:
        return QStringLiteral("page could not be unpacked");
    default:
        return isProxyError(error) ? QStringLiteral("proxy failed") : QStringLiteral("download failed");
    }
}

void NetworkQuoteLookup::settle(const QuoteResult &result)
{
    releaseReply();
    finish(result);
}

void NetworkQuoteLookup::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *const reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    // Deleting a reply stops its transfer too. abort() stops it at once, but
    // it sets an error, and Qt warns when a reply that has an error already,
    // or will get one for its HTTP error status, gets that error as well.
    if (!hasHttpErrorStatus(*reply) && reply->error() == QNetworkReply::NoError)
        reply->abort();
    reply->deleteLater();
}
