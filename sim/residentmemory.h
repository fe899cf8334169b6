#pragma once
#include <QFile>
#include <QString>

// Resident memory (VmRSS) of a process in KiB; -1 when it cannot be read.
// Soaks and long-run tests watch the simulator and the program stay flat.
inline long residentKiB(const QString &pid = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
