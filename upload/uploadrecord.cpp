#include "upload/uploadrecord.h"

#include "image/firmwareimage.h"
#include "image/imagefacts.h"
#include "frontend/context.h"
#include "device/devicedescription.h"
#include "frontend/frontend.h"
#include "link/link.h"
#include "options/optionsmodel.h"
#include "settings/regularfile.h"
#include "upload/upload.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr char kRecordKind[] = "quillon-upload";
constexpr qint64 kMaxRecordBytes = 1 << 20;  // far above any record

QJsonValue textOrNull(const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

QJsonObject timeOf(const QDateTime &local)
{
    return {{"local", local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs)},
            {"utc", local.toUTC().toString(Qt::ISODateWithMs)}};
}

// The file as it lies on disk now, bounded like the loader: no firmware file
// reaches the image buffer's size.
QString sha256OfFile(const QString &path, qint64 &size)
{
    QFile file;
    if (path.isEmpty() || !openRegularFile(file, path).isEmpty())
        return {};
    const QByteArray bytes = file.read(FirmwareImage::BufferSize + 1);
    if (bytes.size() > FirmwareImage::BufferSize || file.error() != QFileDevice::NoError)
        return {};
    size = bytes.size();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QJsonValue linkJson(const RecordLink &link)
{
    QJsonObject o{{"kind", link.kind}};
    if (link.kind == QLatin1String("tcp")) {
        o.insert("host", link.host);
        o.insert("port", link.port);
    } else {
        o.insert("device", link.device);
        o.insert("baud", link.baud);
        if (link.kind == QLatin1String("modem"))
            o.insert("number", link.number);
    }
    return o;
}

QJsonValue deviceJson(const DeviceDescription &d)
{
    if (!d.DeviceInfoRead)
        return {};
    const QJsonValue kind = d.DeviceKind == KrvModel::None ? QJsonValue() : QJsonValue(deviceKindName(d.DeviceKind));
    return QJsonObject{{"kind", kind},
                       {"version", textOrNull(d.VersionText.trimmed())},
                       {"buildDate", d.DeviceFwDate ? QJsonValue(d.DeviceFwDate) : QJsonValue()},
                       {"fabNr", textOrNull(d.FabNr)},
                       {"baujahr", textOrNull(d.Baujahr)},
                       {"flashClass", flashClassNumber(d.FlashClass)}};
}

QJsonValue factoryDataJson(const FirmwareImage &image, const OptionsModel &panel)
{
    const QByteArray block(reinterpret_cast<const char *>(image.ImageBuffer.data()) + image.InfoBlockOffset(),
                           FirmwareImage::InfoBlockSize);
    // The boxes whose state goes into the factory data.
    QJsonObject options;
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.factory.kind != FactoryField::None)
            options.insert(QLatin1String(entry.name), panel.box(entry.box).checked());
    }
    const int f4 = panel.cbF4;
    return QJsonObject{{"bytes", QString::fromLatin1(block.toHex())},
                       {"fabNr", panel.edFabNr.text},
                       {"baujahr", panel.edBaujahr.text},
                       {"f4", f4},
                       {"f4Text", f4 >= 0 && f4 < OptionsModel::F4Items.size() ? QJsonValue(OptionsModel::F4Items.at(f4)) : QJsonValue()},
                       {"options", options}};
}

QJsonValue verificationJson(const std::optional<FlashVerify::Result> &v)
{
    if (!v)
        return {};
    const bool read = v->status == FlashVerify::Status::Verified || v->status == FlashVerify::Status::Mismatch;
    return QJsonObject{{"status", QLatin1String(FlashVerify::statusName(v->status))},
                       {"version", read ? QJsonValue(v->device.version.trimmed()) : QJsonValue()},
                       {"buildDate", read ? QJsonValue(v->device.date) : QJsonValue()},
                       {"differences", QJsonArray::fromStringList(v->differences)},
                       {"elapsedMs", v->elapsedMs},
                       {"text", v->text}};
}
}

UploadRecorder::UploadRecorder(const Context &ctx, const Upload &upload, QString program, QString version)
    : m_ctx(ctx), m_upload(upload), m_program(std::move(program)), m_version(std::move(version))
{
}

void UploadRecorder::begin()
{
    m_started = QDateTime::currentDateTime();
    m_clock.start();
    m_fileName = m_ctx.image.fileName;
    m_fileSize = -1;
    m_fileSha256 = sha256OfFile(m_fileName, m_fileSize);
    m_onlyFabdata = m_ctx.ui.options().cbOnlyFabdata.checked();
    m_verification.reset();
}

void UploadRecorder::end()
{
    m_ended = QDateTime::currentDateTime();
    m_durationMs = m_clock.elapsed();
    m_note = m_upload.note();
}

RecordOutcome UploadRecorder::outcomeOf(const Upload &upload)
{
    const char *result = "failed";
    switch (upload.outcome) {
    case Upload::Outcome::Ok: result = "ok"; break;
    case Upload::Outcome::Cancelled: result = "cancelled"; break;
    case Upload::Outcome::Refused: result = "refused"; break;
    case Upload::Outcome::SwitchClosed: result = "switch-closed"; break;
    case Upload::Outcome::ImageRejected: result = "image-rejected"; break;
    case Upload::Outcome::Failed:
    case Upload::Outcome::None: break;
    }
    return {QLatin1String(result), upload.UploadPhase, upload.resultMessage, upload.recordCounters};
}

QByteArray UploadRecorder::json(const RecordLink &link, const RecordOutcome &outcome) const
{
    const FirmwareImage &image = m_ctx.image;
    // The factory data go into the image before the switch is asked; records
    // went out once the transfer began.
    const bool prepared = m_upload.UploadPhase >= Phase::FactoryData && image.hasInfoBlock();
    QJsonValue imageSent;
    if (prepared) {
        const QByteArray bytes(reinterpret_cast<const char *>(image.ImageBuffer.data()), image.ImageSize);
        imageSent = QJsonObject{{"sha256", QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())},
                                {"size", image.ImageSize},
                                {"onlyFabdata", m_onlyFabdata},
                                {"sent", m_upload.UploadPhase >= Phase::Transfer}};
    }
    // The checks ran once the upload got past its image test.
    QJsonValue preCheck;
    if (m_upload.outcome != Upload::Outcome::None && m_upload.outcome != Upload::Outcome::ImageRejected) {
        const PreCheckResult &check = m_upload.preCheck;
        const std::optional<bool> &ended = m_upload.preCheckEnded;
        preCheck = QJsonObject{{"code", phaseNumber(check.code)},
                               {"message", textOrNull(check.message)},
                               {"question", ended ? QJsonValue(Upload::preCheckQuestion(check.message)) : QJsonValue()},
                               {"answer", ended ? QJsonValue(*ended ? "Ja" : "Nein") : QJsonValue()}};
    }

    const TransferCounters &c = outcome.counters;
    const QJsonObject record{
        {"record", kRecordKind},
        {"recordVersion", 1},
        {"program", QJsonObject{{"name", m_program}, {"version", m_version}}},
        {"started", timeOf(m_started)},
        {"ended", timeOf(m_ended)},
        {"durationMs", m_durationMs},
        {"link", linkJson(link)},
        {"deviceBefore", deviceJson(m_ctx.device)},
        {"file", QJsonObject{{"name", m_fileName},
                             {"size", m_fileSize >= 0 ? QJsonValue(m_fileSize) : QJsonValue()},
                             {"sha256", textOrNull(m_fileSha256)},
                             {"identification", identificationText(image)},
                             {"firmwareDate", image.FileFwDate},
                             {"deviceKind", krvModelNumber(image.FileDeviceKind)}}},
        {"imageSent", imageSent},
        {"factoryData", prepared ? factoryDataJson(image, m_ctx.ui.options()) : QJsonValue()},
        {"preCheck", preCheck},
        {"result", outcome.result},
        {"UploadPhase", phaseNumber(outcome.uploadPhase)},
        {"message", outcome.message},
        {"note", textOrNull(m_note)},
        {"counters", QJsonObject{{"repeats", c.repeats}, {"address", c.addressRecords}, {"data", c.dataRecords}}},
        {"verification", verificationJson(m_verification)},
    };
    return QJsonDocument(record).toJson(QJsonDocument::Indented);
}

QString newRecordPath(const QString &folder, const QDateTime &startedUtc)
{
    // Time and process make the name unique among parallel runs; the counter
    // among the runs of one process.
    const QString stem = QStringLiteral("quillon-%1-%2").arg(startedUtc.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                             .arg(QCoreApplication::applicationPid());
    QString path = QDir(folder).filePath(stem + QStringLiteral(".json"));
    for (int n = 2; !writeTargetProblem(path, Replace::Nothing).isEmpty(); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1-%2.json").arg(stem).arg(n));
    return path;
}

QString recordFolderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("Ordner %1 gibt es nicht").arg(QDir::toNativeSeparators(folder));
    if (!info.isDir())
        return QStringLiteral("%1 ist kein Ordner").arg(QDir::toNativeSeparators(folder));
    if (!info.isWritable())
        return QStringLiteral("Ordner %1 ist nicht beschreibbar").arg(QDir::toNativeSeparators(folder));
    return {};
}

bool isEarlierRecord(const QString &path)
{
    QFile file;
    if (!openRegularFile(file, path).isEmpty() || file.size() > kMaxRecordBytes)
        return false;
    return QJsonDocument::fromJson(file.read(kMaxRecordBytes)).object().value(QLatin1String("record")).toString()
           == QLatin1String(kRecordKind);
}
