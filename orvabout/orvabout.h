#pragma once
#include "orvabout/orvabout_global.h"

class TAboutOrvBox;
class TGetNewVers;
class TOrvAboutBox;

// Shows the About box modally; it lives only while it is shown.
extern "C" ORVABOUT_EXPORT void ShowOrvabout();

// The shared web-update window; the host program creates it at start-up.
ORVABOUT_EXPORT extern TGetNewVers *GetNewVers;
// Instance pointers for the two boxes; the library itself does not use them.
ORVABOUT_EXPORT extern TOrvAboutBox *OrvAboutBox;
ORVABOUT_EXPORT extern TAboutOrvBox *AboutOrvBox;
