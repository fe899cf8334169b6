#pragma once
#include <QWidget>

class TCustomComPort;
class TLEDLabel;

// The signal window: two lamps that set and clear the RTS and DTR lines of
// the serial port by a click. The lamps show what was last set here; they
// are not read back from the port.
class TComForm : public QWidget {
    Q_OBJECT
public:
    explicit TComForm(TCustomComPort &port, QWidget *parent = nullptr);

    TLEDLabel *ledRTS;
    TLEDLabel *ledDTR;

    void ledRTSClick();
    void ledDTRClick();

private:
    using LineCall = void (TCustomComPort::*)();
    void toggle(TLEDLabel *led, LineCall set, LineCall clear);

    TCustomComPort &m_port;
};
