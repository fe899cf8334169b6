#pragma once
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The words of the command line as the program works with them.
//
// On POSIX a word is bytes, and a file's name need not be UTF-8 ("a\xff.hex"),
// while Qt reads every word and hands every path to the system as UTF-8: such
// a name comes out as another one, and the file is not found. A word that
// names an existing file and does not survive that round trip is replaced by
// a symbolic link to the file, in a private folder, under the name as read
// (U+FFFD for each byte that is not UTF-8); the folder goes when the program
// ends. Any other word is read as Qt reads it. On Windows the words come
// wide and stay as Qt gives them.
class CommandWords {
public:
    CommandWords(int argc, char *argv[]);

    QStringList words;

private:
    QString linkTo(const QByteArray &name, const QString &readable);

    std::unique_ptr<QTemporaryDir> m_links;
};
