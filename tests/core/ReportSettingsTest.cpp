#include <gtest/gtest.h>

#include "RegistryStore.h"
#include "ReportSettings.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

constexpr const char *kProg = RegistryKeys::ProgramPreferences;

class ReportSettingsTest : public ::testing::Test {
protected:
    QString storePath() const { return m_dir.path("registry.ini"); }
    TestFolder m_dir;
};

} // namespace

TEST_F(ReportSettingsTest, SortIsStoredAsTheIndexWithALeadingBlankAndTheOrderWord)
{
    RegistryStore store(storePath());
    EXPECT_TRUE(storeReportSort(store, kCLEReportSort, {3, true}));
    EXPECT_EQ(store.GetRegistryValue(kProg, "CLESortBy"), " 3");
    EXPECT_EQ(store.GetRegistryValue(kProg, "CLESortByOrder"), "Descending");

    EXPECT_TRUE(storeReportSort(store, kListeningReportSort, {0, false}));
    EXPECT_EQ(store.GetRegistryValue(kProg, "ListeningReportSortBy"), " 0");
    EXPECT_EQ(store.GetRegistryValue(kProg, "ListeningReportSortByOrder"), "Ascending");

    RegistryStore reread(storePath());
    const ReportSort sort = readReportSort(reread, kCLEReportSort);
    EXPECT_EQ(sort.index, 3);
    EXPECT_TRUE(sort.descending);
}

TEST_F(ReportSettingsTest, SortReadBackFallsToTheFirstKeyAscending)
{
    const struct { QByteArray sortBy; QByteArray order; int index; bool descending; } cases[] = {
        {"", "", 0, false},          // never saved
        {" 4", "Descending", 4, true},
        {"2", "descending", 2, false}, // the order word is compared exactly
        {"5", "Ascending", 0, false},  // past the last key
        {"-1", "Ascending", 0, false}, {"x", "Sideways", 0, false},
    };
    for (const auto &c : cases) {
        TestFolder dir;
        RegistryStore store(dir.path("registry.ini"));
        store.SetRegistryValue(kProg, kRegistryString, "CLESortBy", c.sortBy);
        store.SetRegistryValue(kProg, kRegistryString, "CLESortByOrder", c.order);
        const ReportSort sort = readReportSort(store, kCLEReportSort);
        EXPECT_EQ(sort.index, c.index) << c.sortBy.constData();
        EXPECT_EQ(sort.descending, c.descending) << c.order.constData();
    }
}

TEST_F(ReportSettingsTest, FileNamesGoToTheTextOrTheExcelValue)
{
    RegistryStore store(storePath());
    storeReportFileName(store, kListeningReportFiles, true, "/home/me/report.txt");
    storeReportFileName(store, kListeningReportFiles, false, "/home/me/report.csv");
    storeReportFileName(store, kCLEReportFiles, true, "");

    EXPECT_EQ(store.GetRegistryValue(RegistryKeys::FilePath, "ListeningReportText"), "/home/me/report.txt");
    EXPECT_EQ(store.GetRegistryValue(RegistryKeys::FilePath, "ListeningReportExcel"), "/home/me/report.csv");
    EXPECT_EQ(readReportFileName(store, kListeningReportFiles, false), "/home/me/report.csv");
    EXPECT_EQ(readReportFileName(store, kCLEReportFiles, true), ""); // an empty name writes nothing
}

TEST(CLEReportSettings, TextRoundTripsOptionsAndLimits)
{
    CLEReportOptions options;
    options.options = {true, false, true, true, false, false, true, false, false, false, false, true, true};
    options.lowerKHz = 190;
    options.upperKHz = 1750;

    const QByteArray text = cleReportSettingsText(options);

    EXPECT_EQ(text, "101100100001101901750");
    const std::optional<CLEReportOptions> parsed = parseCLEReportSettings(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->options, options.options);
    EXPECT_EQ(parsed->lowerKHz, 190);
    EXPECT_EQ(parsed->upperKHz, 1750);
}

TEST(CLEReportSettings, LimitsAreKeptToFourDigits)
{
    CLEReportOptions options = CLEReportOptions::defaults();
    options.lowerKHz = -5;
    options.upperKHz = 12345;
    EXPECT_EQ(cleReportSettingsText(options), "111111111111100009999");
}

TEST(CLEReportSettings, TextsNotOfTheFormAreRefused)
{
    for (const QByteArray &text : {QByteArray(""), QByteArray("1111111111111000009999"), // 22 characters
                                  QByteArray("11111111111110000999"),                    // 20
                                  QByteArray("211111111111100009999"),                   // option not 0/1
                                  QByteArray("11111111111110000 999"),                   // blank in a limit
                                  QByteArray("1111111111111000a9999")})
        EXPECT_FALSE(parseCLEReportSettings(text).has_value()) << text.constData();
}
