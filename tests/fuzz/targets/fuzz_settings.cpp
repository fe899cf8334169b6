// The settings file as a user may have edited it: read, then one value
// changed in place, which must read back whatever else the file holds.
#include "settings/inifile.h"
#include "settings/programsettings.h"
#include "tests/fuzz/targets/fuzztargets.h"

int fuzzSettingsFile(const quint8 *data, std::size_t size)
{
    const QString path = fuzzInputFile("quillon.INI", data, size);

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
