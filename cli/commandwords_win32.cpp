#include "cli/commandwords.h"

#include <QCoreApplication>

CommandWords::CommandWords(int, char *[]) : words(QCoreApplication::arguments()) {}
