#include "mainwindow/helpfolder.h"

QString helpFolder() { return QStringLiteral(":/help/"); }
