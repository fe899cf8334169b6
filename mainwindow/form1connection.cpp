// The interface dialog's command, the signal window and the window caption.
#include "comport/flowcontrolchoice.h"
#include "mainwindow/comdialog.h"
#include "mainwindow/controls.h"
#include "mainwindow/form1.h"
#include "mainwindow/formcom.h"
#include "widgets/advedit.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
QString itemAt(const QStringList &items, int value) { return items.value(value); }

void presetList(QComboBox *list, int value)
{
    list->setCurrentIndex(value);
    list->setEditText(list->itemText(value));
}
}  // namespace

void TForm1::presetDialogFromPort()
{
    m_commDialog->cbName->setEditText(station.Comm1.DeviceName());
    presetList(m_commDialog->cbBaud, station.Comm1.BaudRate());
    presetList(m_commDialog->cbParity, station.Comm1.Parity());
    presetList(m_commDialog->cbBit, station.Comm1.DataBits());
    presetList(m_commDialog->cbStop, station.Comm1.StopBits());
}

void TForm1::setModemControlsEnabled(bool enabled)
{
    static constexpr Control kModemControls[] = {Control::btInit, Control::edInit, Control::btRuf, Control::edRuf};
    station.ui.setEnabled(kModemControls, enabled);
}

void TForm1::smCommClick()
{
    // Not under a running device conversation or an established call:
    // closing the port would cut it off.
    if (!station.upload.running() && m_operations == 0 && !station.link.ModemConnected) {
        TCommDialog &dialog = *m_commDialog;
        presetDialogFromPort();
        dialog.cbFlow->setCurrentIndex(FlowControlChoice);
        dialog.edRbuf->setText(QString::number(station.Comm1.BufferSizes().Input()));
        dialog.edTbuf->setText(QString::number(station.Comm1.BufferSizes().Output()));
        dialog.EthernetConfirmed = station.link.TcpMode;

        station.link.disconnectTcp();
        if (station.link.TcpMode)
            dialog.cbName->setEditText(TCommDialog::TcpClientItem);
        else
            station.Comm1.Close();
        station.ui.setLinkColour(LinkColour::Normal);

        const bool confirmed = dialog.exec() == QDialog::Accepted;
        try {
            if (confirmed)
                applyDialog();
        } catch (...) {
            // A typed number that is no number ends the command here: the
            // link stays closed until the dialog is confirmed with valid ones.
            ShowConnection();
            throw;
        }
        if (station.link.TcpMode) {
            setModemControlsEnabled(false);
            station.ui.setLinkColour(LinkColour::Disconnected);
            station.link.connectSoon();
        } else {
            setModemControlsEnabled(true);
            station.Comm1.Open();
        }
    }
    ShowConnection();
}

void TForm1::applyDialog()
{
    TCommDialog &dialog = *m_commDialog;
    if (dialog.EthernetConfirmed) {
        station.link.useTcp();
        takeTcpChoice();
        return;
    }
    station.link.useSerialPort();
    station.ui.setLinkColour(LinkColour::Normal);
    takeSerialChoice();
    station.Comm1.BufferSizes().SetInput(StrToInt(dialog.edRbuf->text()));
    station.Comm1.BufferSizes().SetOutput(StrToInt(dialog.edTbuf->text()));
    if (const int flow = TCommDialog::listIndex(dialog.cbFlow); flow >= 0)
        FlowControlChoice = flow;
    ApplyFlowControl(station.Comm1, FlowControlChoice);
}

void TForm1::takeSerialChoice()
{
    // A typed entry that is in no list keeps the port's value.
    const TCommDialog &dialog = *m_commDialog;
    station.Comm1.SetDeviceName(dialog.cbName->currentText());
    if (const int baud = TCommDialog::listIndex(dialog.cbBaud); baud >= 0) {
        station.link.SavedBaudRate = TBaudRate(baud);
        station.Comm1.SetBaudRate(TBaudRate(baud));
    }
    if (const int parity = TCommDialog::listIndex(dialog.cbParity); parity >= 0)
        station.Comm1.SetParity(TParity(parity));
    if (const int bits = TCommDialog::listIndex(dialog.cbBit); bits >= 0)
        station.Comm1.SetDataBits(TDataBits(bits));
    if (const int stop = TCommDialog::listIndex(dialog.cbStop); stop >= 0)
        station.Comm1.SetStopBits(TStopBits(stop));
}

void TForm1::sbCommMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton && !station.link.TcpMode && m_comForm)
        m_comForm->show();
}

void TForm1::ShowConnection()
{
    QString text = applicationTitle() + QStringLiteral(" - ");
    if (station.link.TcpMode) {
        text += QStringLiteral("Client %1:%2").arg(station.link.tcpTarget().address).arg(station.link.tcpPort());
    } else {
        text += QStringList{station.Comm1.DeviceName(), itemAt(TCommDialog::BaudItems, station.Comm1.BaudRate()),
                            itemAt(TCommDialog::BitItems, station.Comm1.DataBits()),
                            itemAt(TCommDialog::StopItems, station.Comm1.StopBits()),
                            itemAt(TCommDialog::ParityItems, station.Comm1.Parity())}
                    .join(QLatin1Char(' '));
    }
    setWindowTitle(text);
}
