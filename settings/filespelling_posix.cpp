#include "settings/filespelling.h"

#include <QFile>
#include <QHash>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {
// A part's readable name and its bytes, for the parts Qt cannot spell back.
QHash<QString, QByteArray> &spellings()
{
    static QHash<QString, QByteArray> kept;
    return kept;
}

void keepParts(const QByteArray &path)
{
    for (const QByteArray &part : path.split('/')) {
        const QString readable = QFile::decodeName(part);
        if (QFile::encodeName(readable) != part && !spellings().contains(readable))
            spellings().insert(readable, part);
    }
}
}  // namespace

void keepCommandLineSpellings(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        keepParts(word);
        // "--option=name": the name after the sign is a path of its own.
        if (const qsizetype sign = word.indexOf('='); word.startsWith("--") && sign > 0)
            keepParts(word.mid(sign + 1));
    }
    // Relative names become absolute through the working folder's name.
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    if (folder)
        keepParts(folder.get());
}

QByteArray nativeName(const QString &path)
{
    // A part read from stray bytes holds U+FFFD.
    if (spellings().isEmpty() || !path.contains(QChar::ReplacementCharacter))
        return QFile::encodeName(path);
    QByteArrayList parts;
    for (const QString &part : path.split(u'/'))
        parts << spellings().value(part, QFile::encodeName(part));
    return parts.join('/');
}
