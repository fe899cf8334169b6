// Loading a firmware file: the size limit, what the image says about itself,
// how the options panel follows it, and saving a converted image.
#include "image/binsave.h"
#include "image/fileload.h"
#include "tests/image/hextools.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/nonregularfiles.h"

#include <QDir>
#include <QScopeGuard>
#include <QtTest>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

using namespace hextools;

namespace {
struct InfoBlock {
    quint8 time = 0;        // byte 20
    quint8 options = 0x80;  // byte 21
    quint8 exdev = 0;       // byte 30
    quint8 analog = 0;      // byte 31
};

// A binary image with an identification text at 0xFF00 (ended by 0x00), the
// eight date characters at 0xFF07 and the given information block bytes.
QByteArray firmware(int size, const QByteArray &identification, const QByteArray &date, const InfoBlock &block)
{
    QByteArray image = randomBytes(size, 42);
    image.replace(0xFF00, identification.size() + 1, identification + '\0');
    image.replace(0xFF07, date.size(), date);
    image[size - 32 + 20] = char(block.time);
    image[size - 32 + 21] = char(block.options);
    image[size - 32 + 30] = char(block.exdev);
    image[size - 32 + 31] = char(block.analog);
    return image;
}

const QString kBoxesLockedByLoad[] = {"cb470Z", "cbKlemm", "cbRTC", "cbBatt", "cbU230", "cbU24",
                                      "cbAnalog", "cbNetz", "cbMaster", "cbDSfG", "cbPTB"};

CheckBoxModel *box(OptionsModel &panel, const QString &name)
{
    for (CheckBoxModel *b : panel.boxes())
        if (name == QLatin1String(b->name()))
            return b;
    return nullptr;
}
}

class TestFileLoad : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void sizeLimit();
    void unreadableFile_data();
    void unreadableFile();
    void hexByNameOnly_data();
    void hexByNameOnly();
    void infoBlockPresetsPanel_data();
    void infoBlockPresetsPanel();
    void firmwareDate_data();
    void firmwareDate();
    void shortImages();
    void saveOnRightClickOnly();
    void saveFailureIsShown();

private:
    QString write(const QString &name, const QByteArray &bytes) { return writeFile(m_dir, name, bytes); }
    QTemporaryDir m_dir;
};

void TestFileLoad::sizeLimit()
{
    TestStation s;
    const QString previous = write(QStringLiteral("a.bin"), firmware(0x80000, "DSfG", "01122007", {}));
    QCOMPARE(loadFirmwareFile(s.ui, s.image, previous), LoadResult::Loaded);
    QVERIFY(s.options.cb512.checked());
    QCOMPARE(s.image.FileDeviceKind, KrvModel::KRV470);
    const std::vector<quint8> before = s.image.ImageBuffer;

    const QString tooLarge = write(QStringLiteral("big.bin"), QByteArray(0x200000, 'x'));
    QCOMPARE(loadFirmwareFile(s.ui, s.image, tooLarge), LoadResult::TooLarge);
    QCOMPARE(s.ui.messages, QStringList{QStringLiteral("Die Datei ist zu groß!")});
    QCOMPARE(s.ui.captions, QStringList{QStringLiteral("Nachdenken!")});
    // The previous image stays; only the first steps of the load have run.
    QCOMPARE(s.image.ImageSize, 0x80000);
    QVERIFY(s.image.ImageBuffer == before);
    QCOMPARE(s.image.fileName, previous);
    QCOMPARE(s.ui.caption(Control::lbFileName), previous);
    QCOMPARE(s.ui.caption(Control::lbFileInfo), QStringLiteral("Bytes: 524288, 256-Byteblöcke: 2048"));
    QCOMPARE(s.ui.caption(Control::lbDSfGFile), QString());
    QVERIFY(!s.options.cb512.checked());
    QCOMPARE(s.image.FileDeviceKind, KrvModel::None);

    const QString largest = write(QStringLiteral("largest.bin"), QByteArray(0x1FFFFF, 'y'));
    QCOMPARE(loadFirmwareFile(s.ui, s.image, largest), LoadResult::Loaded);
    QCOMPARE(s.image.ImageSize, 0x1FFFFF);
    QCOMPARE(s.ui.caption(Control::lbFileInfo), QStringLiteral("Bytes: 2097151, 256-Byteblöcke: 8191"));
    QCOMPARE(s.ui.messages.size(), 1);
}

void TestFileLoad::unreadableFile_data()
{
    QTest::addColumn<std::optional<NonRegular>>("kind");  // none: a file that is missing
    QTest::newRow("missing") << std::optional<NonRegular>();
    QTest::newRow("FIFO") << std::optional<NonRegular>(NonRegular::Fifo);
    QTest::newRow("device node") << std::optional<NonRegular>(NonRegular::Device);
    QTest::newRow("link to a device node") << std::optional<NonRegular>(NonRegular::LinkToDevice);
}

void TestFileLoad::unreadableFile()
{
    QFETCH(std::optional<NonRegular>, kind);
    const QString path = m_dir.filePath(QStringLiteral("unreadable-%1.bin").arg(QTest::currentDataTag()));
    if (kind && !makeNonRegular(*kind, path))
        QSKIP("device nodes need root");
    // This process keeps the FIFO open for writing: a load that opened it
    // anyway would find it empty instead of waiting for ever.
    const int writer = kind == NonRegular::Fifo ? ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK) : -1;
    const auto closeWriter = qScopeGuard([writer] {
        if (writer >= 0)
            ::close(writer);
    });
    TestStation s;
    QCOMPARE(loadFirmwareFile(s.ui, s.image, path), LoadResult::ReadFailed);
    QCOMPARE(s.ui.messages, QStringList{QStringLiteral("Fehler beim Öffnen!")});
    QCOMPARE(s.ui.captions, QStringList{QStringLiteral("Dateifehler")});
    QCOMPARE(s.ui.caption(Control::lbFileName), QStringLiteral("Keine Datei geöffnet!"));
    QVERIFY(!s.ui.isEnabled(Control::btUpdate));
}

void TestFileLoad::hexByNameOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("converted");
    QTest::newRow(".hex") << "a.hex" << true;
    QTest::newRow(".Hex") << "b.Hex" << true;
    QTest::newRow(".HEX.txt") << "c.HEX.txt" << false;
}

void TestFileLoad::hexByNameOnly()
{
    QFETCH(QString, name);
    QFETCH(bool, converted);
    const QByteArray text = intelHexRecord(0x00, 0, "ABCD") + intelHexRecord(0x01, 0, {});
    TestStation s;
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(name, text)), LoadResult::Loaded);
    QCOMPARE(s.image.ImageSize, converted ? 0x40000 : int(text.size()));
    QCOMPARE(s.ui.caption(Control::lbConv), converted ? QStringLiteral("Konvertiert!") : QString());
    QCOMPARE(s.image.ImageBuffer[0], quint8(converted ? 'A' : ':'));
}

void TestFileLoad::infoBlockPresetsPanel_data()
{
    QTest::addColumn<QByteArray>("identification");
    QTest::addColumn<InfoBlock>("block");
    QTest::addColumn<bool>("rackBefore");  // cb470Z ticked before the load
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("analogInputs");
    QTest::addColumn<QString>("analogCaption");
    QTest::addColumn<QString>("exdevCaption");  // empty: lbExdev hidden
    QTest::addColumn<bool>("ptb");
    QTest::addColumn<bool>("dsfg");

    QTest::newRow("KRV470 DSfG, analog 0xFF") << QByteArray("DSfG") << InfoBlock{0x01, 0x80, 0x00, 0xFF} << false
                                              << 1 << 2 << "2 Analogeingänge" << "" << true << true;
    QTest::newRow("KRV470 DSfG with fifth character") << QByteArray("DSfG1") << InfoBlock{0x10, 0xC3, 0xFF, 0x00} << false
                                                      << 1 << 0 << "Analogeingänge" << "" << false << false;
    QTest::newRow("KRV470 dsfg in lower case") << QByteArray("dsfg") << InfoBlock{0x08, 0xFF, 0x05, 0x02} << false
                                               << 1 << 2 << "2 Analogeingänge" << "5" << true << false;
    QTest::newRow("KRV470Z, 4 inputs") << QByteArray("DSfG") << InfoBlock{0x00, 0xFF, 0xFE, 0x04} << true
                                       << 1 << 4 << "4 Analogeingänge" << "-2" << false << true;
    QTest::newRow("KRV470Z, 3 inputs") << QByteArray("") << InfoBlock{0x00, 0x80, 0x00, 0x03} << true
                                       << 1 << 3 << "X Analogeingänge" << "" << false << false;
    QTest::newRow("KRV470, 4 inputs") << QByteArray("") << InfoBlock{0x00, 0x80, 0x00, 0x04} << false
                                      << 1 << 4 << "2 Analogeingänge" << "" << false << false;
    // The KRV465 unticks cb470Z; its rule re-captions cbAnalog.
    QTest::newRow("KRV465 after a KRV470Z") << QByteArray("V1.0") << InfoBlock{0x00, 0x7F, 0x00, 0x04} << true
                                            << 2 << 4 << "2 Analogeingänge" << "" << true << true;
}

void TestFileLoad::infoBlockPresetsPanel()
{
    QFETCH(QByteArray, identification);
    QFETCH(InfoBlock, block);
    QFETCH(bool, rackBefore);
    QFETCH(int, kind);
    QFETCH(int, analogInputs);
    QFETCH(QString, analogCaption);
    QFETCH(QString, exdevCaption);
    QFETCH(bool, ptb);
    QFETCH(bool, dsfg);

    TestStation s;
    s.options.cb470Z.setChecked(rackBefore);
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("f.bin"), firmware(0x40000, identification, "", block))),
             LoadResult::Loaded);

    QCOMPARE(krvModelNumber(s.image.FileDeviceKind), kind);
    QCOMPARE(int(s.image.FileAnalogInputs), analogInputs);
    QCOMPARE(s.image.FileExdevType, block.exdev);
    QCOMPARE(s.options.cbAnalog.checked(), analogInputs != 0);
    QCOMPARE(s.options.cbAnalog.caption(), analogCaption);
    QCOMPARE(s.options.lbExdev.visible, !exdevCaption.isEmpty());
    if (!exdevCaption.isEmpty())
        QCOMPARE(s.options.lbExdev.caption, exdevCaption);
    QCOMPARE(s.options.cbPTB.checked(), ptb);
    QCOMPARE(s.options.cbDSfG.checked(), dsfg);
    QCOMPARE(s.options.cb465.checked(), kind == 2);
    QVERIFY(!s.options.cb512.checked());
    QCOMPARE(s.ui.caption(Control::lbDSfGFile), QString::fromLatin1(identification));
    for (const QString &name : kBoxesLockedByLoad)
        QVERIFY2(!box(s.options, name)->enabled(), qPrintable(name));
    for (Control control : {Control::btUpdate, Control::sbUpdate, Control::mmUpdate})
        QVERIFY2(s.ui.isEnabled(control), qPrintable(controlName(control)));

    if (kind == 2) {
        QCOMPARE(s.options.lbF4.caption, QStringLiteral("Funktion der 'Doppel-C-Taste'"));
        QVERIFY(!s.options.cb470Z.checked());
        QVERIFY(!s.options.cbKlemm.checked());
        QVERIFY(!s.options.cbBatt.checked());
        QVERIFY(s.options.cbRTC.checked());
    } else {
        QCOMPARE(s.options.lbF4.caption, QStringLiteral("Funktion der F4-Taste"));
        QCOMPARE(s.options.cb470Z.checked(), rackBefore);
    }
}

void TestFileLoad::firmwareDate_data()
{
    QTest::addColumn<QByteArray>("identification");
    QTest::addColumn<QByteArray>("date");  // the characters at 0xFF07..0xFF0E
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("DSfG") << QByteArray("01122007") << 20071201;
    QTest::newRow("leading blanks") << QByteArray("") << QByteArray(" 1 6 206") << 2060601;
    QTest::newRow("digits stop at a letter") << QByteArray("") << QByteArray("1a1b2007") << 20070101;
    QTest::newRow("no digits") << QByteArray("") << QByteArray("xx12abcd") << 1200;
    QTest::newRow("inside a long identification") << QByteArray("KRV470 15062008") << QByteArray() << 20080615;
}

void TestFileLoad::firmwareDate()
{
    QFETCH(QByteArray, identification);
    QFETCH(QByteArray, date);
    QFETCH(int, expected);
    TestStation s;
    QCOMPARE(s.image.FileFwDate, 20060000);
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("d.bin"), firmware(0x40000, identification, date, {}))),
             LoadResult::Loaded);
    QCOMPARE(s.image.FileFwDate, expected);
}

void TestFileLoad::shortImages()
{
    // Too short for an information block: loads, says nothing about itself.
    TestStation s;
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("tiny.bin"), QByteArray(20, '\x80'))), LoadResult::Loaded);
    QCOMPARE(s.image.ImageSize, 20);
    QVERIFY(!s.image.hasInfoBlock());
    QVERIFY(!s.image.hasIdentification());
    QCOMPARE(s.image.FileFwDate, 0);
    QCOMPARE(s.image.FileDeviceKind, KrvModel::None);
    QCOMPARE(s.image.FileAnalogInputs, quint8(0));
    QCOMPARE(s.ui.caption(Control::lbFileInfo), QStringLiteral("Bytes: 20, 256-Byteblöcke: 0"));
    QCOMPARE(s.ui.caption(Control::lbDSfGFile), QString());

    // Ends inside the identification area: the text is cut at the image's end.
    QByteArray cut = firmware(0x40000, "DSfGtail", "01122007", {0, 0x80, 0, 0}).left(0xFF05);
    cut.replace(cut.size() - 32 + 21, 1, "\x80");
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("cut.bin"), cut)), LoadResult::Loaded);
    QVERIFY(s.image.hasInfoBlock());
    QVERIFY(!s.image.hasIdentification());
    QCOMPARE(s.ui.caption(Control::lbDSfGFile), QStringLiteral("DSfGt"));
    QCOMPARE(s.image.FileDeviceKind, KrvModel::KRV470);
    QVERIFY(!s.options.cbDSfG.checked());
    QCOMPARE(s.image.FileFwDate, 0);

    // Just long enough for the date (its last bytes double as the information block).
    const QByteArray full = firmware(0x40000, "DSfG", "01122007", {}).left(0xFF0F);
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("full.bin"), full)), LoadResult::Loaded);
    QVERIFY(s.image.hasIdentification());
    QCOMPARE(s.image.FileFwDate, 20071201);
}

void TestFileLoad::saveOnRightClickOnly()
{
    TestStation s;
    const QString hex = write(QStringLiteral("fw.hex"), intelHexRecord(0x00, 0x10, "ABCD", "\n") + intelHexRecord(0x01, 0, {}, "\n"));
    QCOMPARE(loadFirmwareFile(s.ui, s.image, hex), LoadResult::Loaded);
    const QString bin = m_dir.filePath(QStringLiteral("fw.BIN"));

    lbConvMouseDown(s.ui, s.image, Qt::LeftButton);
    lbConvMouseDown(s.ui, s.image, Qt::MiddleButton);
    QVERIFY(!QFile::exists(bin));
    QCOMPARE(s.image.fileName, hex);

    lbConvMouseDown(s.ui, s.image, Qt::RightButton);
    QByteArray expected(0x40000, char(0xFF));
    expected.replace(0x10, 4, "ABCD");
    QVERIFY(readFile(bin) == expected);
    QCOMPARE(s.image.fileName, m_dir.filePath(QStringLiteral("fw.HEX")));

    // A binary file is not saved anywhere.
    QStringList expectedFiles = QDir(m_dir.path()).entryList(QDir::Files) << QStringLiteral("plain.bin");
    expectedFiles.sort();
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("plain.bin"), QByteArray(64, 'p'))), LoadResult::Loaded);
    lbConvMouseDown(s.ui, s.image, Qt::RightButton);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), expectedFiles);
}

void TestFileLoad::saveFailureIsShown()
{
    TestStation s;
    QCOMPARE(loadFirmwareFile(s.ui, s.image, write(QStringLiteral("blocked.hex"), ":00000001FF\r\n")), LoadResult::Loaded);
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("blocked.BIN")));  // a folder where the file should go
    lbConvMouseDown(s.ui, s.image, Qt::RightButton);
    QCOMPARE(s.ui.status(1), QStringLiteral("Fehler beim Schreiben von %1").arg(m_dir.filePath(QStringLiteral("blocked.BIN"))));
}

QTEST_GUILESS_MAIN(TestFileLoad)
#include "tst_fileload.moc"
