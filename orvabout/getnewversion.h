#pragma once
#include "orvabout/httpdownload.h"
#include "orvabout/orvabout_global.h"

#include <QDialog>

class QFileDialog;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TGetNewVers;
class TVersInfo;
enum class UpdateText;

// The download's progress hook: a cancel flag, a count of reports, and the
// progress line in the owning window's log.
struct UDLTFcallback {
    explicit UDLTFcallback(TGetNewVers &owner) : owner(owner) {}
    void reset() { cancel = false; count = 0; }
    // false ends the transfer.
    bool OnProgress(qint64 progress, qint64 progressMax);

    TGetNewVers &owner;
    bool cancel = false;
    int count = 0;
};

// The web-update window: compares the running program's file version with the
// update server's version file when it becomes active, downloads a newer
// installer and starts it. exec() gives ResultOK only after the installer was
// started; the caller then ends the program.
class ORVABOUT_EXPORT TGetNewVers : public QDialog
{
    Q_OBJECT
public:
    enum Result { ResultOK = 1, ResultCancel = 2 };
    enum StatusFlag : quint32 { Cancelled = 1u << 0, Succeeded = 1u << 1, ReadyToInstall = 1u << 2 };

    explicit TGetNewVers(QWidget *owner = nullptr);
    ~TGetNewVers() override;

    bool CanInstall = false;
    qint32 Language = 0;  // 0 German, any other value English

    static int VersInfoToInt(const QString &text);
    bool DownloadFile(const QString &url, const QString &localPath);

    void FormShow();
    void FormActivate();
    bool FormCloseQuery() const { return m_closeAllowed; }
    void btCloseClick();
    void btCancelClick();
    void btUpdateClick();

    QGroupBox *gbVersion;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *lbName;
    QLabel *lbAct;
    QLabel *lbDate;
    QLabel *lbNew;
    QLabel *lbNDate;
    QGroupBox *gbHistory;
    QPlainTextEdit *Memo1;
    QPushButton *btClose;
    QPushButton *btUpdate;
    QPushButton *btCancel;
    TVersInfo *VersInfo1;
    QFileDialog *SaveDialog;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    void reject() override;

private:
    friend struct UDLTFcallback;
    QString text(UpdateText role) const;
    void log(const QString &line);
    void replaceLastLine(const QString &line);
    // Where the installer goes; empty when the user gave no place and the
    // version file no usable name.
    QString chooseLocalPath();
    void reportDownload();
    // Runs a transfer with the window in its download state (cancel shown,
    // close refused) and logs why it failed; true when it succeeded.
    bool runTransfer(const std::function<bool(const HttpDownload::Progress &)> &transfer);

    QString m_localPath;
    quint32 m_status = 0;
    UDLTFcallback m_callback;
    HttpDownload *m_download;
    QString m_fileName;
    QString m_downloadUrl;
    QString m_sha256;
    bool m_closeAllowed = true;
    bool m_checkPending = false;
};
