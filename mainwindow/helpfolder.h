#pragma once
#include <QString>

// The folder that holds the manual's pages, ending in "/": on Windows the
// pages the installer put into the program's folder ("help" beside
// quillon.exe), elsewhere the copy built into the program (":/help/").
QString helpFolder();
