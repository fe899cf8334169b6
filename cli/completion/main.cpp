// Writes the bash completion of quillon-cli to stdout at build time.
#include "cli/completion.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    printBashCompletion(out);
    return 0;
}
