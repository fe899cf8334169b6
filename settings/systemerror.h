#pragma once
#include <QString>

// What a system error number (errno) means, in German, as a short phrase to
// follow a name and a colon. Numbers without a German text of their own give
// the system's text and the number.
QString systemErrorText(int error);
