#pragma once
#include "cli/orderedjson.h"
#include "image/krvmodel.h"

#include <QJsonValue>
#include <QString>

class QDateTime;

// What every --json output shares (docs/schemas): the contract's number
// first, "error" last, and the forms scripts parse. A value that was not read
// is null, never a placeholder.

// The number of the contract the outputs follow; a change that breaks a
// reader raises it.
constexpr int JsonSchemaNumber = 1;

// {"schema": 1}, to which a command adds its facts.
OrderedJson jsonOutput();

// Adds "error": null, or {"message", "exitCode"} when message is not empty
// (with "reason" when the failure has a key for scripts), and gives the
// object's line.
QByteArray jsonLine(OrderedJson &output, const QString &message, int exitCode, const QString &reason = {});

// The text, or null when it is empty.
QJsonValue textOrNull(const QString &text);
// yyyymmdd as "yyyy-mm-dd"; null when it is no calendar date.
QJsonValue isoDate(int yyyymmdd);
// "KRV470" or "KRV465"; null when not known.
QJsonValue modelName(KrvModel model);
// "yyyy-mm-ddThh:mm:ss+hh:mm" with the offset of the time's zone; null when invalid.
QJsonValue isoTime(const QDateTime &time);
