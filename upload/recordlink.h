#pragma once
#include <QString>

// How the device was reached, as the front end knows it, for the upload record.
struct RecordLink {
    QString kind;  // "tcp", "serial" or "modem"
    QString host;  // tcp
    int port = 0;
    QString device;  // serial and modem: the port's device
    int baud = 0;
    QString number;  // modem: the number dialled
};
