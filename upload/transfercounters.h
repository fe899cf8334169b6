#pragma once
#include <QString>
#include <QtGlobal>

// Progress counters of one upload; the programming phase reuses them.
struct TransferCounters {
    int repeats = 0;         // NAKs received; erase letters while programming
    int addressRecords = 0;  // the end record not counted
    int dataRecords = 0;

    // One of the device's programming letters: "E" counts in repeats, "a" in
    // addressRecords, "p" in dataRecords; the others are not counted.
    void countLetter(quint8 letter);
};

// "Wdh: 0 Adr: 1 Dat: 17": the record transfer's counters.
QString recordCountersText(const TransferCounters &counters);
// "Erase: 2 Adr: 1 Dat: 2": the programming letters' counters.
QString letterCountersText(const TransferCounters &counters);
