#pragma once
#include "link/frameresult.h"

#include <QByteArray>

class QDateTime;
struct Context;

// The device clock: read it, set it to the PC's time, and show the result or
// the reason for failure in lbTime. Neither wakes the device: they rely on an
// earlier wake-up for UseCrc and the read password.

// true when the device's answer was accepted and its time is shown.
bool readDeviceClock(Context &ctx);
bool setDeviceClock(Context &ctx, const QDateTime &now);

// The handlers of btTime and btSetTime.
inline void btTimeClick(Context &ctx) { readDeviceClock(ctx); }
inline void btSetTimeClick(Context &ctx, const QDateTime &now) { setDeviceClock(ctx, now); }

// The twelve digits ddmmyyhhmmss at offset, as dd.mm.20yy hh:mm:ss.
void ShowDeviceTime(Context &ctx, const QByteArray &buffer, int offset);
// "Timeout!" for no answer, else "F" and the start of the device's answer.
void ShowClockFailure(Context &ctx, const QByteArray &buffer, const FrameResult &result);
