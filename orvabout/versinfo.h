#pragma once
#include <QObject>
#include <QString>

// The running program's version data as eleven read-only texts: on Windows
// the executable's version resource, elsewhere the same data built into the
// program (see versinfo_posix.cpp). Without that data all eleven texts are
// empty; a missing or empty entry reads as "No <key>".
class TVersInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString LangCharset READ LangCharset CONSTANT)
    Q_PROPERTY(QString CompanyName READ CompanyName CONSTANT)
    Q_PROPERTY(QString FileDescription READ FileDescription CONSTANT)
    Q_PROPERTY(QString FileVersion READ FileVersion CONSTANT)
    Q_PROPERTY(QString InternalName READ InternalName CONSTANT)
    Q_PROPERTY(QString LegalCopyright READ LegalCopyright CONSTANT)
    Q_PROPERTY(QString LegalTrademarks READ LegalTrademarks CONSTANT)
    Q_PROPERTY(QString OriginalFilename READ OriginalFilename CONSTANT)
    Q_PROPERTY(QString ProductName READ ProductName CONSTANT)
    Q_PROPERTY(QString ProductVersion READ ProductVersion CONSTANT)
    Q_PROPERTY(QString Comments READ Comments CONSTANT)
public:
    explicit TVersInfo(QObject *owner = nullptr);
    // Reads the version data of another file: a program or library on
    // Windows, an INI text of the built-in form elsewhere.
    TVersInfo(const QString &source, QObject *owner);

    QString LangCharset() const { return m_values[0]; }
    QString CompanyName() const { return m_values[1]; }
    QString FileDescription() const { return m_values[2]; }
    QString FileVersion() const { return m_values[3]; }
    QString InternalName() const { return m_values[4]; }
    QString LegalCopyright() const { return m_values[5]; }
    QString LegalTrademarks() const { return m_values[6]; }
    QString OriginalFilename() const { return m_values[7]; }
    QString ProductName() const { return m_values[8]; }
    QString ProductVersion() const { return m_values[9]; }
    QString Comments() const { return m_values[10]; }

private:
    void read(const QString &source);

    QString m_values[11];
};
