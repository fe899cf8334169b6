#pragma once

// Where the port reads its modem input lines from (the TIOCM_CTS, TIOCM_DSR,
// TIOCM_RNG and TIOCM_CAR bits). Normally the driver; a pseudo-terminal has no
// lines, so a test installs a source of its own: the carrier it sets reaches
// GetModemStatus and the event thread (OnRLSDChange) as a real line change would.
class TModemLineSource {
public:
    virtual ~TModemLineSource() = default;
    // True with the lines of the open device fd; false with errno set when it has none.
    virtual bool read(int fd, int &lines) = 0;
};

// nullptr: the driver again. The source must outlive every port that reads it.
void SetModemLineSource(TModemLineSource *source);
TModemLineSource *ModemLineSource();
