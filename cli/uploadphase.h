#pragma once
#include <QString>

// What the upload's phase number ("PS: N") means, in words.
QString phaseName(int uploadPhase);

// After a failed or cancelled run: what state the device may be in and what
// to do now.
QString deviceStateAfter(int uploadPhase);
