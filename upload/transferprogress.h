#pragma once
#include "upload/transfercounters.h"

#include <QtGlobal>

// What a progress display needs to know of the record transfer and of the
// device's programming after it.
struct TransferProgress {
    int blocksTotal = 0;   // non-blank blocks from the start address to the end of the image
    int blocksSent = 0;    // data records sent (repeats not counted)
    quint8 letter = 0;     // last programming letter; 0 while records go out
    bool finished = false; // the last report: transfer and programming are over
    bool programming = false;  // the device programs: the letters count from here
    int lettersExpected = 0;   // what the device reports for this image, "P" included
    int lettersReceived = 0;   // programming letters so far, unknown bytes not counted

    // The work of the current phase: records while they go out, letters while
    // the device programs. Letters beyond the expected ones do not reach the
    // end before "P" does.
    int phaseDone() const;
    int phaseTotal() const;
    // Both phases together, from 0 to 1: each record sent and each letter of
    // the programming is one step.
    double share() const;
};

// The letters a device reports while it programs what it was sent: "S", one
// "E" per erased sector of the image, one "a" and "p" per address and data
// record, then "T", "C" and "P".
int expectedLetters(int imageSize, const TransferCounters &records);
