#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

#include "RegistryBackup.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::ScopedFileSizeLimit;
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

    // Restores a first-run backup whose lines of the same labels are replaced by changed
    // (a line of no label is added) into the fixture's store.
    RestoreResult restore(const QList<QByteArray> &changed)
    {
        m_dir.write("Reg.bak", backupText(changed));
        return RestoreRegistry(m_store, backupPath());
    }

    static QList<QByteArray> backupLines(const QList<QByteArray> &changed)
    {
        auto labelOf = [](QByteArray line) {
            while (line.startsWith(' '))
                line.remove(0, 1);
            return line.left(line.indexOf('=') + 1);
        };
        QList<QByteArray> lines = firstRunLines();
        for (const QByteArray &line : changed) {
            const auto same = std::find_if(lines.begin(), lines.end(), [&](const QByteArray &l) {
                return !labelOf(line).isEmpty() && labelOf(l) == labelOf(line);
            });
            if (same != lines.end())
                *same = line;
            else
                lines.append(line);
        }
        return lines;
    }
    static QByteArray backupText(const QList<QByteArray> &changed)
    {
        return backupLines(changed).join("\r\n") + "\r\n";
    }

    TestFolder m_dir;
    RegistryStore m_store;
};

TEST_F(RegistryBackupTest, FirstRunBackupIsTheGolden88Lines)
{
    EXPECT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    ASSERT_EQ(firstRunLines().size(), kRegistryBackupLines);
    EXPECT_EQ(m_dir.read("Reg.bak").toStdString(), (firstRunLines().join("\r\n") + "\r\n").toStdString());
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

    // Settings that could not be read would back up as blanks over the copy that can
    // bring them back: refused, with the cause.
    ASSERT_TRUE(QDir().rmdir(m_dir.path("Reg.bak.tmp")));
    m_dir.write("damaged.ini", "[SOFTWARE\\QERN6.1]\nnot a setting\n");
    m_dir.mkdir("folder.ini");
    for (const char *settings : {"damaged.ini", "folder.ini"}) {
        const RegistryStore unreadable(m_dir.path(settings));
        ASSERT_FALSE(unreadable.isReadable());
        EXPECT_EQ(BackupRegistry(unreadable, backupPath(), &error), "Registry Backup Error") << settings;
        EXPECT_EQ(error.messageText().toStdString(),
                  ("Error # 75: The settings could not be read and were not backed up: " +
                   unreadable.loadError().description)
                      .toStdString());
        EXPECT_TRUE(error.description.contains(m_dir.path(settings))) << settings;
        EXPECT_EQ(m_dir.read("Reg.bak"), "previous backup\r\n") << settings;
    }
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

// Empty values are skipped; a label in another case or unknown matches nothing.
TEST_F(RegistryBackupTest, ItemsWithEmptyValuesOrUnknownLabelsAreSkipped)
{
    const RestoreResult result =
        restore({"Show Lakes = ", "Default Location =", "Radar Navtex =   ", "CLE Sort By Criteria = ", "Metric = ",
                 "Call Sign = ", "metric = True", "METRIC = True", "Unknown = 1", ""});
    EXPECT_EQ(result.statusLine, "Registry Restored");
    EXPECT_TRUE(result.RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowLakes"), "0");
    EXPECT_EQ(m_store.GetRegistryValue(kRadar, "RadarNavtex"), "1");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "CLESortBy"), "");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
    EXPECT_EQ(m_store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign"), " ");
}

// A bad line, a number beyond 32 bits among them, restores nothing, not even the lines before it.
TEST_F(RegistryBackupTest, BadLineRestoresNothing)
{
    const QByteArray before = m_dir.read("registry.ini");
    for (const QByteArray line : {"CLE Sort By Criteria = x", "Com Port = 99999999999", "Radar All = 5e9"}) {
        const RestoreResult result = restore({"Metric = True", line, "Show Detail = 5"});
        EXPECT_EQ(result.statusLine, "Registry Restore Error") << line.constData();
        EXPECT_FALSE(result.RegistryRestored);
        EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False") << line.constData();
        EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowDetail"), "1");
        EXPECT_EQ(m_dir.read("registry.ini"), before);
    }
    EXPECT_TRUE(restore({"CLE Sort By Criteria = x"}).error.description.contains("line 85"));
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
    m_dir.write("Reg.bak", backupText({"Metric = True"}));
    EXPECT_TRUE(RestoreRegistry(fresh, m_dir.path("reg.bak")).RegistryRestored);
    RegistryStore reopened(m_dir.path("fresh.ini"));
    EXPECT_TRUE(reopened.baseKeyExists());
    EXPECT_EQ(reopened.GetRegistryValue(kProg, "Metric"), "True");
}

TEST_F(RegistryBackupTest, LineEndsOfEveryKindSeparateLines)
{
    const QList<QByteArray> lines =
        backupLines({"Metric = True", "Show Detail = 3", "Radar Detail = 4", "Call Sign = AB1C"});
    const char *const ends[] = {"\r", "\n", "\r\n"};
    QByteArray content;
    for (int i = 0; i < lines.size(); ++i)
        content += lines[i] + (i + 1 < lines.size() ? ends[i % 3] : "");
    m_dir.write("Reg.bak", content);
    ASSERT_TRUE(RestoreRegistry(m_store, backupPath()).RegistryRestored);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "True");
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "ShowDetail"), "3");
    EXPECT_EQ(m_store.GetRegistryValue(kRadar, "RadarDetail"), "4");
    EXPECT_EQ(m_store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign"), "AB1C");
}

// The restore says why the store could not be written, whatever the reason.
TEST_F(RegistryBackupTest, RestoreIntoAStoreThatCannotBeWrittenGivesTheCause)
{
    // %1: the settings file.
    const struct { const char *name; int number; const char *description; } cases[] = {
        {"blocked", 75, "Path/File access error (%1: a folder stands at %1.tmp, where its new copy is written first)"},
        {"read-only", 70, "Permission denied (%1)"},
        {"disk full", 61, "Disk full (%1)"},
    };
    for (const auto &c : cases) {
        TestFolder dir;
        RegistryStore store(dir.path("registry.ini"));
        WriteDefaultPreferences(store);
        const QByteArray before = dir.read("registry.ini");
        dir.write("Reg.bak", backupText({"Metric = True"}));
        const std::string name = c.name;
        RestoreResult result;
        if (name == "blocked") {
            dir.mkdir("registry.ini.tmp");
            result = RestoreRegistry(store, dir.path("Reg.bak"));
        } else if (name == "read-only") {
            QFile::setPermissions(dir.path("registry.ini"), QFile::ReadOwner | QFile::ReadGroup);
            result = RestoreRegistry(store, dir.path("Reg.bak"));
        } else {
            const ScopedFileSizeLimit limit(100);
            result = RestoreRegistry(store, dir.path("Reg.bak"));
        }
        EXPECT_EQ(result.statusLine, "Registry Restore Error") << name;
        EXPECT_FALSE(result.RegistryRestored) << name;
        EXPECT_EQ(result.error.number, c.number) << name;
        EXPECT_EQ(result.error.messageText(),
                  QStringLiteral("Error # %1: ").arg(c.number) +
                      QString::fromLatin1(c.description).arg(dir.path("registry.ini")))
            << name;
        EXPECT_EQ(store.GetRegistryValue(kProg, "Metric"), "False") << name;
        EXPECT_EQ(dir.read("registry.ini"), before) << name;
        EXPECT_EQ(store.takeMessages().size(), 1) << name << ": the store reports why";
    }
}

TEST_F(RegistryBackupTest, AnythingButAWholeBackupRestoresNothing)
{
    QByteArray binary(1024, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 37 + 11) % 256);
    const QList<QByteArray> whole = firstRunLines();
    QByteArray cutAfter40 = whole.mid(0, 39).join("\r\n") + "\r\n" + whole[39].left(21);
    ASSERT_EQ(cutAfter40.right(3), "Loc");
    QList<QByteArray> oneMissing = backupLines({"Location 13 Name =Changed"});
    oneMissing.removeAt(59); // "CLE Report Settings = "
    const struct { const char *name; QByteArray content; const char *missing; } cases[] = {
        {"empty", "", "Location 0 Name ="},
        {"binary", binary, "Location 0 Name ="},
        {"cut after 40 lines", cutAfter40, "Location 13 Latitude ="},
        {"one line missing", oneMissing.join("\r\n"), "CLE Report Settings ="},
    };
    const QByteArray before = m_dir.read("registry.ini");
    for (const auto &c : cases) {
        m_dir.write("Reg.bak", c.content);
        const RestoreResult result = RestoreRegistry(m_store, backupPath());
        EXPECT_EQ(result.statusLine, "Registry Restore Error") << c.name;
        EXPECT_FALSE(result.RegistryRestored) << c.name;
        EXPECT_EQ(result.error.messageText(),
                  QStringLiteral("Error # 5: %1 is not a settings backup: it has no line \"%2\"")
                      .arg(backupPath(), QLatin1String(c.missing)))
            << c.name;
        EXPECT_EQ(m_store.GetRegistryValue(kLoc, "Location(13)"), "Location 14") << c.name;
        EXPECT_EQ(m_dir.read("registry.ini"), before) << c.name;
    }
}

// The store held the backup's value already, but the file was changed outside QERN:
// the restore still writes it.
TEST_F(RegistryBackupTest, RestoreWritesEveryValueEvenOneTheStoreHeld)
{
    ASSERT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    QByteArray edited = m_dir.read("registry.ini");
    ASSERT_TRUE(edited.contains("Metric=String:False"));
    edited.replace("Metric=String:False", "Metric=String:True");
    m_dir.write("registry.ini", edited);

    ASSERT_TRUE(RestoreRegistry(m_store, backupPath()).RegistryRestored);

    EXPECT_EQ(RegistryStore(m_dir.path("registry.ini")).GetRegistryValue(kProg, "Metric"), "False");
}

TEST_F(RegistryBackupTest, DamagedSettingsFileIsReplacedAndKeptBeside)
{
    m_store.SetRegistryValue(kLoc, "String", "Location(2)", "Cottage");
    ASSERT_EQ(BackupRegistry(m_store, backupPath()), "Registry Backed Up");
    const QByteArray damaged = "[SOFTWARE\\QERN6.1\\UserInfo]\nthis line is no setting\n";
    const QString path = m_dir.path("damaged.ini");
    for (const char *keptAs : {"damaged.ini.damaged", "damaged.ini.damaged2"}) {
        m_dir.write("damaged.ini", damaged);
        RegistryStore store(path);
        ASSERT_FALSE(store.isReadable());

        const RestoreResult result = RestoreRegistry(store, backupPath());

        EXPECT_TRUE(result.RegistryRestored) << result.error.messageText().toStdString();
        EXPECT_EQ(result.damagedFileKeptAs, m_dir.path(keptAs));
        EXPECT_EQ(m_dir.read(keptAs), damaged);
        EXPECT_EQ(damagedSettingsKeptText(result.damagedFileKeptAs),
                  "The damaged settings file was kept as " + m_dir.path(keptAs));
        const RegistryStore reopened(path);
        EXPECT_TRUE(reopened.isReadable());
        EXPECT_EQ(reopened.GetRegistryValue(kLoc, "Location(2)"), "Cottage");
        EXPECT_EQ(reopened.GetRegistryValue(kLoc, "UTC(5)"), "0") << "values no backup holds start from the defaults";
        EXPECT_EQ(registryBackupLines(reopened), registryBackupLines(m_store));
    }

    // A replacement that cannot be written leaves the damaged file and no copy of it.
    m_dir.write("damaged.ini", damaged);
    QFile::remove(m_dir.path("damaged.ini.damaged"));
    RegistryStore store(path);
    m_dir.mkdir("damaged.ini.tmp");
    const RestoreResult result = RestoreRegistry(store, backupPath());
    EXPECT_FALSE(result.RegistryRestored);
    EXPECT_EQ(result.error.number, 75);
    EXPECT_TRUE(result.damagedFileKeptAs.isEmpty());
    EXPECT_FALSE(store.isReadable());
    EXPECT_EQ(m_dir.read("damaged.ini"), damaged);
    EXPECT_FALSE(m_dir.exists("damaged.ini.damaged"));

    // A link to nothing holds nothing to keep: the restore writes the file it names.
    m_dir.mkdir("elsewhere");
    ASSERT_TRUE(QFile::link("elsewhere/linked.ini", m_dir.path("linked.ini")));
    RegistryStore linked(m_dir.path("linked.ini"));
    ASSERT_FALSE(linked.isReadable());
    const RestoreResult throughLink = RestoreRegistry(linked, backupPath());
    EXPECT_TRUE(throughLink.RegistryRestored) << throughLink.error.messageText().toStdString();
    EXPECT_TRUE(throughLink.damagedFileKeptAs.isEmpty());
    EXPECT_TRUE(QFileInfo(m_dir.path("linked.ini")).isSymLink());
    EXPECT_EQ(RegistryStore(m_dir.path("elsewhere/linked.ini")).GetRegistryValue(kLoc, "Location(2)"), "Cottage");
    EXPECT_FALSE(m_dir.exists("linked.ini.damaged"));
}

} // namespace
} // namespace qern
