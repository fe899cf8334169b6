// Start-up, the one-second tick and the exit.
#include "comport/portlist.h"
#include "mainwindow/comdialog.h"
#include "mainwindow/controls.h"
#include "mainwindow/form1.h"
#include "settings/regularfile.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QLineEdit>

namespace {
// Why the stored port is not taken: missing, not permitted (with what to do
// about it), in use by another program, no serial port, or the console.
QString startPortMessage(const QString &name, const PortStatus &status)
{
    switch (status.state) {
    case PortState::Missing:
        return QStringLiteral("Achtung %1 ist nicht verfügbar!!").arg(name);
    case PortState::NoPermission:
        return QStringLiteral("Achtung %1 darf nicht geöffnet werden!!\n\n%2").arg(name, portAdvice(name, status));
    case PortState::Busy:
        return QStringLiteral("Achtung %1 ist bereits belegt!!").arg(name);
    case PortState::Free:
        return systemConsoleWarning(name);
    case PortState::NotSerial:
    case PortState::Folder:
    case PortState::Failed:
        break;
    }
    return QStringLiteral("Achtung %1 lässt sich nicht öffnen: %2!!").arg(name, portStatusText(status));
}

// The dialog's first choice in place of the console: the first other port.
QString firstPortButConsole()
{
    for (const SerialPortEntry &port : PresentSerialPorts())
        if (!port.console.value_or(false))
            return port.name;
    return {};
}
}  // namespace

void TForm1::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { LoadSettings(); });
    connectionChoice();
    if (m_terminated)
        return;
    openStartLink();
    ShowConnection();
}

void TForm1::LoadSettings()
{
    const ProgramSettings settings = ProgramSettings::load(TIniFile(m_settingsPath));
    station.options.setF4Index(settings.FW);
    openDialog.FilterIndex = settings.Filter;
    openDialog.FileName = settings.Name;
    station.Comm1.SetDeviceName(settings.COM);
    m_commDialog->EditPort->setText(settings.Port);
    // Any value but 0 means TCP; the link knows only 1.
    if (settings.Ethernet != 0)
        station.link.useTcp();
    else
        station.link.useSerialPort();
    m_commDialog->EthernetConfirmed = station.link.TcpMode;
    m_commDialog->EditIP->setText(settings.IP);
    RecordFolder = settings.Ordner;
    // Said once, here: the exit must not wait on a box.
    m_settingsWriteProtected = isWriteProtected(m_settingsPath);
    if (m_settingsWriteProtected)
        station.ui.showMessage(QStringLiteral("Die Einstellungsdatei %1 ist schreibgeschützt.\n"
                                              "Geänderte Einstellungen werden beim Beenden nicht gespeichert.")
                                   .arg(QDir::toNativeSeparators(m_settingsPath)));
}

void TForm1::connectionChoice()
{
    // The console is opened only once the user has chosen it in the dialog.
    bool chosen = false;
    for (;;) {
        if (station.link.TcpMode)
            return;
        const QString name = station.Comm1.DeviceName();
        const PortStatus status = portStatus(name);
        const bool console = !chosen && isSystemConsole(name);
        if (status.state == PortState::Free && !console)
            return;
        // The reason is given whatever the number of ports: a dialog that
        // opens unasked leaves the user guessing.
        station.ui.showMessage(startPortMessage(name, status));
        presetDialogFromPort();
        if (console)
            m_commDialog->cbName->setEditText(firstPortButConsole());
        if (m_commDialog->exec() == QDialog::Accepted) {
            chosen = true;
            if (m_commDialog->EthernetConfirmed) {
                station.link.useTcp();
                guarded([this] { takeTcpChoice(); });
            } else {
                station.link.useSerialPort();
                guarded([this] { takeSerialChoice(); });
            }
        } else if (station.ui.askYesNo(QStringLiteral("So nicht mein Freund! ;-))\nDu solltest eine freie Schnittstelle "
                                              "auswählen!\n\nSoll dieses tolle Programm etwa beendet werden?"))) {
            terminate();
            return;
        }
    }
}

void TForm1::openStartLink()
{
    if (station.link.TcpMode) {
        station.ui.setLinkColour(LinkColour::Disconnected);
        // Locked first: a port text that is no number ends the path, and the
        // modem panel is no use over TCP either way.
        setModemControlsEnabled(false);
        guarded([this] {
            takeTcpChoice();
            station.link.connectSoon();
        });
        return;
    }
    guarded([this] {
        station.Comm1.Open();
        // Whatever the dialog chose, the device talks 9600 8E1 at start.
        station.Comm1.SetBaudRate(br9600);
        station.Comm1.SetParity(paEven);
        station.Comm1.SetDataBits(db8);
    });
    station.link.SavedBaudRate = br9600;
}

void TForm1::SetTcpTarget() { station.link.setTcpTarget(TcpTarget::fromText(m_commDialog->EditIP->text())); }

void TForm1::takeTcpChoice()
{
    SetTcpTarget();
    const int port = StrToInt(m_commDialog->EditPort->text());
    if (port < 0 || port > 65535)
        throw std::runtime_error(QStringLiteral("'%1' ist keine gültige Portnummer.").arg(port).toStdString());
    station.link.setTcpPort(quint16(port));
}

void TForm1::Timer3Timer()
{
    if (station.ui.exitRequested() && !m_exitPerformed && !station.upload.running() && m_operations == 0) {
        performExit();
        return;
    }
    station.link.Timer3Tick();
}

void TForm1::smCloseClick()
{
    // The device programs its flash by itself now; the run must see it through.
    if (station.upload.running() && station.upload.UploadPhase == Phase::Programming)
        return;
    station.ui.setExitRequested();
    station.link.cancel();
    station.link.setFailed(false);
}

void TForm1::performExit()
{
    m_exitPerformed = true;
    SaveSettings();
    terminate();
}

void TForm1::SaveSettings()
{
    station.link.cancel();
    ProgramSettings settings;
    settings.Baujahr = station.options.edBaujahr.text;
    settings.FabNr = station.options.edFabNr.text;
    settings.FW = station.options.cbF4;
    settings.Filter = openDialog.FilterIndex;
    settings.Name = openDialog.FileName;
    settings.COM = station.Comm1.DeviceName();
    settings.Ethernet = station.link.TcpMode;
    settings.Port = m_commDialog->EditPort->text();
    settings.IP = m_commDialog->EditIP->text();
    TIniFile file(m_settingsPath);
    settings.save(file);
    if (!m_settingsWriteProtected && !file.UpdateFile())
        station.ui.showMessage(QStringLiteral("Die Einstellungen wurden nicht gespeichert!\n%1").arg(file.errorString()));

    guarded([this] {
        if (station.Comm1.Active())
            station.Comm1.Close();
    });
    station.link.disconnectTcp();
    // The image goes with the window at the very end: a handler that still
    // runs until then must not write into a released buffer.
}

void TForm1::terminate()
{
    m_terminated = true;
    // The window's close box only requests the exit; from here on every
    // window lets its close through, so nothing keeps the program alive.
    QApplication::closeAllWindows();
    emit programEnded();
}
