#include "settings/inifile.h"

#include "settings/regularfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <limits>
#include <optional>

namespace {

// Old hand-edited files may hold Latin-1 text; decide per line so one such
// line does not garble the rest.
QString decodeLine(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool allDigits(QStringView text, int base)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool hexLetter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!digit && !(base == 16 && hexLetter))
            return false;
    }
    return true;
}

// The platform's string-to-integer conversion: an optional sign, then decimal
// digits or "$"/"0x" and up to 32 bits of hex digits (which may wrap negative).
std::optional<int> toInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    qint64 value = 0;
    if (text.startsWith(u'$') || text.startsWith(u"0x", Qt::CaseInsensitive)) {
        text = text.mid(text.front() == u'$' ? 1 : 2);
        bool ok = allDigits(text, 16);
        const qulonglong bits = ok ? text.toULongLong(&ok, 16) : 0;
        if (!ok || bits > 0xFFFFFFFFu)
            return std::nullopt;
        value = qint32(quint32(bits));
    } else {
        bool ok = allDigits(text, 10);
        value = ok ? text.toLongLong(&ok) : 0;
        if (!ok)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

}  // namespace

TIniFile::TIniFile(const QString &path) : m_path(path)
{
    QFile file;
    if (openRegularFile(file, m_path).isEmpty())  // a missing or unreadable file reads as empty
        read(file);
}

TIniFile::TIniFile(const QString &name, const QByteArray &text) : m_path(name)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    read(buffer);
}

TIniFile::Line TIniFile::parseLine(const QString &text)
{
    Line line;
    line.text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return line;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = trimmed.mid(1, close - 1).trimmed();
        }
        return line;
    }
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals <= 0)
        return line;
    line.name = trimmed.left(equals).trimmed();
    if (line.name.isEmpty())
        return line;
    line.kind = Kind::Key;
    // A stray CR ends the value, as it would end a written one: what the
    // program reads is what it can write back.
    line.value = trimmed.mid(equals + 1).section(u'\r', 0, 0).trimmed();
    if (line.value.size() >= 2 && line.value.startsWith(u'"') && line.value.endsWith(u'"'))
        line.value = line.value.mid(1, line.value.size() - 2);
    return line;
}

void TIniFile::read(QIODevice &file)
{
    QByteArray bytes = file.read(MaxFileSize);
    m_truncated = !file.atEnd();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        bytes.remove(0, 3);
    }
    const qsizetype firstBreak = bytes.indexOf('\n');
    m_crlf = firstBreak > 0 && bytes.at(firstBreak - 1) == '\r';

    QList<QByteArray> pieces = bytes.split('\n');
    // After a final line break comes nothing; after the size limit comes a cut line.
    if (bytes.endsWith('\n') || m_truncated)
        pieces.removeLast();
    m_lines.reserve(pieces.size());
    for (QByteArray &piece : pieces) {
        if (piece.endsWith('\r'))
            piece.chop(1);
        m_lines.append(parseLine(decodeLine(piece)));
    }
}

qsizetype TIniFile::findSection(const QString &section) const
{
    const QString name = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && m_lines[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype TIniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype TIniFile::findKey(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return -1;
    const QString name = key.trimmed();
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && m_lines[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const qsizetype i = findKey(section, key);
    return i < 0 ? defaultValue : m_lines[i].value;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    return toInteger(ReadString(section, key, QString())).value_or(defaultValue);
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    // A line break would end the line early and could smuggle in other keys.
    qsizetype cut = 0;
    while (cut < value.size() && value[cut] != u'\r' && value[cut] != u'\n')
        ++cut;
    const QString stored = value.left(cut);
    const qsizetype existing = findKey(section, key);
    if (existing >= 0) {
        if (m_lines[existing].value == stored)
            return;
        m_lines[existing] = parseLine(m_lines[existing].name + u'=' + stored);
        m_changed = true;
        return;
    }
    const Line keyLine = parseLine(key.trimmed() + u'=' + stored);
    const qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(parseLine(u'[' + section.trimmed() + u']'));
        m_lines.append(keyLine);
    } else {
        qsizetype at = sectionEnd(header);
        while (at > header + 1 && m_lines[at - 1].text.trimmed().isEmpty())
            --at;
        m_lines.insert(at, keyLine);
    }
    m_changed = true;
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return findSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return findKey(section, key) >= 0;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    const qsizetype header = findSection(section);
    if (header < 0)
        return keys;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && !keys.contains(m_lines[i].name, Qt::CaseInsensitive))
            keys.append(m_lines[i].name);
    }
    return keys;
}

QByteArray TIniFile::fileText() const
{
    const QByteArray lineEnd = m_crlf ? "\r\n" : "\n";
    QByteArray text = m_bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const Line &line : m_lines)
        text += line.text.toUtf8() + lineEnd;
    return text;
}

bool TIniFile::UpdateFile()
{
    m_error.clear();
    if (!m_changed)
        return true;
    const QString shownPath = QDir::toNativeSeparators(m_path);
    if (m_truncated) {
        // Only the first part was read; writing it back would cut off the rest.
        m_error = QStringLiteral("%1 ist größer als %2 Bytes und bleibt unverändert.").arg(shownPath).arg(MaxFileSize);
        return false;
    }
    if (isWriteProtected(m_path)) {
        m_error = QStringLiteral("%1 ist schreibgeschützt und bleibt unverändert.").arg(shownPath);
        return false;
    }
    // A missing folder is made here; if that fails, the write below says why.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_error = writeFileAtomically(m_path, fileText(), Replace::RegularFile);
    if (!m_error.isEmpty())
        return false;
    m_changed = false;
    return true;
}
