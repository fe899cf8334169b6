// The settings file as a user may have edited it: read, then one value
// changed in place, which must read back whatever else the file holds.
#include "settings/inifile.h"
#include "settings/programsettings.h"
#include "tests/fuzz/targets/fuzztargets.h"

#include <QFile>
#include <QTemporaryDir>

int fuzzSettingsFile(const quint8 *data, std::size_t size)
{
    static const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillon.INI"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        qFatal("fuzz: cannot write %s", qPrintable(path));
    file.close();

    TIniFile ini(path);
    ProgramSettings settings = ProgramSettings::load(ini);
    settings.IP = QStringLiteral("127.0.0.1");
    settings.save(ini);
    if (ini.UpdateFile()) {
        const ProgramSettings again = ProgramSettings::load(TIniFile(path));
        FUZZ_CHECK(again.IP == settings.IP);
        FUZZ_CHECK(again.COM == settings.COM);
        FUZZ_CHECK(again.Ethernet == settings.Ethernet);
    }
    return 0;
}
