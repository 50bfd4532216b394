#pragma once

#include "quotepage.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSslSocket>
#include <QTimer>

class LoopbackQuoteServer;

// One client connection of the loopback quote server: reads HTTP/1.1
// requests one after another (keep-alive) and streams each response without
// holding its filler in memory, or breaks off as the page asks.
class QuoteServerConnection : public QObject
{
    Q_OBJECT

public:
    QuoteServerConnection(QSslSocket *socket, LoopbackQuoteServer *server);

private:
    static constexpr qsizetype kMaxRequestHead = 64 * 1024;

    void readRequests();
    void startResponse(const QuotePage &page);
    void startBrokenResponse(const QuotePage &page, const QByteArray &head);
    void resetConnection();
    void closeTcpOnly();
    void dripOne();
    void writeMore();
    void onDisconnected();

    QPointer<QSslSocket> m_socket;
    LoopbackQuoteServer *m_server;
    QByteArray m_received;
    bool m_responding = false;
    QByteArray m_unsent;       // head and body not yet handed to the socket
    qint64 m_fillerLeft = 0;
    QByteArray m_filler;       // one chunk of filler, written repeatedly
    QuotePage::Filler m_fillerKind = QuotePage::Filler::Lines;
    QByteArray m_drip;         // body bytes still to drip
    QTimer m_dripTimer;
};
