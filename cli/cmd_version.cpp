// version: the program's version data, as the About box shows it.
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "orvabout/versinfo.h"

#include <QMetaProperty>

namespace {
int runVersion(CliSession &s, const QStringList &args)
{
    if (!args.isEmpty()) {
        s.err << "version: nimmt keine Argumente" << Qt::endl;
        return ExitUsage;
    }
    const TVersInfo info;
    const QMetaObject *meta = info.metaObject();
    OrderedJson json = jsonOutput();
    // The eleven texts in the reader's own order; for scripts named in camelCase ("fileVersion").
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QString value = property.read(&info).toString();
        if (s.json) {
            const QByteArray name = property.name();
            json.add((name.left(1).toLower() + name.mid(1)).constData(), value);
        } else {
            s.out << property.name() << ": " << value << "\n";
        }
    }
    if (s.json)
        s.out << jsonLine(json, {}, ExitOk);
    s.out.flush();
    return ExitOk;
}

const CliCommand registration("version", "", "Versionsdaten des Programms ausgeben (wie im Info-Fenster)", {}, false,
                              &runVersion);
}  // namespace
