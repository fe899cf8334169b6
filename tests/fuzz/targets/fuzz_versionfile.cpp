// The update server's version file: its entries, the installer's name and
// the version number the check compares.
#include "orvabout/installerfile.h"
#include "orvabout/versionfile.h"
#include "tests/fuzz/targets/fuzztargets.h"

int fuzzVersionFile(const quint8 *data, std::size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const VersionFileEntry entry = readVersionFile(text, QStringLiteral("Quillon"));
    // Only four dotted numbers make a version the check compares.
    FUZZ_CHECK(versInfoToInt(entry.version) < 0 || entry.version.count(QLatin1Char('.')) >= 3);
    // The name may never leave the chosen folder.
    const QString name = safeInstallerName(entry.fileName);
    FUZZ_CHECK(!name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.')));
    return 0;
}
