#pragma once
#include <QByteArray>
#include <QtGlobal>

// A firmware image as the device's build produces it, for tests, benchmarks
// and the demo: code with erased gaps, the identification text and firmware
// date at 0xFF00 and an information block at the end.
struct SampleImage {
    int size = 0x80000;         // 0x40000 or 0x80000 for the device; at least 0x10000
    int firmwareDate = 20090301;
    int deviceKind = 1;         // 1 KRV470, 2 KRV465
    QByteArray identification = "KRV470";  // at most 6 characters, the date follows at 0xFF07
    quint8 analogInputs = 2;
    quint32 seed = 1;

    QByteArray build() const;
};

// One Intel-HEX record: count, address, type and data, with its checksum.
QByteArray intelHexRecord(quint8 type, quint16 address, const QByteArray &data, const char *lineEnd = "\r\n");

// Intel-HEX text of an image: 16-byte data records (erased ones included, as
// the firmware build writes them), extended linear addresses, end record.
QByteArray toIntelHex(const QByteArray &image);
