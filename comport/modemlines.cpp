#include "comport/modemlines.h"

#include <atomic>

namespace {
// Read by the ports' event threads too.
std::atomic<TModemLineSource *> g_source{nullptr};
}

void SetModemLineSource(TModemLineSource *source) { g_source = source; }

TModemLineSource *ModemLineSource() { return g_source; }
