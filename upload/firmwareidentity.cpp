#include "upload/firmwareidentity.h"

#include "image/firmwareimage.h"
#include "image/imagefacts.h"
#include "device/devicecommand.h"
#include "device/readoutdecode.h"

#include <QDate>

namespace {
constexpr int kVersionLength = 14;
}

FirmwareIdentity identityOf(const FirmwareImage &image)
{
    return {identificationText(image).trimmed(), firmwareDate(image)};
}

std::optional<QString> versionFromAnswer(const QByteArray &frame, const FrameResult &result)
{
    if (!DeviceCommands::Version.answeredBy(result) || frame.size() < 5 + kVersionLength)
        return std::nullopt;
    return QString::fromLatin1(frame.mid(5, kVersionLength));
}

std::optional<int> buildDateFromAnswer(const QByteArray &frame, const FrameResult &result)
{
    if (!DeviceCommands::FwBuild.answeredBy(result) || frame.size() < DeviceCommands::FwBuild.answerLength)
        return std::nullopt;
    const int date = firmwareDate(frame);
    if (!QDate(date / 10000, date / 100 % 100, date % 100).isValid())
        return std::nullopt;
    return date;
}

QString dateText(int yyyymmdd)
{
    return QStringLiteral("%1.%2.%3")
        .arg(yyyymmdd % 100, 2, 10, QLatin1Char('0'))
        .arg(yyyymmdd / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(yyyymmdd / 10000, 4, 10, QLatin1Char('0'));
}

QStringList identityDifferences(const FirmwareIdentity &image, const FirmwareIdentity &device)
{
    QStringList differences;
    if (device.date != image.date)
        differences << QStringLiteral("Build-Datum im KRV %1, in der Datei %2").arg(dateText(device.date), dateText(image.date));
    // The version text names more than a short identification (device,
    // version, variant) and must contain it; of a longer one the device shows
    // only as many leading characters as its text holds.
    const QString version = device.version.trimmed();
    const QString shown = image.version.left(kVersionLength).trimmed();
    if (shown.isEmpty() || !version.contains(shown))
        differences << QStringLiteral("Version im KRV \"%1\" enthält die Kennung der Datei \"%2\" nicht").arg(version, shown);
    return differences;
}
