#pragma once
// HEX files for the image tests, made by the tools on this machine, and the
// images those tools read back from them.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include "sim/sampleimage.h"
#include "tests/support/testfiles.h"

namespace hextools {

inline bool haveTool(const char *name) { return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty(); }

#define REQUIRE_TOOL(name)                           \
    do {                                             \
        if (!hextools::haveTool(name))               \
            QSKIP(name " is not installed");         \
    } while (false)

// Runs a tool to completion; false (with its complaint logged) when it fails.
inline bool runTool(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << program << args << process.readAllStandardError();
        return false;
    }
    return true;
}

inline QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One block of data at an address.
struct Chunk {
    quint32 address;
    QByteArray bytes;
};

// srec_cat's Intel-HEX file of the chunks (LF line ends unless crlf).
inline QString srecHex(const QTemporaryDir &dir, const QString &name, const QList<Chunk> &chunks, bool crlf)
{
    QStringList args;
    for (int i = 0; i < chunks.size(); ++i) {
        const QString part = writeFile(dir, QStringLiteral("%1.part%2").arg(name).arg(i), chunks[i].bytes);
        args << part << QStringLiteral("-binary") << QStringLiteral("-offset") << QString::number(chunks[i].address);
    }
    const QString path = dir.filePath(name);
    args << QStringLiteral("-o") << path << QStringLiteral("-intel");
    if (crlf)
        args << QStringLiteral("-CRLF");
    return runTool(QStringLiteral("srec_cat"), args) ? path : QString();
}

// objcopy's Intel-HEX file of one chunk (CR LF line ends, segment records below 1 MiB).
inline QString objcopyHex(const QTemporaryDir &dir, const QString &name, const Chunk &chunk)
{
    const QString bin = writeFile(dir, name + QStringLiteral(".bin"), chunk.bytes);
    const QString path = dir.filePath(name);
    const QStringList args{QStringLiteral("-I"), QStringLiteral("binary"), QStringLiteral("-O"), QStringLiteral("ihex"),
                           QStringLiteral("--change-addresses"), QString::number(chunk.address), bin, path};
    return runTool(QStringLiteral("objcopy"), args) ? path : QString();
}

// What srec_cat reads from a HEX file: `size` bytes from address 0, gaps filled with 0xFF.
inline QByteArray srecImage(const QString &hexPath, int size)
{
    const QString out = hexPath + QStringLiteral(".ref");
    const QStringList args{hexPath, QStringLiteral("-intel"), QStringLiteral("-fill"), QStringLiteral("0xFF"),
                           QStringLiteral("0"), QString::number(size), QStringLiteral("-o"), out, QStringLiteral("-binary")};
    return runTool(QStringLiteral("srec_cat"), args) ? readFile(out) : QByteArray();
}

}  // namespace hextools
