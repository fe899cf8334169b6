#pragma once
#include <QDeadlineTimer>
#include <optional>

struct Context;

// Wakes the device with "Q" (four tries of limits.wakeTimeoutMs), asks for
// the read password when the device wants one and decides UseCrc from the answer. With until,
// the tries go on until that deadline instead of four (a device restarting).
// 1: awake; 0: no answer, given up or cancelled.
int WakeDevice(Context &ctx, std::optional<QDeadlineTimer> until = std::nullopt);
