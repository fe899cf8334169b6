#include "tests/fuzz/targets/fuzztargets.h"

#include <cstring>

namespace {
constexpr FuzzTarget kTargets[] = {
    {"hex", fuzzHexImage},
    {"receiveframe", fuzzReceiveFrame},
    {"blocktransfer", fuzzBlockTransfer},
    {"readout", fuzzReadoutAnswers},
    {"settings", fuzzSettingsFile},
    {"clock", fuzzClockAnswers},
    {"modemreply", fuzzModemReply},
    {"versionfile", fuzzVersionFile},
};
}

std::span<const FuzzTarget> fuzzTargets() { return kTargets; }

const FuzzTarget *findFuzzTarget(const char *name)
{
    for (const FuzzTarget &target : kTargets)
        if (std::strcmp(target.name, name) == 0)
            return &target;
    return nullptr;
}
