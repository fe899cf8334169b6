#include "mainwindow/form1.h"

#include "upload/recordedupload.h"

#include "comport/eabort.h"
#include "image/binsave.h"
#include "device/deviceclock.h"
#include "device/readout.h"
#include "mainwindow/comdialog.h"
#include "mainwindow/controls.h"
#include "mainwindow/formcom.h"
#include "mainwindow/formpw.h"
#include "mainwindow/helpviewer.h"
#include "mainwindow/launcherentry.h"
#include "mainwindow/pnfab.h"
#include "mainwindow/progressdisplay.h"
#include "mainwindow/speedbuttonicon.h"
#include "station/recordlinkof.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>

TForm1::TForm1(const QString &settingsPath, QWidget *parent) : QMainWindow(parent), m_settingsPath(settingsPath)
{
    station.addModem();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(applicationTitle());
    setWindowIcon(::windowIcon());
    // A fixed window: close box, system menu and minimise only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setHelpContext(this, 1);

    auto *client = new QWidget(this);
    client->setObjectName(controlName(Control::ClientArea));
    client->setFixedSize(470, 500);
    client->installEventFilter(this);
    setCentralWidget(client);
    buildSpeedBar();
    buildFilePanel();
    pnFab = new FabPanel(station.options, client);
    pnFab->move(0, 108);
    pnFab->setAttribute(Qt::WA_NoMousePropagation);
    buildKrvPanel();
    buildModemPanel();
    buildStatusBar();
    buildMenus();
    setFixedSize(sizeHint());

    FormCreate();
    wireHandlers();
    wireProgress();
    station.ui.attach(StatusPanels[0], StatusPanels[1]);
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

void TForm1::attach(TCommDialog *commDialog, TComForm *comForm, TPwForm *pwForm)
{
    m_commDialog = commDialog;
    m_comForm = comForm;
    station.ui.setPasswordDialog(pwForm);
}

void TForm1::FormCreate()
{
    // The factory data start empty and locked; the options model starts so.
    station.device.DeviceInfoRead = false;
    station.link.ModemConnected = false;
    station.serial.LineErrorMessages = false;
}

void TForm1::wireHandlers()
{
    const auto onClick = [this](QAbstractButton *b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    const auto onAction = [this](Control name, void (TForm1::*handler)()) {
        QAction *a = findChild<QAction *>(controlName(name));
        connect(a, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick(btOpen, &TForm1::btOpenClick);
    onClick(sbOpen, &TForm1::btOpenClick);
    onAction(Control::smOpen, &TForm1::btOpenClick);
    onClick(btUpdate, &TForm1::btUpdateClick);
    onClick(sbUpdate, &TForm1::btUpdateClick);
    onAction(Control::smUpdate, &TForm1::btUpdateClick);
    onClick(btAbbruch, &TForm1::btAbbruchClick);
    onClick(sbAbbruch, &TForm1::btAbbruchClick);
    onAction(Control::smAbbruch, &TForm1::btAbbruchClick);
    onClick(btKRV, &TForm1::btKRVClick);
    onClick(pnFab->btTime, &TForm1::btTimeClick);
    onClick(pnFab->btSetTime, &TForm1::btSetTimeClick);
    onClick(sbComm, &TForm1::smCommClick);
    onAction(Control::smComm, &TForm1::smCommClick);
    onClick(sbHilfe, &TForm1::smHilfeClick);
    onAction(Control::smHilfe, &TForm1::smHilfeClick);
    onClick(sbEnde, &TForm1::smCloseClick);
    onAction(Control::smClose, &TForm1::smCloseClick);
    onAction(Control::smNewVers, &TForm1::smNewVersClick);
    onAction(Control::smAbout, &TForm1::smAboutClick);
    onAction(Control::smOrvhome, &TForm1::smOrvhomeClick);

    wireModemPanel();

    sbComm->installEventFilter(this);
    btOpen->installEventFilter(this);
    lbConv->installEventFilter(this);
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        if (m_help)
            m_help->showTopic(helpContextOf(QApplication::focusWidget() ? QApplication::focusWidget() : this));
    });

    // Timer3 does the exit before the TCP link's duty.
    QObject::disconnect(&station.link.Timer3, &QTimer::timeout, &station.link, &Link::Timer3Tick);
    connect(&station.link.Timer3, &QTimer::timeout, this, [this] { guarded([this] { Timer3Timer(); }); });
}

void TForm1::wireModemPanel()
{
    auto *edRuf = pnModem->findChild<QLineEdit *>(controlName(Control::edRuf));
    auto *edInit = pnModem->findChild<QLineEdit *>(controlName(Control::edInit));
    // A number starting with "N" is none; an overlong one the click refuses.
    connect(edRuf, &QLineEdit::textChanged, this, [this](const QString &text) {
        station.modem->edRufChange(text);
        station.ui.setEnabled(Control::btRuf, !text.isEmpty() && !text.startsWith(QLatin1Char('N'), Qt::CaseInsensitive));
    });
    connect(edInit, &QLineEdit::textChanged, this,
            [this](const QString &text) { station.ui.setEnabled(Control::btInit, !text.isEmpty()); });
    // A dial is a device conversation: no readout or clock inside its wait,
    // and the exit waits for its end. The initialisation may run inside it.
    connect(btRuf, &QAbstractButton::clicked, this,
            [this] { guarded([this] { deviceOperation([this] { station.modem->btRufClick(); }); }); });
    connect(btInit, &QAbstractButton::clicked, this,
            [this, edInit] { guarded([this, edInit] { station.modem->btInitClick(edInit->text()); }); });
    station.upload.hangUp = [this] { station.modem->HangUp(); };
}

void TForm1::wireProgress()
{
    m_launcher = std::make_unique<LauncherEntry>(*this);
    m_progress = new ProgressDisplay(*pbUpload, *m_launcher, this);
    station.upload.progress = [this](const TransferProgress &progress) { m_progress->take(progress); };
}

void TForm1::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EAbort &) {
        // A port error the port's handler has shown already.
    } catch (const EComError &e) {
        QMessageBox::critical(this, applicationTitle(), e.message());
    } catch (const std::exception &e) {
        QMessageBox::critical(this, applicationTitle(), QString::fromUtf8(e.what()));
    }
}

void TForm1::deviceOperation(const std::function<void()> &operation)
{
    // One device conversation at a time: a second one started from inside
    // the first one's wait would read the first one's answers. After the
    // exit request none begins: it would clear the cancel and hold the exit.
    if (m_operations > 0 || station.upload.running() || station.ui.exitRequested())
        return;
    ++m_operations;
    try {
        operation();
    } catch (...) {
        --m_operations;
        throw;
    }
    --m_operations;
}

void TForm1::btOpenClick() { ::btOpenClick(station.ctx, openDialog); }

void TForm1::btKRVClick()
{
    deviceOperation([this] { ReadDeviceInfo(station.ctx); });
}

void TForm1::btTimeClick()
{
    deviceOperation([this] { readDeviceClock(station.ctx); });
}

void TForm1::btSetTimeClick()
{
    deviceOperation([this] { setDeviceClock(station.ctx, QDateTime::currentDateTime()); });
}

void TForm1::btUpdateClick()
{
    if (m_operations != 0 || station.ui.exitRequested())
        return;
    // A port error ends the run by an exception: the bar goes all the same.
    const auto hideProgress = qScopeGuard([this] { m_progress->end(); });
    runWindowUpload(station.upload, station.ctx, RecordFolder, recordLinkOf(station), QCoreApplication::applicationVersion());
}

void TForm1::btAbbruchClick() { station.upload.btAbbruchClick(); }

void TForm1::smHilfeClick()
{
    if (m_help)
        m_help->showFinder();
}

bool TForm1::event(QEvent *event)
{
    // ShowStatusHint: the status part of the hint under the mouse goes to panel 0.
    if (event->type() == QEvent::StatusTip) {
        station.ui.setStatus(0, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (watched == lbConv)
            guarded([this, button] { lbConvMouseDown(station.ui, station.image, button); });
        else if (watched == sbComm)
            sbCommMouseDown(button);
        else if (watched == btOpen) {
            btOpenMouseDown(button);
            if (button == Qt::RightButton)
                return true;  // the About box only, no file dialog
        }
        else if (watched == centralWidget() && button == Qt::RightButton && m_help)
            m_help->showContents();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_terminated)
        return;
    event->ignore();
    smCloseClick();
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (btOpen->isEnabled() && urls.size() == 1 && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!btOpen->isEnabled() || urls.size() != 1 || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    openDialog.FileName = urls.constFirst().toLocalFile();
    guarded([this] { loadFirmwareFile(station.ui, station.image, openDialog.FileName); });
}
