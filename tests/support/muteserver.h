#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

// A server on 127.0.0.1 that accepts TCP connections and never sends a byte,
// not even the start of a TLS handshake.
class MuteServer : public QObject
{
    Q_OBJECT

public:
    explicit MuteServer(QObject *parent = nullptr);

    bool start();
    QString host() const; // "127.0.0.1:<port>"
    int connectionCount() const;

private:
    void acceptConnections();

    QTcpServer m_server;
    int m_connectionCount = 0;
};
