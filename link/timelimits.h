#pragma once

// Every time limit of the device operations, in one place. The defaults are
// the product's; the Link carries one set and every operation reads its
// limits from there, so the test suite can run against the simulator with
// short ones (shortForTests) and wait out each real one in a single test.
struct TimeLimits {
    // quillon-cli: a --tcp target must accept a connection within this.
    int connectCheckMs = 3000;
    // Each of the wake-up's four tries.
    int wakeTimeoutMs = 3000;
    // The device needs a moment after waking before the first real command.
    int wakeSettleMs = 1000;
    // The answer to a readout, clock or verification command.
    int commandTimeoutMs = 2000;
    // Bytes held back by flow control, beyond the time the line needs for them.
    int sendHoldLimitMs = 5000;
    // The upload's command answers before the flash-update mode.
    int uploadFrameTimeoutMs = 2000;
    // The answer to "GoOnFlashing".
    int goOnFlashingTimeoutMs = 15000;
    // The device's reply to a record, and each programming letter.
    int recordReplyTimeoutMs = 20000;
    // The modem's reply to an initialisation.
    int modemInitTimeoutMs = 2000;
    // What else the modem says after its answer line.
    int modemAfterReplyMs = 1000;
    // A dial, until the modem answers.
    int modemDialTimeoutMs = 60000;
    // The device's restart after programming (flash --verify).
    int verifyRestartMs = 60000;

    // For the test suite against the simulator: no settle pause, and limits
    // a test waits out in about a second, yet long enough for the answers
    // that do come on a loaded machine. quillon-cli takes them when its
    // environment holds QUILLON_TEST_SHORT_LIMITS=1.
    static TimeLimits shortForTests()
    {
        TimeLimits t;
        t.connectCheckMs = 1000;
        t.wakeTimeoutMs = 1000;
        t.wakeSettleMs = 0;
        t.commandTimeoutMs = 1000;
        t.sendHoldLimitMs = 1000;
        t.uploadFrameTimeoutMs = 1000;
        t.goOnFlashingTimeoutMs = 1000;
        t.recordReplyTimeoutMs = 1000;
        t.modemInitTimeoutMs = 1000;
        t.modemAfterReplyMs = 200;
        t.modemDialTimeoutMs = 1500;
        t.verifyRestartMs = 6000;
        return t;
    }
};
