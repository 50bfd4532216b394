#include "muteserver.h"

#include <QTcpSocket>

MuteServer::MuteServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &MuteServer::acceptConnections);
}

bool MuteServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString MuteServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
}

int MuteServer::connectionCount() const
{
    return m_connectionCount;
}

void MuteServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connectionCount;
        socket->setParent(this);
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    }
}
