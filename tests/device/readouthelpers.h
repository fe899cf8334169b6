#pragma once
// What the readout tests look at: commands sent, boxes ticked, and profiles
// with single answers changed.
#include "tests/device/devicebench.h"

#include <QMap>
#include <QStringList>
#include <QtTest>

// The command of every frame the device received (STX, ETX and CRC removed).
inline QList<QByteArray> commands(const DeviceBench &bench)
{
    QList<QByteArray> list;
    for (const QByteArray &f : bench.frames())
        list.append(f.mid(1, f.indexOf('\x03') - 1));
    return list;
}

inline QStringList checkedBoxes(OptionsModel &panel)
{
    QStringList names;
    for (const CheckBoxModel *box : panel.boxes())
        if (box->checked())
            names << QString::fromLatin1(box->name());
    return names;
}

inline QStringList enabledBoxes(OptionsModel &panel)
{
    QStringList names;
    for (const CheckBoxModel *box : panel.boxes())
        if (box->enabled())
            names << QString::fromLatin1(box->name());
    return names;
}

// A profile of sim/profiles with some answers replaced; the answer "?"
// makes the device not know the command (STX "?" ETX).
inline DeviceProfile profileWith(const char *name, const QMap<QByteArray, QByteArray> &answers)
{
    DeviceProfile p = DeviceBench::profile(name);
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        if (it.value() == "?")
            p.answers.remove(it.key());
        else
            p.answers[it.key()] = it.value();
    }
    return p;
}

// The pass failed: the status text, then the message box, then both panels empty.
inline void verifyFailed(DeviceBench &bench)
{
    QCOMPARE(bench.ui().statusHistory.last(), QStringLiteral("1:KRV reagiert falsch oder nicht!!"));
    QCOMPARE(bench.ui().messages, QStringList{QStringLiteral("KRV reagiert falsch oder nicht!")});
    QCOMPARE(bench.ui().status(0), QString());
    QCOMPARE(bench.ui().status(1), QString());
}
