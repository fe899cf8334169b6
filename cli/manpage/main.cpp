// Writes quillon-cli(1) to stdout at build time.
// Usage: quillon-cli-manpage VERSION DATE MANUAL-PATH
#include "cli/manpage.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "Aufruf: quillon-cli-manpage VERSION DATUM HANDBUCH-PFAD" << Qt::endl;
        return 2;
    }
    QTextStream out(stdout);
    printManPage(out, args.at(1), args.at(2), args.at(3));
    return 0;
}
