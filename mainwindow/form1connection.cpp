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
    m_commDialog->cbName->setEditText(Comm1.DeviceName());
    presetList(m_commDialog->cbBaud, Comm1.BaudRate());
    presetList(m_commDialog->cbParity, Comm1.Parity());
    presetList(m_commDialog->cbBit, Comm1.DataBits());
    presetList(m_commDialog->cbStop, Comm1.StopBits());
}

void TForm1::setModemControlsEnabled(bool enabled)
{
    for (const char *name : {"btInit", "edInit", "btRuf", "edRuf"})
        ui.setEnabled(QString::fromLatin1(name), enabled);
}

void TForm1::smCommClick()
{
    if (!upload.running()) {
        TCommDialog &dialog = *m_commDialog;
        presetDialogFromPort();
        dialog.cbFlow->setCurrentIndex(FlowControlChoice);
        dialog.edRbuf->setText(QString::number(Comm1.BufferSizes().Input()));
        dialog.edTbuf->setText(QString::number(Comm1.BufferSizes().Output()));
        dialog.EthernetConfirmed = link.TcpMode;

        link.TcpConnected = false;
        link.TcpLinkState = 0;
        link.TcpConnectCountdown = 0;
        if (link.TcpMode) {
            link.Client.abort();
            dialog.cbName->setEditText(TCommDialog::TcpClientItem);
        } else {
            Comm1.Close();
        }
        ui.setLinkColour(LinkColour::Normal);

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
        if (link.TcpMode) {
            setModemControlsEnabled(false);
            ui.setLinkColour(LinkColour::Disconnected);
            link.TcpLinkState = 10;
        } else {
            setModemControlsEnabled(true);
            Comm1.Open();
        }
    }
    ShowConnection();
}

void TForm1::applyDialog()
{
    TCommDialog &dialog = *m_commDialog;
    link.TcpMode = dialog.EthernetConfirmed ? 1 : 0;
    link.TcpPending.clear();
    link.TcpLinkState = 0;
    if (link.TcpMode) {
        takeTcpChoice();
        link.TcpConnected = false;
        link.TcpConnectCountdown = 0;
        return;
    }
    ui.setLinkColour(LinkColour::Normal);
    takeSerialChoice();
    Comm1.BufferSizes().SetInput(StrToInt(dialog.edRbuf->text()));
    Comm1.BufferSizes().SetOutput(StrToInt(dialog.edTbuf->text()));
    if (dialog.cbFlow->currentIndex() >= 0)
        FlowControlChoice = dialog.cbFlow->currentIndex();
    ApplyFlowControl(Comm1, FlowControlChoice);
}

void TForm1::takeSerialChoice()
{
    // A typed entry that is in no list keeps the port's value.
    const TCommDialog &dialog = *m_commDialog;
    Comm1.SetDeviceName(dialog.cbName->currentText());
    if (dialog.cbBaud->currentIndex() >= 0) {
        link.SavedBaudRate = dialog.cbBaud->currentIndex();
        Comm1.SetBaudRate(TBaudRate(dialog.cbBaud->currentIndex()));
    }
    if (dialog.cbParity->currentIndex() >= 0)
        Comm1.SetParity(TParity(dialog.cbParity->currentIndex()));
    if (dialog.cbBit->currentIndex() >= 0)
        Comm1.SetDataBits(TDataBits(dialog.cbBit->currentIndex()));
    if (dialog.cbStop->currentIndex() >= 0)
        Comm1.SetStopBits(TStopBits(dialog.cbStop->currentIndex()));
}

void TForm1::sbCommMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton && !link.TcpMode && m_comForm)
        m_comForm->show();
}

void TForm1::ShowConnection()
{
    QString text = applicationTitle() + QStringLiteral(" - ");
    if (link.TcpMode) {
        text += QStringLiteral("Client %1:%2").arg(link.tcpTarget().address).arg(link.tcpPort());
    } else {
        text += QStringList{Comm1.DeviceName(), itemAt(TCommDialog::BaudItems, Comm1.BaudRate()),
                            itemAt(TCommDialog::BitItems, Comm1.DataBits()),
                            itemAt(TCommDialog::StopItems, Comm1.StopBits()),
                            itemAt(TCommDialog::ParityItems, Comm1.Parity())}
                    .join(QLatin1Char(' '));
    }
    setWindowTitle(text);
}
