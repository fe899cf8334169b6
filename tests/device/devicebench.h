#pragma once
#include "tests/support/fakefrontend.h"
#include "tests/support/simpeer.h"

#include <QString>
#include <stdexcept>

// A simulated device on loopback and the program's state, wired into one Context.
struct DeviceBench {
    explicit DeviceBench(const DeviceProfile &profile = DeviceProfile::fromJson({})) : peer(profile)
    {
        link.limits = TimeLimits::shortForTests();
        link.useTcp();
        link.setTcpTarget(QStringLiteral("127.0.0.1"), peer.tcp.port());
    }

    // A profile of sim/profiles by its base name.
    static DeviceProfile profile(const char *name)
    {
        QString error;
        const DeviceProfile p = DeviceProfile::load(qEnvironmentVariable("SRCDIR") + QStringLiteral("/sim/profiles/") + QLatin1String(name) + QStringLiteral(".json"), &error);
        if (!error.isEmpty())
            throw std::runtime_error(error.toStdString());
        return p;
    }

    // The frames the device received, as they came (STX..ETX plus CRC text).
    const QList<QByteArray> &frames() const { return peer.device.frames; }
    OptionsModel &panel() { return station.options; }
    FakeFrontend &ui() { return station.ui; }

    SimPeer peer;
    TestStation station;
    Link &link = station.link;
    DeviceDescription &device = station.device;
    Context &ctx = station.ctx;
};

// STX body ETX and, with crc, the four CRC characters.
inline QByteArray frame(const QByteArray &body, bool crc)
{
    QByteArray f = '\x02' + body + '\x03';
    if (crc)
        f += QByteArray::number(Crc16(body + '\x03'), 16).toUpper().rightJustified(4, '0');
    return f;
}
