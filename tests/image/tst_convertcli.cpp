// quillon-cli convert as a script uses it: real process, real files.
#include "tests/image/hextools.h"
#include "tests/support/cliprocess.h"
#include "tests/support/nonregularfiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace hextools;

Q_DECLARE_METATYPE(NonRegular)

namespace {
// A 256 KiB KRV470 image with DSfG, dated 2007-12-01, 4 analog inputs, EXDEV 3.
QByteArray krv470Image()
{
    QByteArray image = randomBytes(0x30000, 77);
    image.replace(0xFF00, 15, QByteArray("DSfG\0\0\0" "01122007", 15));
    image.resize(0x40000, char(0xFF));
    image[0x40000 - 32 + 21] = char(0x80);
    image[0x40000 - 32 + 30] = char(3);
    image[0x40000 - 32 + 31] = char(4);
    return image;
}
}

class TestConvertCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY(m_dir.isValid());
    }

    void writesTheImageAndItsFacts()
    {
        REQUIRE_TOOL("srec_cat");
        const QString hex = srecHex(m_dir, QStringLiteral("fw.hex"), {{0x170000, krv470Image().left(0x10000)},
                                                                      {0x10000, krv470Image().mid(0x10000)}}, true);
        QVERIFY(!hex.isEmpty());
        const QString out = m_dir.filePath(QStringLiteral("fw.out"));

        const CliRun json = runQuillonCli({QStringLiteral("--json"), QStringLiteral("convert"), hex, out});
        QCOMPARE(json.exitCode, 0);
        QVERIFY(readFile(out) == krv470Image());
        const QJsonObject o = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(o, (QJsonObject{{"schema", 1}, {"size", 0x40000}, {"identification", "DSfG"}, {"buildDate", "2007-12-01"},
                                 {"model", "KRV470"}, {"analogInputs", 4}, {"exdevType", 3}, {"output", QFileInfo(out).absoluteFilePath()},
                                 {"error", QJsonValue::Null}}));

        const CliRun text = runQuillonCli({QStringLiteral("convert"), hex, out});
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(QString::fromUtf8(text.out), QStringLiteral("Bytes: 262144, 256-Byteblöcke: 1024\nFirmware-Datum: 20071201\nGerät: 1 (KRV470)\n"));
    }

    void refusesWithTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QByteArray badSum = intelHexRecord(0x00, 0, "ABCD");
        badSum[9] = 'F';
        QTest::newRow("checksum") << "sum.hex" << intelHexRecord(0x00, 0x10, "xy") + badSum + intelHexRecord(0x01, 0, {})
                                  << "Fehler!!!! Prüfsummenfehler in Zeile 2";
        QTest::newRow("outside the image") << "far.hex"
                                           << intelHexRecord(0x04, 0, QByteArray::fromHex("0009")) + intelHexRecord(0x00, 0, "x")
                                                  + intelHexRecord(0x01, 0, {})
                                           << "Adresse 0x090000 liegt außerhalb des Abbilds (Zeile 2)";
        QTest::newRow("other data over placed data")
            << "twice.hex"
            << intelHexRecord(0x04, 0, QByteArray::fromHex("0001")) + intelHexRecord(0x00, 0x0010, "ab")
                   + intelHexRecord(0x04, 0, QByteArray::fromHex("0017")) + intelHexRecord(0x00, 0x0010, "ab")
                   + intelHexRecord(0x04, 0, QByteArray::fromHex("0000")) + intelHexRecord(0x00, 0x0010, "aX")
                   + intelHexRecord(0x01, 0, {})
            << "Fehler!!!! Adresse 0x000011 ist schon mit anderen Daten belegt (Zeile 6)";
        QTest::newRow("too large") << "big.hex" << QByteArray(0x200000, '\n') << "Die Datei ist zu groß!";
        QTest::newRow("not a HEX file") << "fw.bin" << QByteArray("x") << "keine Intel-HEX-Datei";
    }

    void refusesWithTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString out = m_dir.filePath(name + QStringLiteral(".out"));
        const CliRun run = runQuillonCli({QStringLiteral("--json"), QStringLiteral("convert"), writeFile(m_dir, name, content), out});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(reason), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(out));
    }

    // The converted image replaces an earlier file, never a FIFO or a device.
    void outputOnlyIntoARegularFile_data()
    {
        QTest::addColumn<NonRegular>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << NonRegular::Fifo << "ist eine FIFO (benannte Pipe), keine normale Datei";
        QTest::newRow("device node") << NonRegular::Device << "ist eine Gerätedatei, keine normale Datei";
    }

    void outputOnlyIntoARegularFile()
    {
        QFETCH(NonRegular, kind);
        QFETCH(QString, reason);
        const QString out = m_dir.filePath(QStringLiteral("out-%1.bin").arg(QTest::currentDataTag()).replace(u' ', u'-'));
        if (!makeNonRegular(kind, out))
            QSKIP("device nodes need root");
        const char before = typeAt(out);
        const QString hex = writeFile(m_dir, QStringLiteral("fw.hex"), intelHexRecord(0x00, 0, "x") + intelHexRecord(0x01, 0, {}));
        const CliRun run = runQuillonCli({QStringLiteral("convert"), hex, out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("\nconvert: Ausgabe nicht geschrieben: %1: %2\n").arg(out, reason)),
                 run.err.constData());
        QCOMPARE(typeAt(out), before);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestConvertCli)
#include "tst_convertcli.moc"
