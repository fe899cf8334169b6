#include "cli/terminal.h"

#include <QtGlobal>

int columnsOrDefault(int reported)
{
    if (reported > 0)
        return reported;
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    return ok && columns > 0 ? columns : 80;
}
