#pragma once
#include <QString>

class Upload;

// After a failed or cancelled run: what state the device may be in and what
// to do now.
QString deviceStateAfter(const Upload &upload);
