#include "mainwindow/formcom.h"
#include "comport/comport.h"
#include "comport/eabort.h"
#include "widgets/led.h"

#include <QHBoxLayout>

namespace {
TLEDLabel *lamp(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *led = new TLEDLabel(parent);
    led->setObjectName(QLatin1String(name));
    led->setCaption(caption);
    led->setAccessibleName(caption);
    led->setToolTip(hint);
    led->setStatusTip(hint);
    led->setColor(lcGreen);
    return led;
}
}  // namespace

TComForm::TComForm(TCustomComPort &port, QWidget *parent) : QWidget(parent, Qt::Tool), m_port(port)
{
    setObjectName(QStringLiteral("ComForm"));
    setWindowTitle(QStringLiteral("COM-Signal"));
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

    ledRTS = lamp(this, "ledRTS", QStringLiteral("RTS"), QStringLiteral("RTS aktiv/inaktiv setzen"));
    ledDTR = lamp(this, "ledDTR", QStringLiteral("DTR"), QStringLiteral("DTR aktiv/inaktiv setzen"));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(ledRTS);
    layout->addWidget(ledDTR);

    connect(ledRTS, &TLEDLabel::clicked, this, &TComForm::ledRTSClick);
    connect(ledDTR, &TLEDLabel::clicked, this, &TComForm::ledDTRClick);
}

void TComForm::ledRTSClick()
{
    // Under RTS/CTS the driver owns the line.
    if (m_port.FlowControl().RTS() == rcEnable)
        toggle(ledRTS, &TCustomComPort::SetRTS, &TCustomComPort::ClearRTS);
}

void TComForm::ledDTRClick() { toggle(ledDTR, &TCustomComPort::SetDTR, &TCustomComPort::ClearDTR); }

void TComForm::toggle(TLEDLabel *led, LineCall set, LineCall clear)
{
    const bool wasSet = led->color() == lcGreen;
    try {
        (m_port.*(wasSet ? clear : set))();
    } catch (const EComError &) {
        return;  // the port's OnError has shown it; the lamp keeps its colour
    } catch (const EAbort &) {
        return;
    }
    led->setColor(wasSet ? lcRed : lcGreen);
}
