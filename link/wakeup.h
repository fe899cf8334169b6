#pragma once

struct Context;

// Wakes the device with "Q" (four tries of 3 s), asks for the read password
// when the device wants one and decides UseCrc from the answer.
// 1: awake; 0: no answer, given up or cancelled.
int WakeDevice(Context &ctx);
