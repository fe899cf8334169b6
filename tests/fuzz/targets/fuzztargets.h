#pragma once
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <span>

// One parser of outside input under fuzzing: takes any bytes, returns 0.
// A fault shows as a crash, a sanitizer report or a failed FUZZ_CHECK.
struct FuzzTarget {
    const char *name;
    int (*run)(const quint8 *data, std::size_t size);
};

// Every target; scripts/fuzz runs them all, the normal suite replays their
// corpus and findings.
std::span<const FuzzTarget> fuzzTargets();
const FuzzTarget *findFuzzTarget(const char *name);

// An invariant of a target: broken, it stops the process like a crash.
#define FUZZ_CHECK(condition)                                                 \
    do {                                                                      \
        if (!(condition))                                                     \
            qFatal("FUZZ_CHECK failed: %s (%s:%d)", #condition, __FILE__, __LINE__); \
    } while (false)

// The input as a file of this name, in a folder kept for the process, for
// the readers that take a path.
QString fuzzInputFile(const char *name, const quint8 *data, std::size_t size);

int fuzzHexImage(const quint8 *data, std::size_t size);
int fuzzReceiveFrame(const quint8 *data, std::size_t size);
int fuzzBlockTransfer(const quint8 *data, std::size_t size);
int fuzzReadoutAnswers(const quint8 *data, std::size_t size);
int fuzzSettingsFile(const quint8 *data, std::size_t size);
int fuzzClockAnswers(const quint8 *data, std::size_t size);
int fuzzModemReply(const quint8 *data, std::size_t size);
int fuzzVersionFile(const quint8 *data, std::size_t size);
