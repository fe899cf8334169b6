#include "cli/serialsetup.h"
#include "cli/portreport.h"
#include "comport/portlist.h"
#include "link/comportlink.h"
#include "frontend/frontend.h"

void openSerialLink(ComPortLink &serial, Frontend &ui, const QString &device, TBaudRate rate)
{
    TComPort &port = serial.Comm1;
    port.SetDeviceName(device);
    port.SetBaudRate(rate);
    // Named on purpose, so it is opened; but the user hears what it is.
    if (isSystemConsole(device))
        ui.showMessage(QStringLiteral("quillon-cli: ") + systemConsoleWarning(port.DevicePath()));
    try {
        port.Open();
    } catch (...) {
        // The port's message has the system's reason; say which device it was
        // ("COM1" stands for a device file here) and why, and say "busy"
        // plainly: in a campaign another run may hold it.
        const PortStatus status = portStatus(device);
        QString message;
        if (status.state == PortState::Busy)
            message = QStringLiteral("quillon-cli: die serielle Schnittstelle %1 ist belegt: ein anderes Programm benutzt sie")
                          .arg(port.DevicePath());
        else if (status.state == PortState::Free)  // refused after the open, by the line settings
            message = QStringLiteral("quillon-cli: die serielle Schnittstelle %1 lässt sich nicht öffnen").arg(port.DevicePath());
        else
            message = QStringLiteral("quillon-cli: die serielle Schnittstelle %1 lässt sich nicht öffnen: %2")
                          .arg(port.DevicePath(), portStatusText(status));
        ui.showMessage(message);
        ui.showMessage(presentPortsText());
        const PortState reason = status.state == PortState::Free ? PortState::Failed : status.state;
        throw PortOpenFailure(message, QString::fromLatin1(portStatusKey(reason)));
    }
}
