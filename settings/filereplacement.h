#pragma once
#include <QByteArray>
#include <QString>

// True when an existing file's mode grants no writing to anyone, or the
// system refuses this process writing it. Root passes every permission
// check, so the mode bits decide for it: a file the user set read-only
// stays so. A missing file is not protected.
bool isWriteProtected(const QString &path);

// Makes bytes the file's content. An existing file keeps its mode and
// owner: it is replaced whole (a crash leaves the old or the new text)
// where the new file can take both on, else it is rewritten in place.
// On false, error holds the system's reason and the old file is left.
bool replaceFileContent(const QString &path, const QByteArray &bytes, QString &error);
