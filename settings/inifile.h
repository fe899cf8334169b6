#pragma once
#include <QList>
#include <QIODevice>
#include <QString>
#include <QStringList>

// An initialisation file as the Windows platform object keeps it: "[section]"
// lines, "key=value" lines, names matched without regard to case. The file is
// read once; writes change the text in memory, line by line, and UpdateFile()
// writes it back. Lines the program does not know (comments, other keys and
// sections, blank lines) survive a write untouched.
class TIniFile {
public:
    // Reading stops after this many bytes; such a file is never rewritten.
    static constexpr qint64 MaxFileSize = 1 << 20;

    explicit TIniFile(const QString &path);
    // The text of a file fetched into memory (the update server's version
    // file); name is what FileName() says. Nothing is read from disk.
    TIniFile(const QString &name, const QByteArray &text);

    QString FileName() const { return m_path; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives defaultValue.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // The value is stored verbatim up to its first line break.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // Key names of the section in file order, each once.
    QStringList ReadSection(const QString &section) const;

    // Writes the file back if a write changed it, keeping its mode and owner;
    // true when nothing had to be written. A write-protected file is left as
    // it is. On false, errorString() names the path and the reason.
    bool UpdateFile();
    QString errorString() const { return m_error; }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QString text;
        Kind kind = Kind::Other;
        QString name;   // section or key name, trimmed
        QString value;  // key value, trimmed and unquoted
    };

    static Line parseLine(const QString &text);
    void read(QIODevice &file);
    QByteArray fileText() const;

    // Index of the first header of the section, or -1.
    qsizetype findSection(const QString &section) const;
    // Index after the last line that belongs to the section at header.
    qsizetype sectionEnd(qsizetype header) const;
    // Index of the key's first line in the section, or -1.
    qsizetype findKey(const QString &section, const QString &key) const;

    QString m_path;
    QList<Line> m_lines;
    bool m_crlf = false;
    bool m_bom = false;
    bool m_truncated = false;
    bool m_changed = false;
    QString m_error;
};
