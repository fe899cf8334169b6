#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

// What the simulated device says about itself. Loaded from a small JSON file;
// every field has a default, so {} is a KRV470 with CRC and no password.
struct DeviceProfile {
    bool crc = true;
    QByteArray password;  // empty: no read password

    // Answers to the read commands: the data after the four-character echo.
    // A missing entry makes the device answer STX "?" ETX.
    QMap<QByteArray, QByteArray> answers;

    QByteArray clock = "241207183000";  // ddmmyyhhmmss, as B218 answers it
    bool calibrationSwitchOpen = true;
    // The device falls silent once it has received this many frames (-1: never).
    int silentAfterFrames = -1;

    // The profile fields (see sim/profiles/*.json):
    //  version (15 chars), fabNr, buildDate (yyyymmdd), baujahr, hardware (number
    //  or "?"), rtc (B938), f4, analog, ptb, dsfg, network, flashId, exdev
    //  (number or "?"), clock, calibrationSwitch (bool), crc (bool), password,
    //  silentAfterFrames.
    static DeviceProfile fromJson(const QJsonObject &json);
    // Empty error text on success.
    static DeviceProfile load(const QString &path, QString *error);
};
