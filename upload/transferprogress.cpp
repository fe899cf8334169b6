#include "upload/transferprogress.h"

#include <algorithm>

namespace {
constexpr int kSectorSize = 0x10000;
constexpr int kFrameLetters = 4;  // "S" before the sectors, "T", "C" and "P" after the records
}

int TransferProgress::phaseDone() const
{
    if (!programming)
        return blocksSent;
    if (letter == 'P')
        return phaseTotal();
    return std::min(lettersReceived, phaseTotal() - 1);
}

int TransferProgress::phaseTotal() const { return programming ? std::max(lettersExpected, 1) : blocksTotal; }

double TransferProgress::share() const
{
    const int done = programming ? blocksTotal + phaseDone() : blocksSent;
    return double(done) / (blocksTotal + std::max(lettersExpected, 1));
}

int expectedLetters(int imageSize, const TransferCounters &records)
{
    const int sectors = (imageSize + kSectorSize - 1) / kSectorSize;
    return kFrameLetters + sectors + records.addressRecords + records.dataRecords;
}
