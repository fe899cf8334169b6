#include "settings/filespelling.h"

// Windows passes the words wide: Qt reads every name as it is.
void keepCommandLineSpellings(int, char *[]) {}
