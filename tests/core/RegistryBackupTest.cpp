#include <gtest/gtest.h>

#include "RegistryBackup.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

constexpr const char *kProg = RegistryKeys::ProgramPreferences;
constexpr const char *kLoc = RegistryKeys::ListeningLocations;
constexpr const char *kRadar = RegistryKeys::RadarPreferences;
constexpr const char *kPath = RegistryKeys::FilePath;

QList<QByteArray> firstRunLines()
{
    QList<QByteArray> lines;
    for (int i = 0; i < 16; ++i) {
        const QByteArray n = QByteArray::number(i);
        lines << "Location " + n + " Name =Location " + QByteArray::number(i + 1)
              << "Location " + n + " Latitude =430000N"
              << "Location " + n + " Longitude =08000000W";
    }
    const QByteArray home = defaultHomeFolder();
    lines << "Default Location = 0"
          << "Com Port =  0" << "Com Speed =  0" << "Com Parity =  0"
          << "Show Lakes = 0" << "Show States = 0" << "Show Islands = 0" << "Show Rivers = 0"
          << "Show Borders = 0" << "Show Detail = 1"
          << "Metric = False"
          << "CLE Report Settings = "
          << "Weblog Path = " + home << "CLE Path = " + home + "cle.txt"
          << "Beacon Radar Path = " + home + "radar.txt"
          << "Radar Lakes = 1" << "Radar States = 0" << "Radar Islands = 0" << "Radar Rivers = 0"
          << "Radar Borders = 0" << "Radar Detail = 1"
          << "Radar All = 0" << "Radar Logged = 0" << "Radar DGPS = 0" << "Radar Navtex = 1" << "Radar Session = 0"
          << "User Name = QERN User" << "Call Sign =  "
          << "Listening Report txt = " << "Listening Report csv = " << "CLE Report txt = " << "CLE Report csv = "
          << "DX Logger Signature = " << "Distance Filter Enable = " << "Distance Filter Value = "
          << "CLE Sort By Order = " << "CLE Sort By Criteria = " << "Listening Report Default Location = "
          << "Listening Report Sort By Order = " << "Listening Report Sort By Criteria = ";
    return lines;
}

class RegistryBackupTest : public ::testing::Test {
protected:
    RegistryBackupTest() : m_store(m_dir.path("registry.ini")) { WriteDefaultPreferences(m_store); }

    QString backupPath() const { return m_dir.path("Reg.bak"); }

    // Restores lines (CR LF each) into the fixture's store.
    RestoreResult restore(const QList<QByteArray> &lines)
    {
        QByteArray content;
        for (const QByteArray &line : lines)
            content += line + "\r\n";
        m_dir.write("Reg.bak", content);
        return RestoreRegistry(m_store, backupPath());
    }

    TestFolder m_dir;
    RegistryStore m_store;
};

TEST_F(RegistryBackupTest, FirstRunBackupIsTheGolden88Lines)
{
    EXPECT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    const QByteArray file = m_dir.read("Reg.bak");
    ASSERT_TRUE(file.endsWith("\r\n"));
    const QList<QByteArray> lines = file.chopped(2).split('\n');
    const QList<QByteArray> expected = firstRunLines();
    ASSERT_EQ(lines.size(), kRegistryBackupLines);
    ASSERT_EQ(expected.size(), kRegistryBackupLines);
    for (int i = 0; i < kRegistryBackupLines; ++i) {
        ASSERT_TRUE(i == kRegistryBackupLines - 1 || lines[i].endsWith('\r')) << "line " << i + 1;
        EXPECT_EQ(lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i], expected[i]) << "line " << i + 1;
    }
}

TEST_F(RegistryBackupTest, NumbersAreWrittenInTheNumberFormOrEmptyWhenMissing)
{
    m_store.DeleteRegistryValue(kProg, "ComSpeed");
    m_store.DeleteRegistryValue(kRadar, "RadarDetail");
    m_store.SetRegistryValue(kProg, "Number", "ComPort", "-1");
    m_store.SetRegistryValue(kProg, "Number", "ShowDetail", "-3");
    EXPECT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    const QList<QByteArray> lines = registryBackupLines(m_store);
    EXPECT_EQ(lines[49], "Com Port = -1"); // no leading blank before a negative number
    EXPECT_EQ(lines[50], "Com Speed = ");
    EXPECT_EQ(lines[51], "Com Parity =  0");
    EXPECT_EQ(lines[57], "Show Detail = -3");
    EXPECT_EQ(lines[68], "Radar Detail = ");
}

TEST_F(RegistryBackupTest, FailedBackupKeepsThePreviousFile)
{
    m_dir.write("Reg.bak", "previous backup\r\n");
    m_dir.mkdir("Reg.bak.tmp");
    FileError error;
    EXPECT_EQ(BackupRegistry(m_store, backupPath(), &error), "Registry Backup Error");
    EXPECT_TRUE(error.failed());
    EXPECT_EQ(m_dir.read("Reg.bak"), "previous backup\r\n");
    EXPECT_EQ(BackupRegistry(m_store, m_dir.path("nowhere/Reg.bak")), "Registry Backup Error");
}

TEST_F(RegistryBackupTest, BackupThenRestoreLeavesValuesAsTheyWere)
{
    m_store.SetRegistryValue(kLoc, "String", "Location(3)", "Home, sweet home");
    m_store.SetRegistryValue(kLoc, "String", "Lat(3)", "451500N");
    m_store.SetRegistryValue(kLoc, "Number", "ListeningLocation", "3");
    m_store.SetRegistryValue(kProg, "Number", "ComPort", "-1");
    m_store.SetRegistryValue(kProg, "Number", "ShowDetail", "4");
    m_store.SetRegistryValue(kProg, "String", "Metric", "True");
    m_store.SetRegistryValue(kProg, "String", "CLEReportSettings", "111111111111105001600");
    m_store.SetRegistryValue(kProg, "String", "DXLoggerSignature", "  K1ABC, FN42 ");
    m_store.SetRegistryValue(kProg, "String", "DistanceFilterEnable", " 1");
    m_store.SetRegistryValue(kProg, "Number", "DistanceFilter", "250");
    m_store.SetRegistryValue(kProg, "String", "CLESortBy", " 3");
    m_store.SetRegistryValue(kProg, "String", "CLESortByOrder", "Descending");
    m_store.SetRegistryValue(kProg, "String", "ListeningReportDefaultLocation", " 12");
    m_store.SetRegistryValue(kProg, "String", "ListeningReportSortBy", " 0");
    m_store.SetRegistryValue(kProg, "String", "ListeningReportSortByOrder", "Ascending");
    m_store.SetRegistryValue(kRadar, "Number", "RadarDetail", "7");
    m_store.SetRegistryValue(kRadar, "Number", "RadarAll", "1");
    m_store.SetRegistryValue(kPath, "String", "ListeningReportText", "/home/ann/report.txt");
    m_store.SetRegistryValue(RegistryKeys::UserInfo, "String", "Call Sign", "VE3XYZ");
    ASSERT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    const QList<QByteArray> before = registryBackupLines(m_store);

    RegistryStore other(m_dir.path("other.ini"));
    WriteDefaultPreferences(other);
    const RestoreResult result = RestoreRegistry(other, backupPath());
    EXPECT_EQ(result.statusLine, "Registry Restored");
    EXPECT_TRUE(result.RegistryRestored);

    const struct { const char *key; const char *name; QByteArray expected; } cases[] = {
        {kLoc, "Location(3)", "Home, sweet home"},   // a comma no longer cuts the value
        {kLoc, "Lat(3)", "451500N"}, {kLoc, "ListeningLocation", "3"}, {kProg, "ComPort", "-1"},
        {kProg, "ShowDetail", "4"}, {kProg, "Metric", "True"},
        {kProg, "CLEReportSettings", "111111111111105001600"},
        {kProg, "DXLoggerSignature", "K1ABC, FN42"},    // blanks at the ends are removed
        {kProg, "DistanceFilterEnable", "1"},           // loads the same as " 1"
        {kProg, "DistanceFilter", "250"}, {kProg, "CLESortBy", " 3"}, {kProg, "CLESortByOrder", "Descending"},
        {kProg, "ListeningReportDefaultLocation", " 12"}, {kProg, "ListeningReportSortBy", " 0"},
        {kRadar, "RadarDetail", "7"}, {kRadar, "RadarAll", "1"},
        {kPath, "ListeningReportText", "/home/ann/report.txt"},
        {kPath, "CLEReportText", ""},                   // empty at backup: not rewritten
        {RegistryKeys::UserInfo, "Call Sign", "VE3XYZ"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(other.GetRegistryValue(c.key, c.name), c.expected) << c.name;

    // Every other line comes back exactly.
    const QList<QByteArray> after = registryBackupLines(other);
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        if (before[i].startsWith("DX Logger") || before[i].startsWith("Distance Filter Enable"))
            continue;
        EXPECT_EQ(after[i], before[i]) << "line " << i + 1;
    }
}

TEST_F(RegistryBackupTest, RestoreDoesNotTouchTheUtcValues)
{
    m_store.SetRegistryValue(kLoc, "String", "UTC(2)", "5");
    ASSERT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    EXPECT_FALSE(m_dir.read("Reg.bak").contains("UTC"));
    m_store.SetRegistryValue(kLoc, "String", "UTC(2)", "7");
    ASSERT_TRUE(RestoreRegistry(m_store, backupPath()).RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kLoc, "UTC(2)"), "7");
}

TEST_F(RegistryBackupTest, LocationLabelsMatchOnlyTheirOwnNumber)
{
    ASSERT_TRUE(
        restore({"Location 1 Name =X", "Location 10 Name =Y", "Location 3 Latitude =451500N"}).RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kLoc, "Location(1)"), "X");
    EXPECT_EQ(m_store.GetRegistryValue(kLoc, "Location(10)"), "Y");
    EXPECT_EQ(m_store.GetRegistryValue(kLoc, "Location(0)"), "Location 1");
    EXPECT_EQ(m_store.GetRegistryValue(kLoc, "Lat(3)"), "451500N");
}

TEST_F(RegistryBackupTest, RestoreConvertsEachRowByItsKind)
{
    const struct { QByteArray line; const char *key; const char *name; QByteArray expected; } cases[] = {
        {"Show Detail = 2.5", kProg, "ShowDetail", "2"}, {"Show Detail = 3.5", kProg, "ShowDetail", "4"},
        {"Radar Detail = 3", kRadar, "RadarDetail", "3"}, {"Default Location = 7 ", kLoc, "ListeningLocation", "7"},
        {"Com Port = abc", kProg, "ComPort", "0"}, {"Radar Lakes = 0.5", kRadar, "RadarLakes", "0"},
        {"Radar Navtex = x", kRadar, "RadarNavtex", "0"},
        {"Distance Filter Value = 150 km", kProg, "DistanceFilter", "150"},
        {"CLE Sort By Criteria = 3", kProg, "CLESortBy", " 3"},
        {"CLE Sort By Criteria = -2", kProg, "CLESortBy", "-2"},
        {"Listening Report Sort By Criteria =  4 ", kProg, "ListeningReportSortBy", " 4"},
        {"Metric =   True  ", kProg, "Metric", "True"},
        {"  Call Sign = K1ABC", RegistryKeys::UserInfo, "Call Sign", "K1ABC"},
    };
    for (const auto &c : cases) {
        const RestoreResult result = restore({c.line});
        EXPECT_TRUE(result.RegistryRestored) << c.line.constData() << " " << result.error.messageText().toStdString();
        EXPECT_EQ(m_store.GetRegistryValue(c.key, c.name), c.expected) << c.line.constData();
    }
}

TEST_F(RegistryBackupTest, ItemsWithEmptyValuesAreSkipped)
{
    const RestoreResult result = restore({"Show Lakes = ", "Default Location =", "Radar Navtex =   ",
                                          "CLE Sort By Criteria = ", "Metric = ", "Call Sign = "});
    EXPECT_EQ(result.statusLine, "Registry Restored");
    EXPECT_TRUE(result.RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowLakes"), "0");
    EXPECT_EQ(m_store.GetRegistryValue(kRadar, "RadarNavtex"), "1");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "CLESortBy"), "");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_EQ(m_store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign"), " ");
}

TEST_F(RegistryBackupTest, LabelInOtherCaseMatchesNothing)
{
    EXPECT_TRUE(restore({"metric = True", "METRIC = True", "Unknown = 1", ""}).RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
}

TEST_F(RegistryBackupTest, BadLineRestoresNothing)
{
    const QByteArray before = m_dir.read("registry.ini");
    const RestoreResult result =
        restore({"Metric = True", "CLE Sort By Criteria = x", "Show Detail = 5"});
    EXPECT_EQ(result.statusLine, "Registry Restore Error");
    EXPECT_FALSE(result.RegistryRestored);
    EXPECT_TRUE(result.error.description.contains("line 2")) << result.error.description.toStdString();
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False") << "the line before is not written either";
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowDetail"), "1");
    EXPECT_EQ(m_dir.read("registry.ini"), before);
}

TEST_F(RegistryBackupTest, NumberBeyond32BitsIsABadLine)
{
    for (const QByteArray line : {"Com Port = 99999999999", "Radar All = 5e9"}) {
        const RestoreResult result = restore({"Metric = True", line});
        EXPECT_EQ(result.statusLine, "Registry Restore Error") << line.constData();
        EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
    }
}

TEST_F(RegistryBackupTest, MissingFileRestoresNothing)
{
    RegistryStore fresh(m_dir.path("fresh.ini"));
    const RestoreResult result = RestoreRegistry(fresh, m_dir.path("Reg.bak"));
    EXPECT_EQ(result.statusLine, "Registry Restore Error");
    EXPECT_FALSE(result.RegistryRestored);
    EXPECT_EQ(result.error.number, 53);
    EXPECT_FALSE(fresh.baseKeyExists()) << "not even the base key is created";
    EXPECT_FALSE(m_dir.exists("fresh.ini"));
}

TEST_F(RegistryBackupTest, RestoreFindsTheFileWhateverItsCaseAndCreatesTheBaseKey)
{
    RegistryStore fresh(m_dir.path("fresh.ini"));
    m_dir.write("Reg.bak", "Metric = True\r\n");
    EXPECT_TRUE(RestoreRegistry(fresh, m_dir.path("reg.bak")).RegistryRestored);
    RegistryStore reopened(m_dir.path("fresh.ini"));
    EXPECT_TRUE(reopened.baseKeyExists());
    EXPECT_EQ(reopened.GetRegistryValue(kProg, "Metric"), "True");
}

TEST_F(RegistryBackupTest, LineEndsOfEveryKindSeparateLines)
{
    m_dir.write("Reg.bak", "Metric = True\rShow Detail = 3\nRadar Detail = 4\r\nCall Sign = AB1C");
    ASSERT_TRUE(RestoreRegistry(m_store, backupPath()).RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "True");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowDetail"), "3");
    EXPECT_EQ(m_store.GetRegistryValue(kRadar, "RadarDetail"), "4");
    EXPECT_EQ(m_store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign"), "AB1C");
}

TEST_F(RegistryBackupTest, RestoreIntoAStoreThatCannotBeWrittenIsAnError)
{
    m_dir.mkdir("registry.ini.tmp");
    const RestoreResult result = restore({"Metric = True"});
    EXPECT_EQ(result.statusLine, "Registry Restore Error");
    EXPECT_FALSE(result.RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_EQ(m_store.takeMessages().size(), 1) << "the store reports why";
}

} // namespace
} // namespace qern
