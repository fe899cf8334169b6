#pragma once
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class DeviceSim;

// Serves the simulated device to one TCP client at a time on the loopback
// address, 127.0.0.1 or ::1.
class TcpTransport : public QObject {
    Q_OBJECT
public:
    explicit TcpTransport(DeviceSim &device, QObject *parent = nullptr);

    // Port 0 picks a free one. False with errorString() on failure.
    bool listen(quint16 port, bool ipv6 = false);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // Drops the current client (the device's side of a broken link).
    void dropClient();
    int connections() const { return m_connections; }

private:
    void onNewConnection();

    DeviceSim &m_device;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    int m_connections = 0;
};
