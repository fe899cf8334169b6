// version: the program's version data, as the About box shows it.
#include "cli/clisession.h"
#include "cli/orderedjson.h"
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
    OrderedJson json;
    // The eleven texts in the reader's own order.
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QString value = property.read(&info).toString();
        if (s.json)
            json.add(property.name(), value);
        else
            s.out << property.name() << ": " << value << "\n";
    }
    if (s.json)
        s.out << json.text() << "\n";
    s.out.flush();
    return ExitOk;
}

const CliCommand registration("version", "", "Versionsdaten des Programms ausgeben (wie im Info-Fenster)", {}, false,
                              &runVersion);
}  // namespace
