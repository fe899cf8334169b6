// libFuzzer entry for one target, chosen at build time by QUILLON_FUZZ_TARGET.
#include "tests/fuzz/targets/fuzztargets.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The operations dispatch events and use timers: they need an application.
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
    static QCoreApplication app(*argc, *argv);
    if (!findFuzzTarget(QUILLON_FUZZ_TARGET))
        qFatal("unknown fuzz target %s", QUILLON_FUZZ_TARGET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    static const FuzzTarget *const target = findFuzzTarget(QUILLON_FUZZ_TARGET);
    return target->run(data, size);
}
