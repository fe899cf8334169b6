#include "sim/deviceprofile.h"

#include <QFile>
#include <QJsonDocument>

namespace {
QByteArray text(const QJsonValue &value)
{
    if (value.isDouble())
        return QByteArray::number(value.toInt());
    return value.toString().toLatin1();
}

// A number field answered as three digits; "?" makes the device not know it.
void threeDigits(DeviceProfile &p, const QByteArray &command, const QJsonValue &value)
{
    if (value.isUndefined() || text(value) == "?")
        p.answers.remove(command);
    else
        p.answers[command] = QByteArray::number(value.toInt()).rightJustified(3, '0');
}
}

DeviceProfile DeviceProfile::fromJson(const QJsonObject &json)
{
    DeviceProfile p;
    p.crc = json.value("crc").toBool(true);
    p.password = json.value("password").toString().toLatin1();
    p.answers["B004"] = json.value("version").toString("KRV470 V3.02 ab").toLatin1().leftJustified(15, ' ', true);
    p.answers["B142"] = json.value("fabNr").toString("000012345678").toLatin1();

    const QByteArray date = text(json.value("buildDate").isUndefined() ? QJsonValue("20080115") : json.value("buildDate"));
    if (date == "?")
        p.answers.remove("B937");
    else  // two unused characters, day, month, year, six unused characters
        p.answers["B937"] = "V1" + date.mid(6, 2) + date.mid(4, 2) + date.left(4) + "R00001";

    p.answers["B143"] = json.value("baujahr").toString("2007").toLatin1().leftJustified(4, ' ', true) + "0";
    threeDigits(p, "B939", json.value("hardware").isUndefined() ? QJsonValue(0xBF) : json.value("hardware"));
    if (json.contains("rtc"))
        p.answers["B938"] = text(json.value("rtc")).left(1);
    threeDigits(p, "B146", json.value("f4").isUndefined() ? QJsonValue(0) : json.value("f4"));
    const QJsonValue analog = json.value("analog");
    if (!(analog.isString() && analog.toString() == "?"))
        p.answers["B144"] = text(analog.isUndefined() ? QJsonValue(2) : analog).left(1) + "0";
    p.answers["B153"] = text(json.value("ptb").isUndefined() ? QJsonValue(1) : json.value("ptb")).left(1) + "0";
    p.answers["B162"] = text(json.value("dsfg").isUndefined() ? QJsonValue(0) : json.value("dsfg")).left(1) + "0";
    threeDigits(p, "B940", json.value("network").isUndefined() ? QJsonValue(0) : json.value("network"));
    const QByteArray flashId = json.value("flashId").toString("1FC4").toLatin1();
    if (flashId != "?")
        p.answers["B941"] = flashId.left(4);
    threeDigits(p, "B942", json.value("exdev").isUndefined() ? QJsonValue(0) : json.value("exdev"));

    p.clock = json.value("clock").toString(QString::fromLatin1(p.clock)).toLatin1();
    p.calibrationSwitchOpen = json.value("calibrationSwitch").toBool(true);
    p.silentAfterFrames = json.value("silentAfterFrames").toInt(-1);
    return p;
}

DeviceProfile DeviceProfile::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read profile %1: %2").arg(path, file.errorString());
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!doc.isObject()) {
        *error = QStringLiteral("profile %1 is not a JSON object: %2").arg(path, parseError.errorString());
        return {};
    }
    error->clear();
    return fromJson(doc.object());
}
