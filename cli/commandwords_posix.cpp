#include "cli/commandwords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

CommandWords::CommandWords(int argc, char *argv[])
{
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString word = QFile::decodeName(bytes);
        words << (QFile::encodeName(word) == bytes ? word : linkTo(bytes, word));
    }
}

QString CommandWords::linkTo(const QByteArray &name, const QString &readable)
{
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0)
        return readable;  // no such file: its name as read, for the message
    if (!m_links)
        m_links = std::make_unique<QTemporaryDir>();
    // A folder per word: two names may read alike.
    const QString folder = m_links->filePath(QString::number(words.size()));
    if (!m_links->isValid() || !QDir().mkdir(folder))
        return readable;
    const QString link = folder + QLatin1Char('/') + QFileInfo(QDir::cleanPath(readable)).fileName();
    std::error_code error;
    const std::filesystem::path target = std::filesystem::absolute(name.toStdString(), error);
    if (error || ::symlink(target.c_str(), QFile::encodeName(link).constData()) != 0)
        return readable;
    return link;
}
