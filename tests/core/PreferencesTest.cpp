#include <gtest/gtest.h>

#include "Preferences.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

constexpr const char *kProg = RegistryKeys::ProgramPreferences;
constexpr const char *kLoc = RegistryKeys::ListeningLocations;
constexpr const char *kRadar = RegistryKeys::RadarPreferences;

QStringList descriptions(const QList<ConversionError> &errors)
{
    QStringList texts;
    for (const ConversionError &e : errors)
        texts.append(e.description);
    return texts;
}

class PreferencesTest : public ::testing::Test {
protected:
    PreferencesTest() : m_store(m_dir.path("registry.ini")) { WriteDefaultPreferences(m_store); }

    LoadedPreferences load(QStringList ports = {}, int current = 0) const
    {
        PreferencesContext context;
        context.portsFound = std::move(ports);
        context.currentLocationIndex = current;
        return LoadPreferences(m_store, context);
    }

    // What frmLocation holds right after a first-run load.
    PreferencesToSave firstRunWindow() const
    {
        const LoadedPreferences p = load();
        PreferencesToSave s;
        s.LocationLat = p.LocationLat;
        s.LocationLon = p.LocationLon;
        s.LocationListItems = p.LocationListItems;
        s.DistanceFilterText = "0";
        s.ShowDetail = 1;
        return s;
    }

    TestFolder m_dir;
    RegistryStore m_store;
};

TEST_F(PreferencesTest, FirstRunLoadsEveryDefaultWithoutErrors)
{
    const LoadedPreferences p = load();
    EXPECT_TRUE(p.errors.isEmpty()) << descriptions(p.errors).join(", ").toStdString();
    const QByteArray home = defaultHomeFolder();
    EXPECT_EQ((QList<QByteArray>{p.LocationLat[15], p.LocationLon[0], p.LocationName, p.LocationLocator,
                                 p.LocationListItems[0], p.LocationListItems[15], p.DXLoggerSignature, p.WeblogFolder,
                                 p.BeaconRadarFolder.value_or("none"), p.BeaconRadarFile.value_or("none"),
                                 p.txtBeaconRadar}),
              (QList<QByteArray>{"430000N", "08000000W", "Location 1", "FN03aa", "Location 1", "Location 16", "",
                                 home, home.chopped(1), "radar.txt", home + "radar.txt"}));
    EXPECT_DOUBLE_EQ(p.BeaconLatitudeDeg, 43.0);
    EXPECT_DOUBLE_EQ(p.BeaconLongitudeDeg, -80.0);
    for (const CheckValue &v : {p.ShowLakes, p.ShowStates, p.ShowIslands, p.ShowRivers, p.ShowBorders})
        EXPECT_EQ(v, 0);
    EXPECT_FALSE(p.Metric);
    EXPECT_EQ(p.DistanceFilterOn, false);
    EXPECT_EQ(std::tuple(p.CurrentLocationIndex, p.DistanceFilterValue, p.DistanceFilterEnabled, p.ShowDetail),
              std::tuple(0, 0, 0, 1));
    EXPECT_EQ(std::tuple(p.RadarLakes, p.RadarStates, p.RadarDetail, p.RadarAll, p.RadarNavtex),
              std::tuple(1, 0, 1, 0, 1));
}

TEST_F(PreferencesTest, PortsFoundAreNumberedAtMostFourAndWithoutThemNoPortSettingIsLoaded)
{
    const LoadedPreferences five = load({"ttyS0", "ttyS1", "ttyUSB0", "ttyUSB1", "ttyUSB2"});
    EXPECT_TRUE(five.GpsPortFound);
    EXPECT_EQ(five.portItems, (QList<QByteArray>{"1", "2", "3", "4"}));
    EXPECT_EQ(std::tuple(five.ComPortIndex, five.ComSpeedIndex, five.ComParityIndex), std::tuple(0, 0, 0));

    m_store.SetRegistryValue(kProg, "String", "ComPort", "junk"); // an error only if it were read
    const LoadedPreferences none = load();
    EXPECT_FALSE(none.GpsPortFound);
    EXPECT_TRUE(none.portItems.isEmpty());
    EXPECT_EQ(std::tuple(none.ComPortIndex, none.ComSpeedIndex, none.ComParityIndex),
              std::tuple(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_TRUE(none.errors.isEmpty());
}

TEST_F(PreferencesTest, PortIndexesOutsideTheirListsSelectNothingSilently)
{
    const struct { const char *name; const char *stored; int expected; } cases[] = {
        {"ComPort", "1", 1}, {"ComPort", "2", -1}, {"ComPort", "-1", -1}, {"ComPort", "-2", -1},
        {"ComSpeed", "6", 6}, {"ComSpeed", "7", -1}, {"ComParity", "3", 3}, {"ComParity", "4", -1},
    };
    for (const auto &c : cases) {
        WriteDefaultPreferences(m_store);
        m_store.SetRegistryValue(kProg, "Number", c.name, c.stored);
        const LoadedPreferences p = load({"ttyS0", "ttyUSB0"});
        const std::optional<int> got = QByteArray(c.name) == "ComPort"    ? p.ComPortIndex
                                       : QByteArray(c.name) == "ComSpeed" ? p.ComSpeedIndex
                                                                          : p.ComParityIndex;
        EXPECT_EQ(got, c.expected) << c.name << " " << c.stored;
        EXPECT_TRUE(p.errors.isEmpty()) << c.name << " " << c.stored;
    }
}

TEST_F(PreferencesTest, ListeningLocationOutsideTheSlotsIsSubscriptOutOfRangeAndTheIndexStays)
{
    for (const char *stored : {"16", "-1", "300"}) {
        m_store.SetRegistryValue(kLoc, "Number", "ListeningLocation", stored);
        const LoadedPreferences p = load({}, 3);
        EXPECT_EQ(descriptions(p.errors), QStringList{"Subscript out of range"}) << stored;
        EXPECT_EQ(p.CurrentLocationIndex, std::nullopt);
        EXPECT_EQ(p.LocationName, "Location 4") << "the earlier location goes on";
    }
}

TEST_F(PreferencesTest, CurrentLocationGivesNameDegreesAndLocator)
{
    m_store.SetRegistryValue(kLoc, "Number", "ListeningLocation", "2");
    m_store.SetRegistryValue(kLoc, "String", "Location(2)", "Cabin");
    m_store.SetRegistryValue(kLoc, "String", "Lat(2)", "513000N");
    m_store.SetRegistryValue(kLoc, "String", "Lon(2)", "0000600W");
    const LoadedPreferences p = load();
    EXPECT_EQ(p.CurrentLocationIndex, 2);
    EXPECT_EQ(p.LocationName, "Cabin");
    EXPECT_EQ(p.LocationLocator, "IO91wm");

    const struct { const char *lat, *lon; double latitude, longitude; } cases[] = {
        {"513000N", "0000600W", 51.5, -0.1},
        {"451530S", "0754500E", -45.2583, 75.75}, // rounded to four decimals
        {"430000s", "0800000w", 43.0, 80.0},      // lower-case hemisphere letters stay positive
    };
    for (const auto &c : cases) {
        m_store.SetRegistryValue(kLoc, "String", "Lat(2)", c.lat);
        m_store.SetRegistryValue(kLoc, "String", "Lon(2)", c.lon);
        const LoadedPreferences q = load();
        EXPECT_DOUBLE_EQ(q.BeaconLatitudeDeg, c.latitude) << c.lat;
        EXPECT_DOUBLE_EQ(q.BeaconLongitudeDeg, c.longitude) << c.lon;
    }
}

TEST_F(PreferencesTest, EachFailingSettingIsTrappedAndTheNextStillLoads)
{
    RegistryStore store(m_dir.path("partial.ini"));
    store.SetRegistryValue(kLoc, "String", "ListeningLocation", "two");
    store.SetRegistryValue(kProg, "Number", "ShowLakes", "1");
    store.SetRegistryValue(kProg, "Number", "ShowIslands", "5");
    store.SetRegistryValue(kProg, "Number", "ShowRivers", "1");
    store.SetRegistryValue(kProg, "Number", "ShowBorders", "1");
    store.SetRegistryValue(kProg, "Number", "DistanceFilter", "40000");
    store.SetRegistryValue(kRadar, "Number", "RadarNavtex", "1");
    PreferencesContext context;
    const LoadedPreferences p = LoadPreferences(store, context);
    EXPECT_EQ(p.CurrentLocationIndex, std::nullopt);
    EXPECT_EQ(p.ShowLakes, 1);
    EXPECT_EQ(p.ShowStates, std::nullopt) << "missing: strict conversion of an empty text";
    EXPECT_EQ(p.ShowIslands, std::nullopt) << "a check box holds 0, 1 or 2";
    EXPECT_EQ(p.ShowRivers, 1);
    EXPECT_EQ(p.DistanceFilterValue, std::nullopt);
    EXPECT_EQ(p.RadarDetail, std::nullopt);
    EXPECT_EQ(p.RadarNavtex, 1);
    const QStringList expected = {
        "Type mismatch",                                     // ListeningLocation
        "Type mismatch",                                     // ShowStates
        "Invalid property value",                            // ShowIslands
        "Overflow",                                          // DistanceFilter
        "Type mismatch", "Type mismatch", "Type mismatch",   // RadarLakes, RadarStates, RadarIslands
        "Type mismatch", "Type mismatch", "Type mismatch",   // RadarRivers, RadarBorders, RadarDetail
        "Type mismatch", "Type mismatch", "Type mismatch",   // RadarAll, RadarLogged, RadarDGPS
        "Type mismatch",                                     // RadarSession
    };
    EXPECT_EQ(descriptions(p.errors), expected);
}

TEST_F(PreferencesTest, DetailOutsideItsScrollBarIsInvalidPropertyValue)
{
    m_store.SetRegistryValue(kProg, "Number", "ShowDetail", "12");
    m_store.SetRegistryValue(kRadar, "Number", "RadarDetail", "9");
    PreferencesContext context;
    context.showDetailMin = 0;
    context.showDetailMax = 10;
    context.radarDetailMin = 0;
    context.radarDetailMax = 10;
    const LoadedPreferences p = LoadPreferences(m_store, context);
    EXPECT_EQ(p.ShowDetail, std::nullopt);
    EXPECT_EQ(p.RadarDetail, 9);
    EXPECT_EQ(descriptions(p.errors), QStringList{"Invalid property value"});
}

TEST_F(PreferencesTest, MetricOnlyForExactlyTrue)
{
    const struct { const char *stored; bool metric; } cases[] = {
        {"True", true}, {"true", false}, {"TRUE", false}, {"False", false}, {" True", false},
    };
    for (const auto &c : cases) {
        m_store.SetRegistryValue(kProg, "String", "Metric", c.stored);
        EXPECT_EQ(load().Metric, c.metric) << c.stored;
    }
    m_store.DeleteRegistryValue(kProg, "Metric");
    EXPECT_FALSE(load().Metric) << "empty";
}

TEST_F(PreferencesTest, DistanceFilterEnableOfOneTurnsTheFilterOn)
{
    const struct { const char *stored; int enabled; bool on; } cases[] = {
        {" 1", 1, true}, {"1", 1, true}, {" 0", 0, false}, {"2", 2, false}, {"0.5", 0, false}, {"1.5", 2, false},
    };
    for (const auto &c : cases) {
        m_store.SetRegistryValue(kProg, "String", "DistanceFilterEnable", c.stored);
        const LoadedPreferences p = load();
        EXPECT_EQ(p.DistanceFilterEnabled, c.enabled) << c.stored;
        EXPECT_EQ(p.DistanceFilterOn, c.on) << c.stored;
    }
}

TEST_F(PreferencesTest, UnnamedLocationIsListedAsEmpty)
{
    m_store.DeleteRegistryValue(kLoc, "Location(4)");
    const LoadedPreferences p = load();
    EXPECT_EQ(p.LocationListItems[4], "Empty");
    EXPECT_EQ(p.LocationListItems[5], "Location 6");
}

TEST_F(PreferencesTest, EmptyRadarPathShowsTheHomeFolderAndSplitsNothing)
{
    m_store.DeleteRegistryValue(RegistryKeys::FilePath, "BeaconRadarPath");
    const LoadedPreferences p = load();
    EXPECT_EQ(p.txtBeaconRadar, defaultHomeFolder());
    EXPECT_EQ(p.BeaconRadarFolder, std::nullopt);
    EXPECT_EQ(p.BeaconRadarFile, std::nullopt);
    EXPECT_TRUE(p.errors.isEmpty());
}

TEST(PreferencesPath, SplitsAtTheLastSlashOrBackslash)
{
    const struct { QByteArray path; QByteArray folder; QByteArray file; } cases[] = {
        {"D:\\radar\\out.txt", "D:\\radar", "out.txt"}, {"D:\\", "D:", ""},
        {"/home/ann/radar.txt", "/home/ann", "radar.txt"}, {"/home/ann/", "/home/ann", ""},
        {"/radar.txt", "/", "radar.txt"}, {"C:/mixed\\out.txt", "C:/mixed", "out.txt"},
        {"C:\\mixed/out.txt", "C:\\mixed", "out.txt"}, {"radar.txt", "", "radar.txt"},
    };
    for (const auto &c : cases) {
        const PathParts parts = splitFolderAndFile(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path.constData();
        EXPECT_EQ(parts.file, c.file) << c.path.constData();
    }
}

TEST(PreferencesDistanceFilter, RoundsHalfToEvenAndClampsToTheFilterRange)
{
    const struct { QByteArray text; qint32 stored; } cases[] = {
        {"150.5", 150}, {"151.5", 152}, {"", 0}, {"abc", 0}, {"150 km", 150},
        {"-5", 0}, {"32767", 32767}, {"32768", 32767}, {"99999999999", 32767}, {"1e300", 32767},
    };
    for (const auto &c : cases)
        EXPECT_EQ(distanceFilterToStore(c.text), c.stored) << c.text.constData();
}

TEST_F(PreferencesTest, SaveWritesWhatTheWindowHolds)
{
    PreferencesToSave s = firstRunWindow();
    s.LocationLat[1] = "451500N";
    s.LocationLon[1] = "0753000W";
    s.LocationListItems[1] = "Cottage";
    s.LocationListItems[2] = "Empty";
    s.selectedLocationIndex = 1;
    s.DXLoggerSignature = "K1ABC";
    s.DistanceFilterText = "151.5";
    s.DistanceFilterEnabled = 1;
    s.ShowLakes = 1;
    s.ShowBorders = 1;
    s.Metric = true;
    s.ShowDetail = 3;
    s.ComPortIndex = -1;
    s.ComSpeedIndex = 4;
    s.ComParityIndex = 0;
    ASSERT_TRUE(SavePreferences(m_store, s));

    RegistryStore reopened(m_dir.path("registry.ini"));
    const struct { const char *key; const char *name; QByteArray expected; } cases[] = {
        {kLoc, "Lat(1)", "451500N"}, {kLoc, "Lon(1)", "0753000W"},
        {kLoc, "Location(1)", "Cottage"}, {kLoc, "Location(2)", "Empty"},
        {kLoc, "ListeningLocation", "1"}, {kProg, "DXLoggerSignature", "K1ABC"},
        {kProg, "DistanceFilter", "152"}, {kProg, "DistanceFilterEnable", " 1"},
        {kProg, "ShowLakes", "1"}, {kProg, "ShowStates", "0"},
        {kProg, "ShowBorders", "1"}, {kProg, "Metric", "True"},
        {kProg, "ShowDetail", "3"}, {kProg, "ComPort", "-1"},
        {kProg, "ComSpeed", "4"}, {kProg, "ComParity", "0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(reopened.GetRegistryValue(c.key, c.name), c.expected) << c.name;
}

TEST_F(PreferencesTest, SaveThenLoadGivesTheSavedSettingsBack)
{
    PreferencesToSave s = firstRunWindow();
    s.selectedLocationIndex = 5;
    s.DistanceFilterText = "250";
    s.DistanceFilterEnabled = 1;
    s.ShowRivers = 1;
    s.ComSpeedIndex = 6;
    s.ComPortIndex = 1;
    s.ComParityIndex = 2;
    ASSERT_TRUE(SavePreferences(m_store, s));
    const LoadedPreferences p = load({"ttyS0", "ttyS1"});
    EXPECT_TRUE(p.errors.isEmpty());
    EXPECT_EQ(p.LocationName, "Location 6");
    EXPECT_EQ(p.DistanceFilterOn, true);
    EXPECT_EQ(std::tuple(p.CurrentLocationIndex, p.DistanceFilterValue, p.ShowRivers, p.ComPortIndex,
                         p.ComSpeedIndex, p.ComParityIndex),
              std::tuple(5, 250, 1, 1, 6, 2));
}

TEST_F(PreferencesTest, SaveClampsTheDistanceFilterIntoItsRange)
{
    PreferencesToSave s = firstRunWindow();
    s.DistanceFilterText = "70000";
    ASSERT_TRUE(SavePreferences(m_store, s));
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "DistanceFilter"), "32767");
    EXPECT_EQ(load().DistanceFilterValue, 32767) << "loads without an Overflow";
}

TEST_F(PreferencesTest, SavingAnEmptySignatureRemovesTheStoredOne)
{
    PreferencesToSave s = firstRunWindow();
    s.DXLoggerSignature = "K1ABC";
    ASSERT_TRUE(SavePreferences(m_store, s));
    s.DXLoggerSignature = "";
    ASSERT_TRUE(SavePreferences(m_store, s));
    EXPECT_EQ(RegistryStore(m_dir.path("registry.ini")).GetRegistryValue(kProg, "DXLoggerSignature"), "");
    EXPECT_EQ(load().DXLoggerSignature, "");
}

TEST_F(PreferencesTest, SavingToAStoreThatCannotBeWrittenFailsAndChangesNothing)
{
    PreferencesToSave s = firstRunWindow();
    s.Metric = true;
    m_dir.mkdir("registry.ini.tmp");
    EXPECT_FALSE(SavePreferences(m_store, s));
    EXPECT_EQ(m_store.takeMessages().size(), 1);
    EXPECT_EQ(m_store.GetRegistryValue(kProg, "Metric"), "False");
}

} // namespace
} // namespace qern
