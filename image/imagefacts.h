#pragma once
#include <QString>
#include <optional>

struct FirmwareImage;

// What an image says about itself. Every reader stays inside ImageSize: a
// short image simply has less to say.

// Identification text at 0xFF00 up to the first 0x00 (or the end of the image).
QString identificationText(const FirmwareImage &image);

// Firmware date yyyymmdd from the decimal fields at 0xFF07 (day), 0xFF09
// (month) and 0xFF0B (year).
int firmwareDate(const FirmwareImage &image);

// Why the image is no KRV firmware, in German; empty when it is one. A
// firmware has the information block and the identification area, fits the
// largest flash, has a printable identification text at 0xFF00 and a
// firmware date that is a real day from 1990 up to the year after
// currentYear. Random data fail this.
QString notFirmwareReason(const FirmwareImage &image, int currentYear);
// The same against today's date.
QString notFirmwareReason(const FirmwareImage &image);

// Byte of the information block (the last 32 bytes); none without a block.
std::optional<quint8> infoBlockByte(const FirmwareImage &image, int index);
