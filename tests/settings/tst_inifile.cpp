#include "settings/inifile.h"
#include "tests/support/nonregularfiles.h"
#include "tests/support/withoutaccessoverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

enum class Obstacle { FolderIsAFile, ReadOnlyFolder, DiskFull };
}  // namespace

Q_DECLARE_METATYPE(Obstacle)

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readsLikeThePlatform_data();
    void readsLikeThePlatform();
    void listsSectionsAndKeys();
    void readsLineEndingsAndEncodings_data();
    void readsLineEndingsAndEncodings();
    void readInteger_data();
    void readInteger();
    void writeKeepsTheOtherLines_data();
    void writeKeepsTheOtherLines();
    void nothingChangedWritesNothing();
    void unwritablePathFailsAndKeepsTheFile_data();
    void unwritablePathFailsAndKeepsTheFile();
    void oversizedFileIsReadInPartAndNeverRewritten();
    void deviceNodeIsNeitherReadNorReplaced();
    void rewriteKeepsModeAndOwner_data();
    void rewriteKeepsModeAndOwner();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

static const QByteArray SampleFile =
    "; Einstellungen\n"
    "top=outside\n"
    "[Connection]\n"
    "  COM  =  COM3  \n"
    "IP=\"10.0.0.1\"\n"
    "Port = \"8000\n"
    "Empty=\n"
    "# Name=commented\n"
    "ip=second\n"
    "noequals\n"
    "[ Code ]\n"
    "FW=2\n";

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::readsLikeThePlatform_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("names in other case and blanks") << " connection " << "com " << "COM3";
    QTest::newRow("quotes removed, first occurrence wins") << "CONNECTION" << "IP" << "10.0.0.1";
    QTest::newRow("unmatched quote kept") << "Connection" << "Port" << "\"8000";
    QTest::newRow("empty value is no default") << "Connection" << "Empty" << "";
    QTest::newRow("comment is no key") << "Connection" << "# Name" << "DEF";
    QTest::newRow("line without equals is no key") << "Connection" << "noequals" << "DEF";
    QTest::newRow("key before any section") << "" << "top" << "DEF";
    QTest::newRow("blanks inside the brackets") << "code" << "fw" << "2";
    QTest::newRow("missing section") << "File" << "Name" << "DEF";
}

void TestIniFile::readsLikeThePlatform()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    writeBytes(path("q.INI"), SampleFile);
    const TIniFile ini(path("q.INI"));
    QCOMPARE(ini.ReadString(section, key, QStringLiteral("DEF")), expected);
    QCOMPARE(ini.ValueExists(section, key), expected != u"DEF");
}

void TestIniFile::listsSectionsAndKeys()
{
    writeBytes(path("q.INI"), SampleFile);
    const TIniFile ini(path("q.INI"));
    QCOMPARE(ini.ReadSection(QStringLiteral("connection")), (QStringList{"COM", "IP", "Port", "Empty"}));
    QVERIFY(ini.SectionExists(QStringLiteral("CODE")));
    QVERIFY(!ini.SectionExists(QStringLiteral("File")));
    QCOMPARE(ini.ReadSection(QStringLiteral("File")), QStringList());
}

void TestIniFile::readsLineEndingsAndEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("LF") << QByteArray("[File]\nName=Zähler.hex\nFilter=1\n");
    QTest::newRow("CR LF") << QByteArray("[File]\r\nName=Zähler.hex\r\nFilter=1\r\n");
    QTest::newRow("BOM, CR LF") << QByteArray("\xEF\xBB\xBF[File]\r\nName=Zähler.hex\r\nFilter=1\r\n");
    QTest::newRow("Latin-1 line") << QByteArray("[File]\r\nName=Z\xE4hler.hex\r\nFilter=1\r\n");
    QTest::newRow("no final line break") << QByteArray("[File]\nFilter=1\nName=Zähler.hex");
    QTest::newRow("stray CR ends the value") << QByteArray("[File]\r\nName=Zähler.hex\r\x13x=1\r\nFilter=1\r\n");
}

void TestIniFile::readsLineEndingsAndEncodings()
{
    QFETCH(QByteArray, bytes);

    writeBytes(path("q.INI"), bytes);
    const TIniFile ini(path("q.INI"));
    QCOMPARE(ini.ReadString(QStringLiteral("File"), QStringLiteral("Name"), QString()), QStringLiteral("Zähler.hex"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("File"), QStringLiteral("Filter"), 0), 1);
}

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("decimal") << QByteArray("12") << 12;
    QTest::newRow("blanks") << QByteArray("  12\t") << 12;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("leading zeros") << QByteArray("000000000012") << 12;
    QTest::newRow("0x") << QByteArray("0x1F") << 31;
    QTest::newRow("dollar") << QByteArray("$10") << 16;
    QTest::newRow("32 hex bits wrap") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483648LL);
    QTest::newRow("too large") << QByteArray("2147483648") << 7;
    QTest::newRow("trailing letter") << QByteArray("12a") << 7;
    QTest::newRow("fraction") << QByteArray("1.5") << 7;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 7;
    QTest::newRow("empty") << QByteArray("") << 7;
}

void TestIniFile::readInteger()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);

    writeBytes(path("q.INI"), "[Code]\nFW=" + text + "\n");
    const TIniFile ini(path("q.INI"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("Code"), QStringLiteral("FW"), 7), expected);
}

void TestIniFile::writeKeepsTheOtherLines_data()
{
    QTest::addColumn<QByteArray>("eol");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
}

void TestIniFile::writeKeepsTheOtherLines()
{
    QFETCH(QByteArray, eol);
    const auto text = [&](QByteArray lines) { return lines.replace("|", eol); };

    writeBytes(path("q.INI"), text("; Einstellungen|[connection]|port = 9000|Extra=keep||[Other]|x=1|"));
    TIniFile ini(path("q.INI"));
    ini.WriteString(QStringLiteral("Connection"), QStringLiteral("PORT"), QStringLiteral("8001"));
    ini.WriteString(QStringLiteral("Connection"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    ini.WriteInteger(QStringLiteral("Code"), QStringLiteral("FW"), 3);
    // A line break ends the value: it must not smuggle in a section.
    ini.WriteString(QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("ä.hex\r\n[File]\nx=2"));
    ini.WriteInteger(QStringLiteral("Other"), QStringLiteral("x"), 1);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));

    QCOMPARE(readBytes(path("q.INI")),
             text("; Einstellungen|[connection]|port=8001|Extra=keep|IP=127.0.0.1||[Other]|x=1|[Code]|FW=3|Name=ä.hex|"));
    const TIniFile again(path("q.INI"));
    QCOMPARE(again.ReadString(QStringLiteral("Connection"), QStringLiteral("Port"), QString()), QStringLiteral("8001"));
    QCOMPARE(again.ReadString(QStringLiteral("Code"), QStringLiteral("Name"), QString()), QStringLiteral("ä.hex"));
}

void TestIniFile::nothingChangedWritesNothing()
{
    writeBytes(path("q.INI"), "[File]\r\nName = \"x.hex\"\r\n");
    TIniFile ini(path("q.INI"));
    ini.WriteString(QStringLiteral("file"), QStringLiteral("NAME"), QStringLiteral("x.hex"));
    // Had it written, the file would be back.
    QVERIFY(QFile::remove(path("q.INI")));
    QVERIFY(ini.UpdateFile());
    QVERIFY(!QFile::exists(path("q.INI")));
}

void TestIniFile::unwritablePathFailsAndKeepsTheFile_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::newRow("folder is a file") << Obstacle::FolderIsAFile;
    QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder;
    QTest::newRow("disk full") << Obstacle::DiskFull;
}

void TestIniFile::unwritablePathFailsAndKeepsTheFile()
{
    QFETCH(Obstacle, obstacle);

    const QByteArray original = "[Connection]\r\nIP=127.0.0.1\r\n";
    const bool folderIsAFile = obstacle == Obstacle::FolderIsAFile;
    const QString keptPath = path(folderIsAFile ? QStringLiteral("plain") : QStringLiteral("q.INI"));
    const QString iniPath = folderIsAFile ? keptPath + QStringLiteral("/q.INI") : keptPath;
    writeBytes(keptPath, original);
    std::unique_ptr<FileSizeLimit> limit;
    if (obstacle == Obstacle::ReadOnlyFolder) {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root");
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (obstacle == Obstacle::DiskFull) {
        limit = std::make_unique<FileSizeLimit>(original.size());
    }

    TIniFile ini(iniPath);
    ini.WriteString(QStringLiteral("Connection"), QStringLiteral("IP"), QString(200, u'1'));
    const bool written = ini.UpdateFile();
    limit.reset();
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!written);
    QVERIFY2(ini.errorString().startsWith(iniPath + QStringLiteral(": ")) && ini.errorString().size() > iniPath.size() + 2,
             qPrintable(ini.errorString()));
    QCOMPARE(readBytes(keptPath), original);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QFileInfo(keptPath).fileName()});
}

void TestIniFile::oversizedFileIsReadInPartAndNeverRewritten()
{
    // The limit falls inside the FabNr line: a cut line is no key.
    QByteArray big = "[Code]\nFW=4\n;";
    big += QByteArray(TIniFile::MaxFileSize - big.size() - 8, 'x');
    big += "\nFabNr=cut off here\n[File]\nName=beyond\n";
    writeBytes(path("big.INI"), big);

    TIniFile ini(path("big.INI"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("Code"), QStringLiteral("FW"), 0), 4);
    QVERIFY(!ini.ValueExists(QStringLiteral("Code"), QStringLiteral("FabNr")));
    QVERIFY(!ini.SectionExists(QStringLiteral("File")));

    ini.WriteInteger(QStringLiteral("Code"), QStringLiteral("FW"), 5);
    QVERIFY(!ini.UpdateFile());
    // The text goes into the window's German message as it is.
    QCOMPARE(ini.errorString(),
             QStringLiteral("%1 ist größer als %2 Bytes und bleibt unverändert.").arg(path("big.INI")).arg(TIniFile::MaxFileSize));
    QCOMPARE(readBytes(path("big.INI")), big);
}

// --settings /dev/null: the settings start from their defaults and the exit
// says the file cannot be written; the node stays a device.
void TestIniFile::deviceNodeIsNeitherReadNorReplaced()
{
    const QString node = path("null.INI");
    if (!makeNonRegular(NonRegular::Device, node))
        QSKIP("device nodes need root");
    TIniFile ini(node);
    QVERIFY(ini.ReadSection(QStringLiteral("Connection")).isEmpty());
    ini.WriteString(QStringLiteral("Connection"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    QVERIFY(!ini.UpdateFile());
    QCOMPARE(ini.errorString(), node + QStringLiteral(": ist eine Gerätedatei, keine normale Datei"));
    QCOMPARE(typeAt(node), 'c');
}

void TestIniFile::rewriteKeepsModeAndOwner_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<uint>("owner");  // 0: this process's user
    QTest::addColumn<uint>("group");
    QTest::addColumn<bool>("asUser");  // without root's overrides
    QTest::addColumn<bool>("written");
    QTest::newRow("own file") << 0640u << 0u << 0u << false << true;
    QTest::newRow("set-group-id") << 02660u << 0u << 0u << false << true;
    QTest::newRow("another user's") << 0600u << 4321u << 4321u << false << true;
    QTest::newRow("writable by the group only") << 0460u << 4321u << 4321u << false << true;
    QTest::newRow("group member, not owner: in place") << 0460u << 4321u << 0u << true << true;
    QTest::newRow("read-only") << 0444u << 0u << 0u << false << false;
    QTest::newRow("another user's, read-only") << 0400u << 4321u << 4321u << false << false;
}

void TestIniFile::rewriteKeepsModeAndOwner()
{
    QFETCH(uint, mode);
    QFETCH(uint, owner);
    QFETCH(uint, group);
    QFETCH(bool, asUser);
    QFETCH(bool, written);
    if ((owner != 0 || group != 0) && geteuid() != 0)
        QSKIP("only root gives a file away");

    const QByteArray original = "; kept\n[Connection]\nIP=127.0.0.1\n";
    writeBytes(path("q.INI"), original);
    const QByteArray name = QFile::encodeName(path("q.INI"));
    QCOMPARE(::chown(name.constData(), owner ? owner : geteuid(), group ? group : getegid()), 0);
    QCOMPARE(::chmod(name.constData(), mode), 0);
    struct stat before;
    QCOMPARE(::stat(name.constData(), &before), 0);

    TIniFile ini(path("q.INI"));
    ini.WriteString(QStringLiteral("Connection"), QStringLiteral("IP"), QStringLiteral("10.1.2.3"));
    bool updated = false;
    {
        std::optional<WithoutAccessOverride> user;
        if (asUser && !user.emplace().active())
            QSKIP("cannot give up the permission override here");
        updated = ini.UpdateFile();
    }

    QCOMPARE(updated, written);
    QCOMPARE(readBytes(path("q.INI")), written ? QByteArray("; kept\n[Connection]\nIP=10.1.2.3\n") : original);
    if (!written)
        QCOMPARE(ini.errorString(), QStringLiteral("%1 ist schreibgeschützt und bleibt unverändert.").arg(path("q.INI")));
    struct stat after;
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("q.INI")});
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
