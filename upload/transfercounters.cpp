#include "upload/transfercounters.h"

namespace {
QString countersText(const char *repeatsLabel, const TransferCounters &counters)
{
    return QStringLiteral("%1: %2 Adr: %3 Dat: %4")
        .arg(QLatin1String(repeatsLabel))
        .arg(counters.repeats)
        .arg(counters.addressRecords)
        .arg(counters.dataRecords);
}
}

void TransferCounters::countLetter(quint8 letter)
{
    switch (letter) {
    case 'E': ++repeats; break;
    case 'a': ++addressRecords; break;
    case 'p': ++dataRecords; break;
    default: break;
    }
}

QString recordCountersText(const TransferCounters &counters) { return countersText("Wdh", counters); }

QString letterCountersText(const TransferCounters &counters) { return countersText("Erase", counters); }
