#include "quoteserverconnection.h"

#include "loopbackquoteserver.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include <sys/socket.h>

namespace {

constexpr qint64 kWriteChunk = 64 * 1024;
// Keeps the socket's queue short so the sender notices a closed connection
// instead of encrypting the whole body up front.
constexpr qint64 kMaxQueued = 256 * 1024;
// Long enough for the client to have read what came before the reset.
constexpr std::chrono::milliseconds kResetDelay{200};

QByteArray fillerPiece(QuotePage::Filler kind)
{
    switch (kind) {
    case QuotePage::Filler::Lines:
        return QByteArrayLiteral("<p>filler text of a long quote page</p>\n");
    case QuotePage::Filler::Unbroken:
        return QByteArrayLiteral("<span>filler text without a line break</span>");
    case QuotePage::Filler::HeaderLine:
        return QByteArrayLiteral("filler-of-a-header-that-never-ends;");
    case QuotePage::Filler::SmallHeaders:
        return QByteArrayLiteral("X-Filler: a short header\r\n");
    }
    Q_UNREACHABLE();
}

QByteArray fillerChunk(QuotePage::Filler kind, qint64 size)
{
    const QByteArray piece = fillerPiece(kind);
    QByteArray chunk;
    chunk.reserve(size);
    while (chunk.size() < size)
        chunk.append(piece.first(std::min(piece.size(), size - chunk.size())));
    return chunk;
}

// The body up to and including its `count`th line break, or half of it.
QByteArray firstLines(const QByteArray &body, int count)
{
    qsizetype end = -1;
    for (int line = 0; line < count; ++line) {
        end = body.indexOf('\n', end + 1);
        if (end < 0)
            return body.first(body.size() / 2);
    }
    return body.first(end + 1);
}

} // namespace

QuoteServerConnection::QuoteServerConnection(QSslSocket *socket, LoopbackQuoteServer *server)
    : QObject(server)
    , m_socket(socket)
    , m_server(server)
{
    socket->setParent(this);
    connect(socket, &QIODevice::readyRead, this, &QuoteServerConnection::readRequests);
    connect(socket, &QIODevice::bytesWritten, this, &QuoteServerConnection::writeMore);
    connect(socket, &QSslSocket::encryptedBytesWritten, this, &QuoteServerConnection::writeMore);
    connect(socket, &QAbstractSocket::disconnected, this, &QuoteServerConnection::onDisconnected);
    connect(&m_dripTimer, &QTimer::timeout, this, &QuoteServerConnection::dripOne);
    readRequests();
}

void QuoteServerConnection::readRequests()
{
    if (!m_socket)
        return;
    m_received += m_socket->readAll();
    if (m_responding)
        return;

    const qsizetype headEnd = m_received.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (m_received.size() > kMaxRequestHead)
            m_socket->abort();
        return;
    }
    const QByteArray head = m_received.first(headEnd);
    m_received.remove(0, headEnd + 4);

    // "GET /path HTTP/1.1": the target is the second word of the first line.
    const qsizetype lineEnd = head.indexOf("\r\n");
    const QByteArray requestLine = lineEnd < 0 ? head : head.first(lineEnd);
    const QByteArray target = requestLine.split(' ').value(1);
    m_responding = true;
    const QuotePage page = m_server->pageForRequest(target, head);
    if (m_server->behaviour() == LoopbackQuoteServer::Behaviour::Stall)
        return;
    QElapsedTimer held;
    held.start();
    QTimer::singleShot(std::max(m_server->responseDelay(), page.delay), this, [this, page, held] {
        m_server->countHeld(std::chrono::nanoseconds(held.nsecsElapsed()));
        startResponse(page);
    });
}

void QuoteServerConnection::startResponse(const QuotePage &page)
{
    if (!m_socket)
        return;
    if (page.fillsHead()) {
        // The head never ends: the filler takes the place of its blank line.
        m_unsent = page.interim + "HTTP/1.1 " + page.status + "\r\n" + page.extraHeaders
            + (page.filler == QuotePage::Filler::HeaderLine ? "X-Endless: " : "");
    } else {
        const QByteArray head = page.interim + page.head();
        if (page.delivery != QuotePage::Delivery::Whole) {
            startBrokenResponse(page, head);
            return;
        }
        m_unsent = head + page.body;
    }
    m_fillerLeft = page.fillerBytes;
    if (m_fillerLeft > 0 && (m_filler.isEmpty() || m_fillerKind != page.filler)) {
        m_fillerKind = page.filler;
        m_filler = fillerChunk(page.filler, kWriteChunk);
    }
    writeMore();
}

// The connection stays "responding", so no later request on it is answered.
void QuoteServerConnection::startBrokenResponse(const QuotePage &page, const QByteArray &head)
{
    switch (page.delivery) {
    case QuotePage::Delivery::Whole:
    case QuotePage::Delivery::Silent:
        return;
    case QuotePage::Delivery::HeadThenStall:
        m_server->countSent(m_socket->write(head));
        return;
    case QuotePage::Delivery::ResetMidBody:
        m_server->countSent(m_socket->write(head + firstLines(page.body, 2)));
        QTimer::singleShot(kResetDelay, this, &QuoteServerConnection::resetConnection);
        return;
    case QuotePage::Delivery::PriceLineThenStall:
        m_server->countSent(m_socket->write(head + firstLines(page.body, 5)));
        return;
    case QuotePage::Delivery::Drip:
        m_server->countSent(m_socket->write(head));
        m_drip = page.body;
        m_dripTimer.start(page.dripInterval);
        return;
    case QuotePage::Delivery::UntilClose:
    case QuotePage::Delivery::CutMidBody:
        // disconnectFromHost() sends what is queued, then the TLS close alert.
        m_server->countSent(m_socket->write(head + page.body.first(
            page.delivery == QuotePage::Delivery::CutMidBody ? page.cutAt : page.body.size())));
        m_responding = false;
        m_socket->disconnectFromHost();
        return;
    case QuotePage::Delivery::CutByTcpClose:
        m_server->countSent(m_socket->write(head + page.body.first(page.cutAt)));
        QTimer::singleShot(kResetDelay, this, &QuoteServerConnection::closeTcpOnly);
        return;
    case QuotePage::Delivery::HeadCutThenClose:
        m_server->countSent(m_socket->write(head.first(page.cutAt)));
        m_responding = false;
        m_socket->disconnectFromHost();
        return;
    case QuotePage::Delivery::HeadCutByTcpClose:
        m_server->countSent(m_socket->write(head.first(page.cutAt)));
        QTimer::singleShot(kResetDelay, this, &QuoteServerConnection::closeTcpOnly);
        return;
    }
}

// Ends the TCP stream without the TLS close alert, as a cut cable or a
// middlebox does.
void QuoteServerConnection::closeTcpOnly()
{
    if (!m_socket)
        return;
    ::shutdown(static_cast<int>(m_socket->socketDescriptor()), SHUT_WR);
    m_responding = false;
    m_socket->abort();
}

void QuoteServerConnection::dripOne()
{
    if (!m_socket || m_drip.isEmpty()) {
        m_dripTimer.stop();
        return;
    }
    m_server->countSent(m_socket->write(m_drip.first(1)));
    m_drip.remove(0, 1);
}

void QuoteServerConnection::resetConnection()
{
    if (!m_socket)
        return;
    // Lingering for no time makes closing send a reset (RST) instead of an
    // orderly end of the stream.
    const linger noLinger{1, 0};
    ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof noLinger);
    m_responding = false; // not a response the client cut off
    m_socket->abort();
}

void QuoteServerConnection::writeMore()
{
    if (!m_socket || !m_responding)
        return;
    while (m_socket->bytesToWrite() + m_socket->encryptedBytesToWrite() < kMaxQueued) {
        if (!m_unsent.isEmpty()) {
            m_server->countSent(m_socket->write(m_unsent));
            m_unsent.clear();
        } else if (m_fillerLeft > 0) {
            const qint64 size = std::min(kWriteChunk, m_fillerLeft);
            m_server->countSent(m_socket->write(m_filler.constData(), size));
            m_fillerLeft -= size;
        } else {
            m_responding = false;
            readRequests(); // a request may already be waiting
            return;
        }
    }
}

void QuoteServerConnection::onDisconnected()
{
    if (m_responding && m_server->behaviour() != LoopbackQuoteServer::Behaviour::Stall)
        m_server->countCutOff();
    m_responding = false;
    deleteLater();
}
