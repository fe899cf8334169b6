#include "orvabout/getnewversion.h"

#include "orvabout/httpdownload.h"
#include "orvabout/installerfile.h"
#include "orvabout/installerstart.h"
#include "orvabout/updatecheck.h"
#include "orvabout/updatetexts.h"
#include "orvabout/versinfo.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

bool UDLTFcallback::OnProgress(qint64 progress, qint64 progressMax)
{
    if (cancel)
        return false;
    if (progressMax == 0)
        return true;
    const QString line = progressLine(progress, progressMax, owner.Language);
    if (count == 0) {
        owner.log(QString());
        owner.log(line);
    } else {
        owner.replaceLastLine(line);
    }
    ++count;
    return true;
}

TGetNewVers::TGetNewVers(QWidget *owner)
    : QDialog(owner), VersInfo1(new TVersInfo(this)), m_callback(*this), m_download(new HttpDownload)
{
    setObjectName(QStringLiteral("GetNewVers"));
    setWindowTitle(QStringLiteral("Orv Web-Update"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    gbVersion = new QGroupBox(QStringLiteral(" Version "), this);
    Label1 = new QLabel(gbVersion);
    Label2 = new QLabel(gbVersion);
    lbName = new QLabel(gbVersion);
    lbAct = new QLabel(gbVersion);
    lbDate = new QLabel(gbVersion);
    lbNew = new QLabel(gbVersion);
    lbNDate = new QLabel(gbVersion);
    QFont bold = lbName->font();
    bold.setBold(true);
    lbName->setFont(bold);
    auto *versions = new QGridLayout(gbVersion);
    versions->addWidget(lbName, 0, 0, 1, 3);
    versions->addWidget(Label1, 1, 0);
    versions->addWidget(lbAct, 1, 1);
    versions->addWidget(lbDate, 1, 2);
    versions->addWidget(Label2, 2, 0);
    versions->addWidget(lbNew, 2, 1);
    versions->addWidget(lbNDate, 2, 2);

    gbHistory = new QGroupBox(this);
    Memo1 = new QPlainTextEdit(gbHistory);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setMinimumSize(420, 160);
    auto *history = new QVBoxLayout(gbHistory);
    history->addWidget(Memo1);

    btClose = new QPushButton(this);
    btUpdate = new QPushButton(QStringLiteral("Download Update"), this);
    btCancel = new QPushButton(this);
    btUpdate->setEnabled(false);
    btCancel->setVisible(false);
    btUpdate->setAutoDefault(false);
    btCancel->setAutoDefault(false);
    btClose->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btUpdate);
    buttons->addWidget(btCancel);
    buttons->addStretch();
    buttons->addWidget(btClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(gbVersion);
    layout->addWidget(gbHistory);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    SaveDialog = new QFileDialog(this);
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog);

    connect(btClose, &QPushButton::clicked, this, &TGetNewVers::btCloseClick);
    connect(btCancel, &QPushButton::clicked, this, &TGetNewVers::btCancelClick);
    connect(btUpdate, &QPushButton::clicked, this, &TGetNewVers::btUpdateClick);
}

TGetNewVers::~TGetNewVers()
{
    delete m_download;
}

int TGetNewVers::VersInfoToInt(const QString &text)
{
    return versInfoToInt(text);
}

QString TGetNewVers::text(UpdateText role) const
{
    return updateText(role, Language);
}

void TGetNewVers::log(const QString &line)
{
    Memo1->appendPlainText(line);
}

void TGetNewVers::replaceLastLine(const QString &line)
{
    QTextCursor cursor(Memo1->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

bool TGetNewVers::event(QEvent *event)
{
    // Queued: the check waits for the network, which must not happen inside
    // the activation's delivery.
    if (event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, &TGetNewVers::FormActivate);
    return QDialog::event(event);
}

void TGetNewVers::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TGetNewVers::FormShow()
{
    m_closeAllowed = true;
    m_status = 0;
    Language = Language != 0 ? 1 : 0;
    Label1->setText(text(UpdateText::InstalledCaption));
    Label2->setText(text(UpdateText::LatestCaption));
    gbHistory->setTitle(text(UpdateText::HistoryCaption));
    btClose->setText(text(UpdateText::CloseCaption));
    btClose->setToolTip(text(UpdateText::CloseHint));
    btCancel->setText(text(UpdateText::CancelCaption));
    btCancel->setToolTip(text(UpdateText::CancelHint));
    btUpdate->setToolTip(text(UpdateText::UpdateHint));
    btUpdate->setEnabled(false);
    btUpdate->setText(QStringLiteral("Download Update"));
    btClose->setEnabled(false);
    lbName->setText(VersInfo1->InternalName());
    lbAct->setText(VersInfo1->FileVersion());
    lbDate->setText(VersInfo1->ProductVersion());
    lbNew->clear();
    lbNDate->clear();
    Memo1->clear();
    m_checkPending = true;
}

void TGetNewVers::FormActivate()
{
    // Once per showing: the window becomes active again after the save
    // dialog, in the middle of the installer's download.
    if (!m_checkPending)
        return;
    m_checkPending = false;

    const UpdateCheckResult result = UpdateCheck::run(
        VersInfo1->FileVersion(), VersInfo1->InternalName(), updateBaseUrl(),
        [this](UpdateText line) { log(text(line)); },
        [this](const QUrl &url) {
            std::optional<QByteArray> text;
            runTransfer([&](const HttpDownload::Progress &progress) {
                text = m_download->fetch(url, HttpDownload::VersionFileLimits, progress);
                return text.has_value();
            });
            return text;
        });
    if (result.outcome == UpdateOutcome::Unreachable) {
        btClose->setEnabled(true);
        return;
    }
    lbNew->setText(result.entry.version);
    if (result.outcome == UpdateOutcome::Unknown)
        return;
    lbNDate->setText(result.entry.date);
    btClose->setEnabled(true);
    if (result.outcome == UpdateOutcome::Newer && UpdatesByPackageManager) {
        log(text(UpdateText::PackageManagerUpdates));
    } else if (result.outcome == UpdateOutcome::Newer) {
        m_downloadUrl = result.entry.downloadUrl;
        m_fileName = result.entry.fileName;
        m_sha256 = result.entry.sha256;
        btUpdate->setEnabled(true);
    }
}

bool TGetNewVers::runTransfer(const std::function<bool(const HttpDownload::Progress &)> &transfer)
{
    m_closeAllowed = false;
    btCancel->setVisible(true);
    m_status = 0;
    btClose->setEnabled(false);
    m_callback.reset();
    log(text(UpdateText::DownloadStarting));

    const bool ok = transfer([this](qint64 received, qint64 total) { return m_callback.OnProgress(received, total); });

    btCancel->setVisible(false);
    btClose->setEnabled(true);
    m_closeAllowed = true;
    if (m_status & Cancelled)
        return false;
    if (!ok) {
        log(m_download->errorString());
        return false;
    }
    m_status |= Succeeded;
    return true;
}

bool TGetNewVers::DownloadFile(const QString &url, const QString &localPath)
{
    // A failed download leaves a file that was at localPath as it was.
    return runTransfer([&](const HttpDownload::Progress &progress) {
        return m_download->run(QUrl(url), localPath, HttpDownload::InstallerLimits, progress, m_sha256);
    });
}

void TGetNewVers::btCloseClick()
{
    done(ResultCancel);
}

void TGetNewVers::btCancelClick()
{
    m_callback.cancel = true;
    m_status |= Cancelled;
    // Without this a stalled server would keep the window until the time-out.
    m_download->abort();
}

QString TGetNewVers::chooseLocalPath()
{
    const QString name = safeInstallerName(m_fileName);
    SaveDialog->selectFile(name);
    if (SaveDialog->exec() == QDialog::Accepted && !SaveDialog->selectedFiles().isEmpty())
        return SaveDialog->selectedFiles().constFirst();
    return name.isEmpty() ? QString() : QDir::current().filePath(name);
}

void TGetNewVers::btUpdateClick()
{
    if (m_status & ReadyToInstall) {
        if (!startInstaller(m_localPath)) {
            log(text(UpdateText::InstallerNotStarted));
            return;
        }
        done(ResultOK);
        return;
    }
    btUpdate->setEnabled(false);
    m_localPath = chooseLocalPath();
    if (m_localPath.isEmpty()) {
        log(text(UpdateText::BadFileName));
        return;
    }
    DownloadFile(m_downloadUrl, m_localPath);
    reportDownload();
}

void TGetNewVers::reportDownload()
{
    if (m_status & Cancelled) {
        log(text(UpdateText::Cancelled));
        return;
    }
    if (!(m_status & Succeeded)) {
        log(text(UpdateText::DownloadFailed));
        return;
    }
    log(m_localPath);
    if (!QFileInfo::exists(m_localPath)) {
        log(text(UpdateText::NotSaved));
        return;
    }
    log(text(UpdateText::Saved));
    if (!CanInstall) {
        log(text(UpdateText::EndProgramToInstall));
        return;
    }
    log(text(UpdateText::ReadyToInstall));
    btUpdate->setText(text(UpdateText::InstallCaption));
    btUpdate->setEnabled(true);
    m_status |= ReadyToInstall;
}

void TGetNewVers::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TGetNewVers::reject()
{
    // Escape and the title bar's close button end here too.
    if (FormCloseQuery())
        QDialog::reject();
}
