#include "mainwindow/helpfolder.h"

#include <QCoreApplication>

QString helpFolder() { return QCoreApplication::applicationDirPath() + QStringLiteral("/help/"); }
