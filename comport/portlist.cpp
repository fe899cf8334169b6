#include "comport/portlist.h"
#include "comport/comport_platform.h"

#include <QRegularExpression>

QString SerialPortEntry::description() const
{
    return maker.isEmpty() ? product : maker + QLatin1Char(' ') + product;
}

ComPortCheck CheckComPort(const QString &name)
{
    int error = 0;
    return complatform::probePort(complatform::devicePath(name), error);
}

PortState portState(const QString &name)
{
    int error = 0;
    switch (complatform::probePort(complatform::devicePath(name), error)) {
    case ComPortCheck::Free:
        return PortState::Free;
    case ComPortCheck::Unknown:
        return PortState::Missing;
    case ComPortCheck::Busy:
        break;
    }
    return complatform::isPermissionError(error) ? PortState::NoPermission : PortState::Busy;
}

int CountComPorts(int limit)
{
    static const QRegularExpression comName(QStringLiteral("^COM[0-9]+$"));
    int count = 0;
    for (const SerialPortEntry &port : PresentSerialPorts())
        if (comName.match(port.name).hasMatch() && ++count == limit)
            break;
    return count;
}

QList<SerialPortEntry> PresentSerialPorts() { return complatform::presentSerialPorts(); }

QString comPortProblem(const QString &name)
{
    if (portState(name) != PortState::NoPermission)
        return {};
    return QStringLiteral("Sie haben keine Berechtigung für %1. Nehmen Sie Ihr Benutzerkonto in die Gruppe "
                          "\"dialout\" auf (sudo usermod -aG dialout $USER) und melden Sie sich danach neu an.")
        .arg(name);
}
