#pragma once
#include "upload/uploadphase.h"

#include <QString>

// After a failed or cancelled run: what state the device may be in and what
// to do now.
QString deviceStateAfter(Phase phase);
