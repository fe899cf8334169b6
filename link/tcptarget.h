#pragma once
#include <QString>

// How the address text of the interface dialog reaches the TCP client: four
// dotted groups of digits are a numeric address, anything else a host name
// the client resolves when it connects. The whole text is handed over either way.
struct TcpTarget {
    QString address;  // empty when the text is a host name
    QString host;     // empty when the text is a numeric address

    static TcpTarget fromText(const QString &text);
    // What the client connects to.
    QString connectTo() const { return address.isEmpty() ? host : address; }
};
