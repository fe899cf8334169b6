#include "frontend/control.h"

namespace {
constexpr const char *kNames[] = {
#define QUILLON_CONTROL_NAME(name) #name,
    QUILLON_WINDOW_CONTROLS(QUILLON_CONTROL_NAME)
#undef QUILLON_CONTROL_NAME
};
}

QString controlName(Control control) { return QLatin1String(kNames[static_cast<int>(control)]); }
