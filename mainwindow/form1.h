#pragma once
#include "image/fileload.h"
#include "mainwindow/guifrontend.h"
#include "station/station.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class FabPanel;
class HelpViewer;
class LauncherEntry;
class ProgressDisplay;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class TComForm;
class TCommDialog;
class TPwForm;

// The main window: the program's state, its controls and their handlers.
// The other windows are made after it and handed over with attach().
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const QString &settingsPath, QWidget *parent = nullptr);
    ~TForm1() override;

    void attach(TCommDialog *commDialog, TComForm *comForm, TPwForm *pwForm);
    void setHelpViewer(HelpViewer *viewer) { m_help = viewer; }

    // The program's state; the window adds the modem at its start.
    Station<GuiFrontend> station{*this};
    OpenDialog openDialog;
    int FlowControlChoice = 0;
    QString RecordFolder;  // settings [Protokoll] Ordner: one upload record per run

    // Start-up, once the window is first shown.
    void FormShow();
    void LoadSettings();
    // Loads a firmware file given at start, as "Öffnen" would.
    void openAtStart(const QString &path);
    // The one-second tick (Timer3): the exit, then the TCP link's duty.
    void Timer3Timer();
    void smCloseClick();
    void SaveSettings();
    // The program ended (exit step, installer start, or "end it" at start-up).
    bool terminated() const { return m_terminated; }

    // Handlers.
    void btOpenClick();
    void btKRVClick();
    void btUpdateClick();
    void btAbbruchClick();
    void btTimeClick();
    void btSetTimeClick();
    void smCommClick();
    void sbCommMouseDown(Qt::MouseButton button);
    void smHilfeClick();
    // The Orvabout library's windows.
    void smNewVersClick();
    void smAboutClick();
    void smOrvhomeClick();
    void btOpenMouseDown(Qt::MouseButton button);
    void ShowConnection();
    void SetTcpTarget();

    // Controls the handlers and tests reach by name.
    QWidget *SpeedBar;
    QWidget *pnFile;
    FabPanel *pnFab;
    QWidget *pnKRV;
    QWidget *pnModem;
    QLabel *StatusPanels[2];
    static constexpr int UploadBarWidth = 40;
    QProgressBar *pbUpload;  // on the status bar while an upload runs
    QToolButton *sbOpen, *sbUpdate, *sbAbbruch, *sbComm, *sbHilfe, *sbEnde;
    QPushButton *btOpen, *btUpdate, *btAbbruch, *btKRV, *btRuf, *btInit;
    QLabel *lbConv;

signals:
    // The program is to end now; its windows are closed already.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildSpeedBar();
    void buildMenus();
    void buildFilePanel();
    void buildKrvPanel();
    void buildModemPanel();
    void buildStatusBar();
    void wireHandlers();
    void wireModemPanel();
    void wireProgress();
    void FormCreate();
    // Runs a handler as the application's exception display would: an error
    // ends the handler with a message box; a port error already shown ends it silently.
    void guarded(const std::function<void()> &handler);
    // A device operation other than the upload; the exit waits for its end.
    void deviceOperation(const std::function<void()> &operation);
    void connectionChoice();
    void openStartLink();
    void setModemControlsEnabled(bool enabled);
    void performExit();
    void terminate();
    void presetDialogFromPort();
    void applyDialog();
    void takeSerialChoice();
    // SetTcpTarget and the client's port from the dialog.
    void takeTcpChoice();

    std::unique_ptr<LauncherEntry> m_launcher;
    ProgressDisplay *m_progress = nullptr;
    QString m_settingsPath;
    // The user's file grants no writing: it is left as it is at the exit.
    bool m_settingsWriteProtected = false;
    TCommDialog *m_commDialog = nullptr;
    TComForm *m_comForm = nullptr;
    HelpViewer *m_help = nullptr;
    int m_operations = 0;
    bool m_exitPerformed = false;
    bool m_terminated = false;
    bool m_shown = false;
};
