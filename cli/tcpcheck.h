#pragma once
#include <QString>

// Tries a TCP connection to host:port for at most timeoutMs and closes it
// again. Empty when it stood; else the reason in German.
QString tcpConnectProblem(const QString &host, quint16 port, int timeoutMs);
