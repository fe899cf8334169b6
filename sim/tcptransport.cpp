#include "sim/tcptransport.h"

#include "sim/devicesim.h"

TcpTransport::TcpTransport(DeviceSim &device, QObject *parent) : QObject(parent), m_device(device)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpTransport::onNewConnection);
    connect(&m_device, &DeviceSim::send, this, [this](const QByteArray &bytes) {
        if (m_client)
            m_client->write(bytes);
    });
    connect(&m_device, &DeviceSim::dropLink, this, &TcpTransport::dropClient);
    // What the device sent before it restarts still arrives: a close, not an abort.
    connect(&m_device, &DeviceSim::restarting, this, [this] {
        if (m_client)
            m_client->disconnectFromHost();
    });
}

bool TcpTransport::listen(quint16 port, bool ipv6)
{
    return m_server.listen(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost, port);
}

void TcpTransport::dropClient()
{
    if (m_client)
        m_client->abort();
}

void TcpTransport::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_client)  // one device, one line: a new client replaces the old one
            m_client->abort();
        m_client = socket;
        ++m_connections;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { m_device.receive(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}
