#include "cli/jsonoutput.h"

#include <QDate>
#include <QDateTime>

OrderedJson jsonOutput() { return OrderedJson().add("schema", JsonSchemaNumber); }

QByteArray jsonLine(OrderedJson &output, const QString &message, int exitCode, const QString &reason)
{
    if (message.isEmpty()) {
        output.add("error", QJsonValue());
    } else {
        OrderedJson error;
        error.add("message", message).add("exitCode", exitCode);
        if (!reason.isEmpty())
            error.add("reason", reason);
        output.add("error", error);
    }
    return output.text() + '\n';
}

QJsonValue textOrNull(const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

QJsonValue isoDate(int yyyymmdd)
{
    const QDate date(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue();
}

QJsonValue modelName(KrvModel model) { return model == KrvModel::None ? QJsonValue() : QJsonValue(deviceKindName(model)); }

QJsonValue isoTime(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    // Qt writes a local time without its offset: name it, also for UTC ("+00:00").
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate).replace(QLatin1Char('Z'), QStringLiteral("+00:00"));
}
