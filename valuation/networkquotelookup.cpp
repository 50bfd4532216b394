#include "networkquotelookup.h"

#include "quoteparser.h"

#include <QNetworkRequest>

#include <algorithm>

namespace {

constexpr int kPriceLine = 5;
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

QByteArray withoutLineBreak(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
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
        const QByteArray chunk = m_reply->readLine(kReadChunk);
        if (chunk.isEmpty())
            return;
        appendToLine(chunk);
        const bool fifthLineFull = m_linesRead == kPriceLine - 1 && m_line.size() >= kMaxLineBytes;
        if (chunk.endsWith('\n') || fifthLineFull)
            completeLine();
    }
}

void NetworkQuoteLookup::appendToLine(const QByteArray &chunk)
{
    const qsizetype room = kMaxLineBytes - m_line.size();
    m_line.append(chunk.first(std::min(room, chunk.size())));
}

void NetworkQuoteLookup::completeLine()
{
    ++m_linesRead;
    if (m_linesRead == kPriceLine)
        settle(parseQuoteLine(withoutLineBreak(m_line)));
    m_line.clear();
}

void NetworkQuoteLookup::onReplyFinished()
{
    readLines();
    if (isFinished() || !m_reply)
        return;

    const QNetworkReply::NetworkError error = m_reply->error();
    if (error != QNetworkReply::NoError && !isHttpStatusError(error)) {
        settle(QuoteResult::unpriced(failureReason(error)));
        return;
    }
    // The body's last line counts even without a line break.
    if (!m_line.isEmpty())
        completeLine();
    settle(QuoteResult::unpriced(QStringLiteral("no price on page")));
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
    finishLater(QuoteResult::unpriced(QStringLiteral("stopped")));
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
    // it sets an error, and Qt warns when a reply with an HTTP error status
    // gets that error reported as well.
    if (!hasHttpErrorStatus(*reply))
        reply->abort();
    reply->deleteLater();
}
