#pragma once
// The JSON contract of quillon-cli (docs/schemas), checked by Debian's
// python3-jsonschema as a script author would check it. One checker process
// (tests/support/schemacheck.py) serves all the documents of a test.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

class SchemaCheck {
public:
    SchemaCheck()
    {
        const QString source = qEnvironmentVariable("SRCDIR");
        m_python.start(QStringLiteral("/usr/bin/python3"),
                       {source + QStringLiteral("/tests/support/schemacheck.py"), source + QStringLiteral("/docs/schemas")});
    }
    ~SchemaCheck()
    {
        m_python.closeWriteChannel();
        m_python.waitForFinished();
    }
    SchemaCheck(const SchemaCheck &) = delete;
    SchemaCheck &operator=(const SchemaCheck &) = delete;

    // What in document does not fit docs/schemas/<name>.schema.json; empty when it fits.
    QString violations(const QString &name, const QByteArray &document)
    {
        if (!m_python.waitForStarted())
            return QStringLiteral("/usr/bin/python3 does not start (scripts/setup installs it with python3-jsonschema)");
        const QJsonObject request{{"schema", name}, {"document", QString::fromUtf8(document)}};
        m_python.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        while (!m_python.canReadLine())
            if (!m_python.waitForReadyRead(60000))
                return QStringLiteral("the schema check gave no answer: ") + QString::fromUtf8(m_python.readAllStandardError());
        QStringList found;
        for (const QJsonValue &v : QJsonDocument::fromJson(m_python.readLine()).array())
            found << v.toString();
        if (found.isEmpty())
            return {};
        return QStringLiteral("%1 (schema %2) in: %3").arg(found.join(QStringLiteral("; ")), name, QString::fromUtf8(document).trimmed());
    }

private:
    QProcess m_python;
};

// One document, checked by a checker of its own.
inline QString schemaViolations(const QString &name, const QByteArray &document) { return SchemaCheck().violations(name, document); }
