#include "orvabout/versionfile.h"

#include "settings/inifile.h"

#include <limits>

VersionFileEntry readVersionFile(const QByteArray &text, const QString &internalName)
{
    const TIniFile file(QStringLiteral("cur_ver.txt"), text);
    VersionFileEntry entry;
    entry.version = file.ReadString(QStringLiteral("Currentversions"), internalName, QStringLiteral("x.y.z.x"));
    entry.date = file.ReadString(QStringLiteral("VersDate"), internalName, QStringLiteral("TT.MM.JJJJ"));
    entry.downloadUrl = file.ReadString(QStringLiteral("DownloadURL"), internalName,
                                        QStringLiteral("https://no.download.url.invalid/"));
    entry.fileName = file.ReadString(QStringLiteral("FileName"), internalName, QStringLiteral("xyz.zyx"));
    entry.sha256 = file.ReadString(QStringLiteral("SHA256"), internalName, QString());
    return entry;
}

int versInfoToInt(const QString &text)
{
    static constexpr int Weights[] = {1000000, 10000, 100, 1};
    qint64 sum = 0;
    int parts = 0;
    qsizetype i = 0;
    const auto isDigit = [&text](qsizetype at) { return at < text.size() && text[at] >= u'0' && text[at] <= u'9'; };
    while (isDigit(i)) {
        qint64 number = 0;
        for (; isDigit(i); ++i)
            number = qMin<qint64>(number * 10 + (text[i].unicode() - u'0'), 1'000'000'000);
        if (parts < 4)
            sum += number * Weights[parts];
        ++parts;
        while (i < text.size() && text[i] != u'.')
            ++i;
        if (i < text.size())
            ++i;
    }
    if (parts != 4 || sum > std::numeric_limits<int>::max())
        return -1;
    return int(sum);
}
