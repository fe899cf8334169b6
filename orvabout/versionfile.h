#pragma once
#include <QString>

// One program's entries in the update server's version file.
struct VersionFileEntry {
    QString version;      // [Currentversions], default "x.y.z.x"
    QString date;         // [VersDate], default "TT.MM.JJJJ"
    QString downloadUrl;  // [DownloadURL], default a host that never resolves
    QString fileName;     // [FileName] as the server wrote it, default "xyz.zyx"
    QString sha256;       // [SHA256], empty when the file names no checksum
};

// The version file's text as the server sent it.
VersionFileEntry readVersionFile(const QByteArray &text, const QString &internalName);

// "a.b.c.d" as a × 1000000 + b × 10000 + c × 100 + d; -1 unless exactly four
// parts, each starting with a digit. Parts of 100 or more overlap the next
// weight, as the server's numbers always have; a sum beyond the int range
// gives -1 too.
int versInfoToInt(const QString &text);
