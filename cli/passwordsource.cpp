#include "cli/passwordsource.h"

#include "settings/regularfile.h"
#include "settings/systemerror.h"

#include <QFile>

#include <cerrno>

namespace {
// Far more than a password and its line end: a wrong file is not read whole.
constexpr qint64 kMaxRead = 256;
}

QString readPasswordFile(const QString &path, QByteArray &password)
{
    QFile file;
    if (const QString problem = openRegularFile(file, path); !problem.isEmpty())
        return QStringLiteral("--password-file: %1 lässt sich nicht lesen: %2").arg(path, problem);
    const QByteArray head = file.read(kMaxRead);
    if (head.isNull() && file.error() != QFileDevice::NoError)
        return QStringLiteral("--password-file: %1 lässt sich nicht lesen: %2").arg(path, systemErrorText(errno));
    const qsizetype end = head.indexOf('\n');
    QByteArray line = end >= 0 ? head.left(end) : head;
    if (line.endsWith('\r'))
        line.chop(1);
    if (const QString problem = passwordLengthProblem(line, QStringLiteral("--password-file %1").arg(path)); !problem.isEmpty())
        return problem;
    password = line;
    return {};
}

QString passwordLengthProblem(const QByteArray &password, const QString &source)
{
    if (password.size() >= 4 && password.size() <= 8)
        return {};
    return QStringLiteral("%1: das Lesepasswort braucht 4 bis 8 Zeichen").arg(source);
}
