#pragma once
#include <QString>
#include <optional>

// How the address text of the interface dialog reaches the TCP client: four
// dotted groups of digits are a numeric address, anything else a host name
// the client resolves when it connects. The whole text is handed over either
// way, except that an IPv6 address written in brackets ("[::1]", as in a URL)
// loses them: the client takes the address without.
struct TcpTarget {
    QString address;  // empty when the text is a host name
    QString host;     // empty when the text is a numeric address

    static TcpTarget fromText(const QString &text);
    // What the client connects to.
    QString connectTo() const { return address.isEmpty() ? host : address; }
};

// A device's place as a command line names it: "HOST:PORT", the host a name
// or an IPv4 address, or an IPv6 address in brackets ("[::1]:4001"). The
// host comes without brackets.
struct TcpEndpoint {
    QString host;
    quint16 port = 0;

    // Nothing when the text is none of these or the port is not 1 to 65535.
    static std::optional<TcpEndpoint> fromText(const QString &text);
    // As fromText reads it: an IPv6 host in brackets.
    QString text() const;
};
