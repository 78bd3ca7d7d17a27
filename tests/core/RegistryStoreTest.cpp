#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "RegistryStore.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

constexpr const char *kProg = RegistryKeys::ProgramPreferences;
constexpr const char *kLoc = RegistryKeys::ListeningLocations;

class RegistryStoreTest : public ::testing::Test {
protected:
    QString storePath() const { return m_dir.path("QERN6.1/registry.ini"); }
    QByteArray fileBytes() const { return m_dir.read("QERN6.1/registry.ini"); }
    void writeFile(const QByteArray &content) const { m_dir.write("QERN6.1/registry.ini", content); }

    TestFolder m_dir;
};

TEST_F(RegistryStoreTest, MissingOrEmptyFileIsTheFirstRunAndReadingCreatesNone)
{
    for (const bool empty : {false, true}) {
        if (empty)
            writeFile("");
        RegistryStore store(storePath());
        EXPECT_TRUE(store.isReadable()) << empty;
        EXPECT_FALSE(store.baseKeyExists()) << empty;
        EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "") << empty;
        EXPECT_EQ(QFile::exists(storePath()), empty);
    }
}

TEST_F(RegistryStoreTest, FirstRunDefaultsReadBackAndSurviveReopening)
{
    {
        RegistryStore store(storePath());
        WriteDefaultPreferences(store);
        EXPECT_TRUE(store.takeMessages().isEmpty());
    }
    RegistryStore store(storePath());
    ASSERT_TRUE(store.isReadable()) << store.loadError().messageText().toStdString();
    EXPECT_TRUE(store.baseKeyExists());
    const QByteArray home = defaultHomeFolder();
    const struct { const char *key; QByteArray name; QByteArray expected; } cases[] = {
        {kLoc, "Lon(15)", "08000000W"}, {kLoc, "Lat(0)", "430000N"}, {kLoc, "Lat(9)", "430000N"},
        {kLoc, "Location(0)", "Location 1"}, {kLoc, "Location(9)", "Location 10"},
        {kLoc, "Location(15)", "Location 16"}, {kLoc, "UTC(4)", "0"}, {kLoc, "ListeningLocation", "0"},
        {kProg, "Metric", "False"}, {kProg, "ShowLakes", "0"}, {kProg, "ShowBorders", "0"},
        {kProg, "ShowDetail", "1"}, {kProg, "ComPort", "0"}, {kProg, "ComSpeed", "0"}, {kProg, "ComParity", "0"},
        {kProg, "DXLoggerSignature", ""}, {kProg, "DistanceFilter", ""},
        {RegistryKeys::RadarPreferences, "RadarLakes", "1"}, {RegistryKeys::RadarPreferences, "RadarStates", "0"},
        {RegistryKeys::RadarPreferences, "RadarDetail", "1"}, {RegistryKeys::RadarPreferences, "RadarSession", "0"},
        {RegistryKeys::RadarPreferences, "RadarNavtex", "1"}, {RegistryKeys::FilePath, "WeblogPath", home},
        {RegistryKeys::FilePath, "CLEPath", home + "cle.txt"},
        {RegistryKeys::FilePath, "BeaconRadarPath", home + "radar.txt"},
        {RegistryKeys::UserInfo, "User Name", kDefaultUserName}, {RegistryKeys::UserInfo, "Call Sign", " "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(store.GetRegistryValue(c.key, c.name), c.expected) << c.name.constData();
}

TEST_F(RegistryStoreTest, HomeFolderDefaultEndsInOneSlash)
{
    const QByteArray home = defaultHomeFolder();
    EXPECT_TRUE(home.startsWith('/'));
    EXPECT_TRUE(home.endsWith('/'));
    EXPECT_FALSE(home.endsWith("//"));
}

// The value names of the file in the order they stand, with their sections.
QList<QByteArray> namesInFileOrder(const QByteArray &file)
{
    QList<QByteArray> names;
    for (const QByteArray &line : file.split('\n')) {
        if (line.startsWith('['))
            names.append(line);
        else if (line.contains('=') && !line.startsWith(';'))
            names.append(line.left(line.indexOf('=')));
    }
    return names;
}

TEST_F(RegistryStoreTest, DefaultsAreWrittenInTheProgramsOrder)
{
    RegistryStore store(storePath());
    WriteDefaultPreferences(store);
    QList<QByteArray> expected = {"[SOFTWARE\\QERN6.1]", "[SOFTWARE\\QERN6.1\\UserInfo]", "User Name", "Call Sign",
                                  "[SOFTWARE\\QERN6.1\\ListeningLocations]"};
    for (int i = 0; i < 16; ++i) {
        const QByteArray index = '(' + QByteArray::number(i) + ')';
        expected << "Lat" + index << "Lon" + index << "Location" + index << "UTC" + index;
    }
    expected << "ListeningLocation"
             << "[SOFTWARE\\QERN6.1\\ProgramPreferences]"
             << "ShowLakes" << "ShowStates" << "ShowIslands" << "ShowRivers" << "ShowBorders" << "Metric"
             << "ShowDetail"
             << "ComPort" << "ComSpeed" << "ComParity"
             << "[SOFTWARE\\QERN6.1\\RadarPreferences]"
             << "RadarLakes" << "RadarStates" << "RadarIslands" << "RadarRivers" << "RadarBorders" << "RadarDetail"
             << "RadarAll" << "RadarLogged" << "RadarSession" << "RadarDGPS" << "RadarNavtex"
             << "[SOFTWARE\\QERN6.1\\FilePath]"
             << "WeblogPath" << "CLEPath" << "BeaconRadarPath";
    EXPECT_EQ(namesInFileOrder(fileBytes()), expected);
    EXPECT_EQ(QDir(m_dir.path("QERN6.1")).entryList(QDir::Files), QStringList{"registry.ini"})
        << "no temporary file is left behind";
}

TEST_F(RegistryStoreTest, SetRegistryValueConvertsNumbersAsTheProgramAlwaysDid)
{
    RegistryStore store(storePath());
    const struct { QByteArray type; QByteArray value; QByteArray readBack; } cases[] = {
        {"Number", "150.5", "150"}, {"Number", "151.5", "152"}, {"Number", "-2.5", "-2"},
        {"Number", " 1", "1"}, {"Number", "0", "0"}, {"Number", "-1", "-1"},
        {"Number", "abc", "0"}, {"Number", "150 km", "150"}, {"Number", "2147483647", "2147483647"},
        {"Number", "-2147483648", "-2147483648"},
        {"String", " 1", " 1"}, {"String", " ", " "}, {"String", "a=b;c", "a=b;c"},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QByteArray name = "Value" + QByteArray::number(n++);
        store.SetRegistryValue(kProg, c.type, name, c.value);
        EXPECT_EQ(store.GetRegistryValue(kProg, name), c.readBack) << c.type.constData() << " " << c.value.constData();
        EXPECT_EQ(RegistryStore(storePath()).GetRegistryValue(kProg, name), c.readBack) << "after reopening";
    }
    EXPECT_TRUE(store.takeMessages().isEmpty());
}

TEST_F(RegistryStoreTest, ValueThatCannotBeStoredWritesNothing)
{
    RegistryStore store(storePath());
    store.SetRegistryValue("SOFTWARE\\QERN6.1\\Extra", "String", "Name", ""); // an empty value creates no key
    EXPECT_FALSE(store.keyExists("SOFTWARE\\QERN6.1\\Extra"));
    EXPECT_FALSE(store.baseKeyExists());
    EXPECT_FALSE(QFile::exists(storePath()));

    store.SetRegistryValue(kProg, "string", "Metric", "True"); // the type words are compared exactly
    store.SetRegistryValue(kProg, "number", "ShowDetail", "3");
    EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "");
    EXPECT_EQ(store.GetRegistryValue(kProg, "ShowDetail"), "");
    EXPECT_EQ(RegistryStore(storePath()).GetRegistryValue(kProg, "Metric"), "");
    store.takeMessages();

    store.SetRegistryValue(kProg, "Number", "DistanceFilter", "7");
    store.SetRegistryValue(kProg, "Number", "DistanceFilter", "4294967296");
    EXPECT_EQ(store.GetRegistryValue(kProg, "DistanceFilter"), "7");
    EXPECT_EQ(store.takeMessages(), QStringList{"Overflow"});
}

TEST_F(RegistryStoreTest, HandWrittenValuesReadByTheirKindAndOtherKindsSurviveARewrite)
{
    writeFile("; settings\n\n# also a comment\n[SOFTWARE\\QERN6.1\\UserInfo]\n\nCall Sign=String:K1ABC\n"
              "[SOFTWARE\\QERN6.1\\ProgramPreferences]\n"
              "ComPort=Number:4294967295\r\n"
              "ComSpeed=Number:0xFFFFFFFE\n"
              "ComParity = number: 12 \n"
              "ShowDetail=Number:-7\n"
              "Expanded=ExpandString:%HOME%/x\n"
              "Blob=Binary:00ff10\n"
              "Metric=String:True\n"
              "Signature=String: K1ABC%20%20\n"
              "  Indented  =String:x\n");
    RegistryStore store(storePath());
    ASSERT_TRUE(store.isReadable()) << store.loadError().messageText().toStdString();
    EXPECT_TRUE(store.baseKeyExists());
    EXPECT_EQ(store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign"), "K1ABC");
    const struct { QByteArray name; QByteArray expected; } cases[] = {
        {"ComPort", "-1"}, {"ComSpeed", "-2"}, {"ComParity", "12"}, {"ShowDetail", "-7"}, {"Expanded", ""},
        {"Blob", ""}, {"Metric", "True"}, {"Signature", " K1ABC  "}, {"Indented", "x"}, {"Missing", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(store.GetRegistryValue(kProg, c.name), c.expected) << c.name.constData();
    EXPECT_EQ(store.GetRegistryValue("SOFTWARE\\Nowhere", "ComPort"), "");

    store.SetRegistryValue(kProg, "String", "ShowLakes", "1");
    EXPECT_TRUE(fileBytes().contains("Blob=Binary:00ff10\n"));
    EXPECT_TRUE(fileBytes().contains("Expanded=ExpandString:%HOME%/x\n"));
}

TEST_F(RegistryStoreTest, NamesAndKeyPathsIgnoreCaseAndTheTrailingBackslash)
{
    RegistryStore store(storePath());
    store.SetRegistryValue("SOFTWARE\\QERN6.1\\ProgramPreferences\\", "String", "Metric", "True");
    EXPECT_EQ(store.GetRegistryValue("software\\qern6.1\\programpreferences", "METRIC"), "True");
    store.SetRegistryValue(kProg, "String", "METRIC", "False");
    EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_TRUE(fileBytes().contains("\nMetric=String:False\n")) << "the first spelling is kept";
    EXPECT_TRUE(store.baseKeyExists()) << "a subkey implies the keys above it";
    store.SetRegistryValue(kProg, "Number", "ComPort", "1");
    store.SetRegistryValue(kProg, "Number", "comport", "2");
    EXPECT_EQ(fileBytes().toLower().count("\ncomport="), 1);
    EXPECT_EQ(store.GetRegistryValue(kProg, "ComPort"), "2");
}

TEST_F(RegistryStoreTest, AwkwardBytesRoundTripThroughTheFile)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const QByteArray values[] = {everyByte, "  lead and trail  ", "100%", "a\r\nb", "=", " ", "caf\xe9 \x80 \x81"};
    const QByteArray names[] = {"plain", " lead", "a=b", "[x", ";y", "%", "\xe9t\xe9"};
    RegistryStore store(storePath());
    {
        RegistryStore::Batch batch(store);
        for (int i = 0; i < 7; ++i)
            store.SetRegistryValue(kProg, "String", names[i], values[i]);
    }
    RegistryStore reopened(storePath());
    ASSERT_TRUE(reopened.isReadable()) << reopened.loadError().messageText().toStdString();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(reopened.GetRegistryValue(kProg, names[i]), values[i]) << i;
    EXPECT_FALSE(fileBytes().contains(" \n")) << "no line ends in a blank an editor could drop";
}

TEST_F(RegistryStoreTest, DeleteRegistryValueRemovesOnlyThatValue)
{
    RegistryStore store(storePath());
    store.SetRegistryValue(kProg, "String", "DXLoggerSignature", "K1ABC");
    store.SetRegistryValue(kProg, "String", "Metric", "True");
    EXPECT_TRUE(store.DeleteRegistryValue(kProg, "dxloggersignature"));
    EXPECT_TRUE(store.DeleteRegistryValue(kProg, "NeverThere"));
    RegistryStore reopened(storePath());
    EXPECT_EQ(reopened.GetRegistryValue(kProg, "DXLoggerSignature"), "");
    EXPECT_EQ(reopened.GetRegistryValue(kProg, "Metric"), "True");
}

TEST_F(RegistryStoreTest, CreateRegistryKeyMakesAnEmptyKeyOrReportsItsThreeMessages)
{
    RegistryStore(storePath()).CreateRegistryKey(RegistryKeys::Base);
    RegistryStore reopened(storePath());
    EXPECT_TRUE(reopened.baseKeyExists());
    EXPECT_FALSE(reopened.keyExists(RegistryKeys::UserInfo));

    QFile::remove(storePath());
    RegistryStore store(storePath());
    store.CreateRegistryKey("");
    EXPECT_EQ(store.takeMessages(), QStringList{"Bad input to create key\r\nKey =  "});
    store.CreateRegistryKey("SOFTWARE\\\\QERN6.1");
    EXPECT_EQ(store.takeMessages(), QStringList{"Could not create key"});
    m_dir.mkdir("QERN6.1/registry.ini.tmp"); // the file cannot be replaced
    store.CreateRegistryKey(RegistryKeys::Base);
    EXPECT_EQ(store.takeMessages(), QStringList{"Could not close key"});
    EXPECT_FALSE(store.baseKeyExists()) << "the store keeps what the file holds";
}

TEST_F(RegistryStoreTest, FailedWriteIsReportedAndTheOldValueStays)
{
    RegistryStore store(storePath());
    store.SetRegistryValue(kProg, "String", "Metric", "False");
    const QByteArray before = fileBytes();
    m_dir.mkdir("QERN6.1/registry.ini.tmp");
    store.SetRegistryValue(kProg, "String", "Metric", "True");
    const QStringList messages = store.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Error # ")) << messages[0].toStdString();
    EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(RegistryStoreTest, FailedBatchIsReportedOnceAndUndoesEveryChange)
{
    RegistryStore store(storePath());
    store.SetRegistryValue(kProg, "String", "Metric", "False");
    m_dir.mkdir("QERN6.1/registry.ini.tmp");
    RegistryStore::Batch batch(store);
    store.SetRegistryValue(kProg, "String", "Metric", "True");
    store.SetRegistryValue(kProg, "Number", "ShowDetail", "4");
    store.SetRegistryValue(RegistryKeys::UserInfo, "String", "User Name", "Ann");
    EXPECT_FALSE(batch.finish());
    EXPECT_EQ(store.takeMessages().size(), 1);
    EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_EQ(store.GetRegistryValue(kProg, "ShowDetail"), "");
    EXPECT_FALSE(store.keyExists(RegistryKeys::UserInfo));
}

TEST_F(RegistryStoreTest, BatchWritesTheFileOnceAtItsEnd)
{
    RegistryStore store(storePath());
    {
        RegistryStore::Batch outer(store);
        {
            RegistryStore::Batch inner(store);
            store.SetRegistryValue(kProg, "String", "Metric", "True");
            EXPECT_TRUE(inner.finish());
        }
        EXPECT_FALSE(QFile::exists(storePath())) << "nothing written before the outer batch ends";
    }
    EXPECT_EQ(RegistryStore(storePath()).GetRegistryValue(kProg, "Metric"), "True");
}

TEST_F(RegistryStoreTest, MessagesGoToTheSinkOnceInstalled)
{
    RegistryStore store(storePath());
    store.CreateRegistryKey("");
    QStringList shown;
    store.setMessageSink([&shown](const QString &text) { shown.append(text); });
    EXPECT_EQ(shown.size(), 1) << "queued messages are delivered";
    store.SetRegistryValue(kProg, "Number", "X", "1e12");
    EXPECT_EQ(shown.size(), 2);
    EXPECT_TRUE(store.takeMessages().isEmpty());
}

// Not a first run either: defaults written there would stand in for settings that may
// be on a disk not there now. The load error says what stands there.
TEST_F(RegistryStoreTest, AnythingButAFileAtTheStorePathIsNotAFirstRun)
{
    const struct {
        const char *name;
        const char *linkTo; // nullptr: a folder
        QString message;    // %1: the store, %2: the link's target
        const char *wayOut;
    } cases[] = {
        {"folder", nullptr, "Error # 75: Path/File access error (%1 is a folder)", kUnusableSettingsWayOut},
        {"loop of links", "registry.ini", "Error # 75: Path/File access error (%1 is a loop of symbolic links)",
         kUnusableSettingsWayOut},
        {"link to nothing", "../elsewhere/registry.ini",
         "Error # 53: File not found (%1 is a link to %2, which does not exist)", kSettingsLinkWayOut},
        {"link into no folder", "../gone/registry.ini",
         "Error # 76: Path not found (%1 is a link to %2, whose folder does not exist)", kUnusableSettingsWayOut},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder dir;
        dir.mkdir("QERN6.1");
        dir.mkdir("elsewhere");
        const QString path = dir.path("QERN6.1/registry.ini");
        if (c.linkTo)
            ASSERT_TRUE(QFile::link(c.linkTo, path));
        else
            dir.mkdir("QERN6.1/registry.ini");
        const QString target = QDir::cleanPath(dir.path("QERN6.1/") + (c.linkTo ? c.linkTo : ""));

        RegistryStore store(path);

        EXPECT_FALSE(store.isReadable());
        EXPECT_TRUE(store.baseKeyExists());
        EXPECT_EQ(store.loadError().messageText().toStdString(),
                  QString(c.message).replace("%1", path).replace("%2", target).toStdString());
        EXPECT_STREQ(store.loadErrorWayOut(), c.wayOut);
        WriteDefaultPreferences(store);
        EXPECT_EQ(store.takeMessages().size(), 1) << "the refused write is reported once";
        EXPECT_EQ(QFileInfo(path).isSymLink(), c.linkTo != nullptr);
        EXPECT_EQ(QFileInfo(path).isDir(), c.linkTo == nullptr);
        EXPECT_FALSE(dir.exists("elsewhere/registry.ini"));
    }
}

TEST_F(RegistryStoreTest, DamagedFileIsNotAFirstRunAndIsNeverOverwritten)
{
    const struct { QByteArray content; int badLine; } cases[] = {
        {"\xff\xfe\x00garbage", 1}, {"[SOFTWARE\\QERN6.1\\UserInfo]\nUser Name=String:Ann\njust some text\n", 3},
        {"Metric=String:True\n", 1},                                      // a value before any key
        {"[SOFTWARE\\QERN6.1]\nMetric=True\n", 2},                         // no kind
        {"[SOFTWARE\\QERN6.1]\nComPort=Number:12abc\n", 2}, {"[SOFTWARE\\QERN6.1]\nComPort=Number:4294967296\n", 2},
        {"[SOFTWARE\\QERN6.1\n", 1}, {"[\\\\]\n", 1},
        {"[SOFTWARE\\QERN6.1]\nName=String:\xe2\x86\x92\n", 2},            // no Windows-1252 form
    };
    for (const auto &c : cases) {
        writeFile(c.content);
        RegistryStore store(storePath());
        EXPECT_FALSE(store.isReadable()) << c.content.constData();
        EXPECT_TRUE(store.baseKeyExists());
        EXPECT_TRUE(store.loadError().description.contains(QStringLiteral("Line %1 ").arg(c.badLine)))
            << store.loadError().description.toStdString();
        EXPECT_STREQ(store.loadErrorWayOut(), kDamagedSettingsWayOut);
        EXPECT_EQ(store.GetRegistryValue(RegistryKeys::UserInfo, "User Name"), "");
        WriteDefaultPreferences(store);
        store.SetRegistryValue(kProg, "String", "Metric", "True");
        EXPECT_EQ(store.takeMessages().size(), 2);
        EXPECT_EQ(fileBytes(), c.content);
    }
}

TEST(RegistryStorePath, DefaultFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/qern-config");
    EXPECT_EQ(RegistryStore::defaultPath(), "/tmp/qern-config/QERN6.1/registry.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryStore::defaultPath(), QDir::homePath() + "/.config/QERN6.1/registry.ini");
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);
}

// A path given when the program starts is taken from where it was started, not from
// the program folder it moves into next.
TEST(RegistryStorePath, ChosenPathIsTakenFromTheFolderTheProgramStartedIn)
{
    const QString saved = QDir::currentPath();
    TestFolder startedIn;
    ASSERT_TRUE(QDir::setCurrent(startedIn.root()));
    const QString relative = RegistryStore::chosenPath("settings/mine.ini");
    const QString absolute = RegistryStore::chosenPath("/srv/qern/registry.ini");
    const QString none = RegistryStore::chosenPath("");
    ASSERT_TRUE(QDir::setCurrent(saved));
    EXPECT_EQ(relative, QDir(startedIn.root()).absoluteFilePath("settings/mine.ini"));
    EXPECT_EQ(absolute, "/srv/qern/registry.ini");
    EXPECT_EQ(none, RegistryStore::defaultPath());
}

TEST(RegistryNumber, RoundsHalfToEvenWithin32Bits)
{
    EXPECT_EQ(registryNumberFor("150.5"), 150);
    EXPECT_EQ(registryNumberFor("151.5"), 152);
    EXPECT_EQ(registryNumberFor(""), 0);
    EXPECT_EQ(registryNumberFor("2147483647.4"), 2147483647);
    EXPECT_EQ(registryNumberFor("2147483647.5"), std::nullopt);
    EXPECT_EQ(registryNumberFor("-2147483649"), std::nullopt);
}

} // namespace
} // namespace qern
