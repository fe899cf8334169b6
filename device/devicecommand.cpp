#include "device/devicecommand.h"

#include "link/link.h"

FrameResult askDevice(Link &link, const DeviceCommand &command, QByteArray &answer)
{
    link.SendCommand(command.text, link.UseCrc);
    return link.ReceiveFrame(answer, link.UseCrc, link.limits.commandTimeoutMs);
}
