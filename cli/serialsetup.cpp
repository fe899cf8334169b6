#include "cli/serialsetup.h"
#include "cli/portreport.h"
#include "comport/portlist.h"
#include "link/comportlink.h"
#include "frontend/frontend.h"

#include <stdexcept>

void openSerialLink(ComPortLink &serial, Frontend &ui, const QString &device, TBaudRate rate)
{
    TComPort &port = serial.Comm1;
    port.SetDeviceName(device);
    port.SetBaudRate(rate);
    try {
        port.Open();
    } catch (...) {
        // The port's message has the system's reason; say which device it was
        // ("COM1" stands for a device file here), and say "busy" plainly: in a
        // campaign another run may hold it.
        const QString message = portState(device) == PortState::Busy
                                    ? QStringLiteral("quillon-cli: die serielle Schnittstelle %1 ist belegt: ein anderes "
                                                     "Programm benutzt sie")
                                          .arg(port.DevicePath())
                                    : QStringLiteral("quillon-cli: die serielle Schnittstelle %1 lässt sich nicht öffnen")
                                          .arg(port.DevicePath());
        ui.showMessage(message);
        ui.showMessage(presentPortsText());
        throw std::runtime_error(message.toStdString());
    }
}
