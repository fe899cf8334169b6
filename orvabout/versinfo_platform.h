#pragma once
// Where version data comes from on each platform (versinfo_posix.cpp,
// versinfo_win32.cpp).
#include <QString>
#include <QStringList>

// The running program's own version data, as a source for readVersionData.
QString runningProgramVersionSource();

// Reads source's version data: the first translation entry as "LLLLCCCC"
// (language, code page, upper-case hexadecimal) into langCharset, and for
// each key the text under that translation into texts, empty where there is
// none. False when source has no version data.
bool readVersionData(const QString &source, QString &langCharset, const QStringList &keys, QStringList &texts);

// The translation entry's 32 bits as "LLLLCCCC": the language is the low half.
QString langCharsetOf(quint32 translation);
