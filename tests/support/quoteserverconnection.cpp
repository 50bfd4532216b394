#include "quoteserverconnection.h"

#include "loopbackquoteserver.h"

#include <QTimer>

#include <algorithm>

namespace {

constexpr qint64 kWriteChunk = 64 * 1024;
// Keeps the socket's queue short so the sender notices a closed connection
// instead of encrypting the whole body up front.
constexpr qint64 kMaxQueued = 256 * 1024;

QByteArray fillerChunk(qint64 size)
{
    static constexpr char kLine[] = "<p>filler text of a long quote page</p>\n";
    QByteArray chunk;
    chunk.reserve(size);
    while (chunk.size() < size)
        chunk.append(kLine, std::min<qsizetype>(sizeof kLine - 1, size - chunk.size()));
    return chunk;
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
    const QuotePage page = m_server->pageForRequest(target);
    if (m_server->behaviour() == LoopbackQuoteServer::Behaviour::Stall)
        return;
    QTimer::singleShot(m_server->responseDelay(), this, [this, page] { startResponse(page); });
}

void QuoteServerConnection::startResponse(const QuotePage &page)
{
    if (!m_socket)
        return;
    m_unsent = "HTTP/1.1 " + page.status + "\r\n"
               "Content-Type: text/html; charset=utf-8\r\n"
               "Content-Length: " + QByteArray::number(page.body.size() + page.fillerBytes) + "\r\n"
               "Connection: keep-alive\r\n"
               "\r\n" + page.body;
    m_fillerLeft = page.fillerBytes;
    if (m_fillerLeft > 0 && m_filler.isEmpty())
        m_filler = fillerChunk(kWriteChunk);
    writeMore();
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
