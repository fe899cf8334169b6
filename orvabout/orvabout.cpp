#include "orvabout/orvabout.h"

#include "orvabout/about.h"

TGetNewVers *GetNewVers = nullptr;
TOrvAboutBox *OrvAboutBox = nullptr;
TAboutOrvBox *AboutOrvBox = nullptr;

void ShowOrvabout()
{
    TOrvAboutBox box;
    box.exec();
}
