#include "cli/serialsetup.h"
#include "link/comportlink.h"
#include "link/frontend.h"

std::unique_ptr<ComPortLink> openSerialLink(Frontend &ui, const QString &device, int bitsPerSecond)
{
    auto link = std::make_unique<ComPortLink>(ui);
    TComPort &port = link->Comm1;
    port.SetDeviceName(device);
    TBaudRate rate = brCustom;
    for (int r = br50; r < brCustom; ++r)
        if (BaudRateValue(TBaudRate(r)) == bitsPerSecond)
            rate = TBaudRate(r);
    if (rate == brCustom)
        port.SetCustomBaudRate(bitsPerSecond);
    else
        port.SetBaudRate(rate);
    try {
        port.Open();
    } catch (...) {
        // The port's message has the system's reason; say which device it was
        // ("COM1" stands for a device file here).
        ui.showMessage(QStringLiteral("quillon-cli: cannot open the serial port %1").arg(port.DevicePath()));
        throw;
    }
    return link;
}
