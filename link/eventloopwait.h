#pragma once

class QDeadlineTimer;

// Sleeps in the event loop until an event arrives or the deadline passes:
// timers, the cancel controls and repaints run meanwhile, and the wait costs
// no CPU. Returns at once after the deadline.
void sleepInEventLoop(const QDeadlineTimer &deadline);
