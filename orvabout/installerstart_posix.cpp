#include "orvabout/installerstart.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool startInstaller(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QFile file(absolute);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    file.close();
    if (head.startsWith("\x7f" "ELF") || head.startsWith("#!")) {
        if (!file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser))
            return false;
        return QProcess::startDetached(absolute, {});
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolute));
}
