#pragma once
#include <QDeadlineTimer>
#include <optional>

struct Context;

// Wakes the device with "Q" (four tries of limits.wakeTimeoutMs), asks for
// the read password when the device wants one and decides UseCrc from the answer. With until,
// the tries go on until that deadline instead of four (a device restarting).
// True: awake; false: no answer, given up or cancelled.
bool WakeDevice(Context &ctx, std::optional<QDeadlineTimer> until = std::nullopt);
