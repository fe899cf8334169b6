#include "tests/fuzz/targets/fuzztargets.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>

namespace {
constexpr FuzzTarget kTargets[] = {
    {"hex", fuzzHexImage},
    {"receiveframe", fuzzReceiveFrame},
    {"blocktransfer", fuzzBlockTransfer},
    {"readout", fuzzReadoutAnswers},
    {"settings", fuzzSettingsFile},
    {"clock", fuzzClockAnswers},
    {"modemreply", fuzzModemReply},
    {"versionfile", fuzzVersionFile},
};
}

std::span<const FuzzTarget> fuzzTargets() { return kTargets; }

const FuzzTarget *findFuzzTarget(const char *name)
{
    for (const FuzzTarget &target : kTargets)
        if (std::strcmp(target.name, name) == 0)
            return &target;
    return nullptr;
}

QString fuzzInputFile(const char *name, const quint8 *data, std::size_t size)
{
    static const QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        qFatal("fuzz: cannot write %s", qPrintable(path));
    return path;
}
