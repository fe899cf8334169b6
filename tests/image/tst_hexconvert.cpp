// Intel-HEX files made by srec_cat and objcopy become the image those tools
// read from them; faulty or unplaceable files are refused, never cut.
#include "image/fileload.h"
#include "image/hexreader.h"
#include "tests/image/hextools.h"
#include "tests/support/fakefrontend.h"

#include <QtTest>

using namespace hextools;

namespace {
QByteArray imageBytes(const FirmwareImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.ImageBuffer.data()), image.ImageSize);
}
}

class TestHexConvert : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void equalsWhatSrecCatReads_data();
    void equalsWhatSrecCatReads();
    void objcopySegmentRecords();
    void flashWindowMapsToStart();
    void sizeFollowsTextLength_data();
    void sizeFollowsTextLength();
    void skippedRecordTypes();
    void refusedFiles_data();
    void refusedFiles();
    void readerTakesAnyPieces();

private:
    QTemporaryDir m_dir;
};

void TestHexConvert::equalsWhatSrecCatReads_data()
{
    QTest::addColumn<QList<Chunk>>("chunks");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<int>("size");

    QTest::newRow("one block, LF") << QList<Chunk>{{0, randomBytes(100000, 1)}} << false << 0x40000;
    QTest::newRow("gaps, CR LF") << QList<Chunk>{{0x100, randomBytes(3000, 2)}, {0x12345, randomBytes(777, 3)}, {0x3FF00, randomBytes(256, 4)}}
                                 << true << 0x40000;
    // A small file whose data reach above 256 KiB keeps them: 512 KiB image.
    QTest::newRow("data above 256 KiB") << QList<Chunk>{{0, randomBytes(16, 5)}, {0x7F000, randomBytes(4096, 6)}} << false << 0x80000;
    QTest::newRow("one byte at 0x40000") << QList<Chunk>{{0x40000, QByteArray(1, 0x5A)}} << true << 0x80000;
    QTest::newRow("crossing 0x40000") << QList<Chunk>{{0x3FFF8, randomBytes(16, 7)}} << false << 0x80000;
    QTest::newRow("full 512 KiB") << QList<Chunk>{{0, randomBytes(0x80000, 8)}} << true << 0x80000;
}

void TestHexConvert::equalsWhatSrecCatReads()
{
    REQUIRE_TOOL("srec_cat");
    QFETCH(QList<Chunk>, chunks);
    QFETCH(bool, crlf);
    QFETCH(int, size);

    const QString hex = srecHex(m_dir, QStringLiteral("f.hex"), chunks, crlf);
    QVERIFY(!hex.isEmpty());
    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, hex), LoadResult::Loaded);
    QCOMPARE(station.image.ImageSize, size);
    QCOMPARE(station.ui.caption(Control::lbConv), QStringLiteral("Konvertiert!"));
    QVERIFY(station.ui.statusHistory.contains(QStringLiteral("0:Konvertiere HEX nach BIN!")));

    const QByteArray expected = srecImage(hex, size);
    QCOMPARE(expected.size(), size);
    QVERIFY(imageBytes(station.image) == expected);
    // The gap right behind the first block is erased flash.
    const quint32 gap = chunks[0].address + quint32(chunks[0].bytes.size());
    if (gap < quint32(size))
        QCOMPARE(station.image.ImageBuffer[gap], quint8(0xFF));
}

void TestHexConvert::objcopySegmentRecords()
{
    // objcopy addresses data between 64 KiB and 1 MiB with segment records (type 02).
    REQUIRE_TOOL("objcopy");
    REQUIRE_TOOL("srec_cat");
    const QString hex = objcopyHex(m_dir, QStringLiteral("o.hex"), {0x12340, randomBytes(70000, 9)});
    QVERIFY(!hex.isEmpty());
    QVERIFY(readFile(hex).contains(":02000002"));

    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, hex), LoadResult::Loaded);
    QCOMPARE(station.image.ImageSize, 0x40000);
    QVERIFY(imageBytes(station.image) == srecImage(hex, 0x40000));
}

void TestHexConvert::flashWindowMapsToStart()
{
    REQUIRE_TOOL("srec_cat");
    const QByteArray low = randomBytes(0x8000, 10);
    const QByteArray high = randomBytes(0x300, 11);
    // Upper address 0x17 belongs at the start of the image, 0x01 where it says.
    const QString hex = srecHex(m_dir, QStringLiteral("w.hex"), {{0x170100, low}, {0x010100, high}}, true);
    QVERIFY(!hex.isEmpty());
    QVERIFY(readFile(hex).contains(":020000040017E3"));
    const QString plain = srecHex(m_dir, QStringLiteral("p.hex"), {{0x0100, low}, {0x010100, high}}, true);

    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, hex), LoadResult::Loaded);
    QCOMPARE(station.image.ImageSize, 0x40000);
    QVERIFY(imageBytes(station.image) == srecImage(plain, 0x40000));
    QCOMPARE(station.image.ImageBuffer[0xFF], quint8(0xFF));
    QCOMPARE(station.image.ImageBuffer[0x100], quint8(low[0]));
    QCOMPARE(station.image.ImageBuffer[0x10100], quint8(high[0]));
}

void TestHexConvert::sizeFollowsTextLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("size");
    QTest::newRow("0xFFFFF bytes") << 0xFFFFF << 0x40000;
    QTest::newRow("0x100000 bytes") << 0x100000 << 0x80000;
}

void TestHexConvert::sizeFollowsTextLength()
{
    REQUIRE_TOOL("srec_cat");
    QFETCH(int, length);
    QFETCH(int, size);
    // Data low in memory; the text is brought to its length by line ends
    // behind the end-of-file record, which the conversion never reads.
    const QString hex = srecHex(m_dir, QStringLiteral("l.hex"), {{0x200, randomBytes(50000, 12)}}, true);
    QVERIFY(!hex.isEmpty());
    QByteArray text = readFile(hex);
    const QByteArray reference = srecImage(hex, size);
    text.append(QByteArray(length - text.size(), '\n'));
    const QString padded = writeFile(m_dir, QStringLiteral("padded.hex"), text);

    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, padded), LoadResult::Loaded);
    QCOMPARE(station.image.ImageSize, size);
    QVERIFY(imageBytes(station.image) == reference);
    QCOMPARE(station.options.cb512.checked(), size == 0x80000);
}

void TestHexConvert::skippedRecordTypes()
{
    const QByteArray data = randomBytes(32, 13);
    QByteArray text = intelHexRecord(0x04, 0, QByteArray::fromHex("0001"));
    text += intelHexRecord(0x00, 0x0010, data.left(16));
    text += intelHexRecord(0x03, 0, QByteArray::fromHex("12345678"));          // start segment address
    text += intelHexRecord(0x05, 0, QByteArray::fromHex("00170000"), "\n");    // start linear address
    text += intelHexRecord(0x00, 0x0020, data.mid(16));
    text += intelHexRecord(0x01, 0, {}, "");  // no line end needed after the last record

    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, writeFile(m_dir, QStringLiteral("s.hex"), text)), LoadResult::Loaded);
    QCOMPARE(station.image.ImageSize, 0x40000);
    QByteArray expected(0x40000, char(0xFF));
    expected.replace(0x10010, 32, data);
    QVERIFY(imageBytes(station.image) == expected);
}

void TestHexConvert::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("status");

    const QByteArray good = intelHexRecord(0x00, 0, QByteArray(16, 'x'));
    const QByteArray end = intelHexRecord(0x01, 0, {});
    QByteArray badSum = intelHexRecord(0x00, 0x10, QByteArray(16, 'y'));
    badSum[10] = badSum[10] == '0' ? '1' : '0';  // one data digit changed

    QTest::newRow("checksum") << good + good + badSum + end << QStringLiteral("Prüfsummenfehler in Zeile 3");
    QTest::newRow("no end record") << good + good << QStringLiteral("Kein Dateiende-Satz bis Zeile 3");
    QTest::newRow("upper address 0x20")
        << good + intelHexRecord(0x04, 0, QByteArray::fromHex("0020")) + intelHexRecord(0x00, 0x1234, "z") + end
        << QStringLiteral("Adresse 0x201234 liegt außerhalb des Abbilds (Zeile 3)");
    QTest::newRow("data at 0x80000")
        << intelHexRecord(0x04, 0, QByteArray::fromHex("0008")) + intelHexRecord(0x00, 0x0000, "z") + end
        << QStringLiteral("Adresse 0x080000 liegt außerhalb des Abbilds (Zeile 2)");
    QTest::newRow("data running past 512 KiB")
        << intelHexRecord(0x04, 0, QByteArray::fromHex("0007")) + intelHexRecord(0x00, 0xFFF8, QByteArray(16, 'z')) + end
        << QStringLiteral("Adresse 0x07FFF8 liegt außerhalb des Abbilds (Zeile 2)");
    // The record's end lies past 4 GiB: it must not wrap round into the image.
    QTest::newRow("data running past 4 GiB")
        << good + intelHexRecord(0x04, 0, QByteArray::fromHex("FFFF")) + intelHexRecord(0x00, 0xFFF8, QByteArray(16, 'z')) + end
        << QStringLiteral("Adresse 0xFFFFFFF8 liegt außerhalb des Abbilds (Zeile 3)");
    QTest::newRow("last byte at 4 GiB - 1")
        << intelHexRecord(0x04, 0, QByteArray::fromHex("FFFF")) + intelHexRecord(0x00, 0xFFFF, "z") + end
        << QStringLiteral("Adresse 0xFFFFFFFF liegt außerhalb des Abbilds (Zeile 2)");
    QTest::newRow("CR alone") << good.chopped(1) + end << QStringLiteral("Formatfehler in Zeile 1");
    QTest::newRow("text after checksum") << good.chopped(2) + " \r\n" + end << QStringLiteral("Formatfehler in Zeile 1");
    QTest::newRow("blank line") << good + "\r\n" + end << QStringLiteral("Formatfehler in Zeile 2");
    QTest::newRow("not a hex digit") << good + QByteArray(good).replace(3, 1, "G") + end << QStringLiteral("Formatfehler in Zeile 2");
    // The later record's line is named, at its first byte that differs: the
    // same bytes again pass.
    QTest::newRow("other bytes over placed ones")
        << good + intelHexRecord(0x00, 0x0008, "xxxY") + end << QStringLiteral("Adresse 0x00000B ist schon mit anderen Daten belegt (Zeile 2)");
    QTest::newRow("other bytes through the 0x17 window")
        << good + intelHexRecord(0x04, 0, QByteArray::fromHex("0017")) + intelHexRecord(0x00, 0x000F, "z") + end
        << QStringLiteral("Adresse 0x17000F ist schon mit anderen Daten belegt (Zeile 3)");
    QTest::newRow("short address record") << intelHexRecord(0x04, 0, QByteArray::fromHex("01")) + end
                                          << QStringLiteral("Formatfehler in Zeile 1");
}

void TestHexConvert::refusedFiles()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, status);

    TestStation station;
    QCOMPARE(loadFirmwareFile(station.ui, station.image, writeFile(m_dir, QStringLiteral("r.hex"), text)),
             LoadResult::ConversionFailed);
    QCOMPARE(station.image.ImageSize, 0);
    QCOMPARE(station.ui.caption(Control::lbConv), QStringLiteral("Fehler!!!!"));
    QCOMPARE(station.ui.status(1), status);
    QCOMPARE(station.ui.caption(Control::lbFileInfo), QStringLiteral("Bytes: 0, 256-Byteblöcke: 0"));
}

void TestHexConvert::readerTakesAnyPieces()
{
    REQUIRE_TOOL("srec_cat");
    const QString hex = srecHex(m_dir, QStringLiteral("c.hex"), {{0x170000, randomBytes(5000, 14)}, {0x30000, randomBytes(999, 15)}}, true);
    const QByteArray text = readFile(hex);
    QVERIFY(!text.isEmpty());

    auto readAll = [&text](int pieceSize, QList<QByteArray> &records) {
        HexReader reader([&records](const HexRecord &r) {
            QByteArray bytes(reinterpret_cast<const char *>(r.data.data()), r.data.size());
            records.append(QByteArray::number(r.line) + ':' + QByteArray::number(r.type) + ':' + QByteArray::number(r.address) + ':' + bytes);
            return true;
        });
        reader.begin();
        for (qsizetype at = 0; at < text.size(); at += pieceSize)
            reader.feed(QByteArrayView(text).sliced(at, std::min<qsizetype>(pieceSize, text.size() - at)));
        return reader.end();
    };
    QList<QByteArray> whole, pieces;
    QCOMPARE(readAll(int(text.size()), whole), HexReader::Result::EndOfFile);
    QCOMPARE(readAll(7, pieces), HexReader::Result::EndOfFile);
    QVERIFY(whole.size() > 100);
    QCOMPARE(pieces, whole);
}

QTEST_GUILESS_MAIN(TestHexConvert)
#include "tst_hexconvert.moc"
