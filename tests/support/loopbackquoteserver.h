#pragma once

#include "quotepage.h"
#include "transfersettings.h"
#include "testcertificates.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSslServer>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>

// An HTTPS quote site on 127.0.0.1 for tests and benchmarks. Serves
// /quote/SYMBOL/?p=SYMBOL pages set up by the test and a 404 page for
// unknown symbols, over keep-alive HTTP/1.1 connections.
class LoopbackQuoteServer : public QObject
{
    Q_OBJECT

public:
    enum class Behaviour {
        Answer, // serves pages
        Stall,  // accepts connections and reads requests, never answers
    };

    explicit LoopbackQuoteServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 on a free port, presenting the given certificate.
    bool start(TestCertificates::ServerIdentity identity = TestCertificates::ServerIdentity::Trusted);
    QString host() const; // "127.0.0.1:<port>"
    // The protocol each connection agreed on in its TLS handshake (ALPN),
    // empty where the client named none.
    QByteArrayList negotiatedProtocols() const;

    void setPrice(const QString &symbol, const QByteArray &priceText);
    void setPage(const QString &symbol, const QByteArray &body, const QByteArray &status = "200 OK");
    // Any page, hostile ones included: see QuotePage::Delivery.
    void setPage(const QString &symbol, const QuotePage &page);
    // A response for one request target ("/v1/price?s=VTI"), whatever it
    // asks for: how quote sources other than the quote page are served.
    void setTargetPage(const QByteArray &target, const QuotePage &page);
    // Streams this many bytes of filler lines after the symbol's page.
    void setFillerBytes(const QString &symbol, qint64 bytes);
    void setResponseDelay(std::chrono::milliseconds delay);
    void setBehaviour(Behaviour behaviour);

    QStringList requestedPaths() const; // path and query of every request, in order
    QByteArrayList requestHeads() const; // every request's head, request line and header lines, in order
    int requestCount() const;
    int connectionCount() const;        // connections that completed the TLS handshake
    int openConnections() const;        // of those, the ones still open
    int mostOpenConnections() const;    // the most open at one time
    qint64 bytesSent() const;           // response bytes handed to sockets
    int cutOffResponses() const;        // responses the client closed the connection on
    // Time responses were held back, request read to response started; the
    // delay's timer fires a little late, so this is the true floor of a run.
    std::chrono::nanoseconds heldTime() const;

    // From the first connection or request after restartSpan() to the last
    // response byte handed to a socket: the site's view of how long a
    // client took over its pages.
    void restartSpan();
    std::chrono::nanoseconds span() const;

    // A file holding the test authority's certificate, for the client to trust.
    QString authorityFile() const;
    TransferSettings clientSettings() const; // host, trust in the test authority, no proxy

    // Used by the connections.
    QuotePage pageForRequest(const QByteArray &target, const QByteArray &head);
    Behaviour behaviour() const;
    std::chrono::milliseconds responseDelay() const;
    void countSent(qint64 bytes);
    void countCutOff();
    void countHeld(std::chrono::nanoseconds held);

private:
    void acceptConnections();

    QSslServer m_server;
    QTemporaryDir m_trustDirectory;
    QByteArrayList m_negotiatedProtocols;
    QHash<QString, QuotePage> m_pages;
    QHash<QByteArray, QuotePage> m_targetPages;
    QStringList m_requestedPaths;
    QByteArrayList m_requestHeads;
    std::chrono::milliseconds m_responseDelay{0};
    Behaviour m_behaviour = Behaviour::Answer;
    int m_connectionCount = 0;
    int m_openConnections = 0;
    int m_mostOpenConnections = 0;
    qint64 m_bytesSent = 0;
    int m_cutOffResponses = 0;
    std::chrono::nanoseconds m_heldTime{0};
    QElapsedTimer m_clock;
    qint64 m_spanStart = -1; // nanoseconds on m_clock
    qint64 m_spanEnd = -1;
};
