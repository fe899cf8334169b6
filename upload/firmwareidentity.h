#pragma once
#include "link/frameresult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

struct FirmwareImage;

// Which firmware a device runs, or an image holds: the version text (the
// device's "B004" answer; an image's identification text) and the build date.
struct FirmwareIdentity {
    QString version;
    int date = 0;  // yyyymmdd
};

// What the image says it is: identification text at 0xFF00 and firmware date.
FirmwareIdentity identityOf(const FirmwareImage &image);

// The device's answers, as ReceiveFrame left them with its result: the
// version of "B004" (14 characters) and the build date of "B937". None for
// an answer of another length or a date that is no calendar date.
std::optional<QString> versionFromAnswer(const QByteArray &frame, const FrameResult &result);
std::optional<int> buildDateFromAnswer(const QByteArray &frame, const FrameResult &result);

// What differs between the image and the device that should now run it, in
// German, one line each; empty when the device runs the image: the same build
// date, and the image's identification text (as far as the device's version
// text reaches) within the device's version text.
QStringList identityDifferences(const FirmwareIdentity &image, const FirmwareIdentity &device);

// yyyymmdd as the technician reads it: dd.mm.yyyy.
QString dateText(int yyyymmdd);
