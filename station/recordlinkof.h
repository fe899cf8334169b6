#pragma once
#include "comport/comport.h"
#include "station/station.h"
#include "upload/recordlink.h"

#include <optional>

// How a run reaches the device, for its record: the TCP target, or the
// serial port at its saved speed, through the modem while its call is up.
// dialled: the number a front end called for this run, whether the call
// came up or not; the link then counts as the modem's.
template <typename Ui>
RecordLink recordLinkOf(const Station<Ui> &station, const std::optional<QString> &dialled = std::nullopt)
{
    const Link &link = station.link;
    if (link.TcpMode)
        return {QStringLiteral("tcp"), link.tcpTarget().connectTo(), link.tcpPort(), {}, 0, {}};
    RecordLink serial{QStringLiteral("serial"), {}, 0, station.Comm1.DeviceName(), int(BaudRateValue(link.SavedBaudRate)), {}};
    if (dialled || link.ModemConnected) {
        serial.kind = QStringLiteral("modem");
        serial.number = dialled ? *dialled : QString::fromLatin1(station.modem->PhoneNumber);
    }
    return serial;
}
