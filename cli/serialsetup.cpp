#include "cli/serialsetup.h"
#include "cli/portreport.h"
#include "link/comportlink.h"
#include "link/frontend.h"

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
        ui.showMessage(presentPortsText());
        throw;
    }
    return link;
}
