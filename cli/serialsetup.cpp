#include "cli/serialsetup.h"
#include "link/comportlink.h"
#include "link/frontend.h"

std::optional<TBaudRate> baudRateOf(int bitsPerSecond)
{
    for (int r = br50; r < brCustom; ++r)
        if (BaudRateValue(TBaudRate(r)) == bitsPerSecond)
            return TBaudRate(r);
    return std::nullopt;
}

QStringList baudRates()
{
    QStringList rates;
    for (int r = br50; r < brCustom; ++r)
        rates << QString::number(BaudRateValue(TBaudRate(r)));
    return rates;
}

std::unique_ptr<ComPortLink> openSerialLink(Frontend &ui, const QString &device, TBaudRate rate)
{
    auto link = std::make_unique<ComPortLink>(ui);
    TComPort &port = link->Comm1;
    port.SetDeviceName(device);
    port.SetBaudRate(rate);
    try {
        port.Open();
    } catch (...) {
        // The port's message has the system's reason; say which device it was
        // ("COM1" stands for a device file here).
        ui.showMessage(QStringLiteral("quillon-cli: die serielle Schnittstelle %1 lässt sich nicht öffnen").arg(port.DevicePath()));
        throw;
    }
    return link;
}
