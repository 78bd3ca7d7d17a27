#include <gtest/gtest.h>

#include "Tables.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

QList<QByteArray> allItems(const QByteArray &content)
{
    CsvFieldReader reader(content);
    QList<QByteArray> items;
    while (!reader.atEnd())
        items.append(reader.next());
    return items;
}

QByteArray numberedLines(const char *prefix, int count, const char *country)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += '"' + QByteArray(prefix) + QByteArray::number(i) + "\",\"Name " + QByteArray::number(i)
                + "\",\"" + country + "\"\r\n";
    return text;
}

const QByteArray kStates = "\"WA\",\"Western Australia\",\"AUS\"\r\n"
                           "\"NT\",\"Northern Territory\",\"AUS\"\r\n"
                           "\"AB\",\"Alberta\",\"CAN\"\r\n"
                           "\"NT\",\"Northwest Territories\",\"CAN\"\r\n"
                           "\"BC\",\"British Columbia\",\"CAN\"\r\n"
                           "\"WA\",\"Washington\",\"USA\"\r\n"
                           "\"ME\",\"Maine\",\"USA\"\r\n";

} // namespace

TEST(CsvFieldReader, SplitsItemsByTheQuotingRules)
{
    const struct { QByteArray content; QList<QByteArray> items; } cases[] = {
        {"\"a,b\",c", {"a,b", "c"}},                // quotes keep commas
        {" x , y ", {"x", "y"}},                    // unquoted items lose outer blanks
        {"\" x \",y", {" x ", "y"}},                // quoted items keep them
        {"a b,c", {"a b", "c"}},                    // inner blanks stay
        {"\"ab\"cd,e", {"ab", "e"}},                // text after the closing quote is dropped
        {"\"open,end", {"open,end"}},               // an unclosed quote runs to the end
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b", ""}},                   // a final comma leaves one empty item
        {"", {}}, {"\r\n  \r\n", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(allItems(c.content), c.items) << c.content.constData();
}

TEST(CsvFieldReader, ReadsItemsAcrossLineBreaks)
{
    const struct { QByteArray content; QList<QByteArray> items; } cases[] = {
        {"a,b\r\nc,d\r\n", {"a", "b", "c", "d"}}, {"a\nb\rc", {"a", "b", "c"}},
        {"a,\r\nb", {"a", "", "b"}},                // a line break after a comma ends an empty item
        {"a\r\n\r\n\r\nb\r\n", {"a", "b"}},         // blank lines hold no item
        {"\"x\"\r\n\"y\"", {"x", "y"}}, {"\"two\r\nlines\",z", {"two\r\nlines", "z"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(allItems(c.content), c.items) << c.content.constData();
}

TEST(CsvFieldReader, GivesEmptyItemsPastTheEnd)
{
    CsvFieldReader reader("only");
    EXPECT_EQ(reader.next(), "only");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.next(), "");
    EXPECT_EQ(reader.next(), "");
}

class TablesTest : public testing::Test {
protected:
    TestFolder dir;
};

TEST_F(TablesTest, CountryTableHoldsTheFileRowsInOrder)
{
    dir.write("Country.dat", "\"ABW\",\"Aruba\",\"AW\"\r\n\"CAN\",\"Canada\",\"CA\"\r\n");
    CountryTable table;
    ASSERT_FALSE(loadCountryTable(dir.path("Country.dat"), &table).failed());
    ASSERT_EQ(table.rows.size(), 2);
    EXPECT_EQ(table.rows[1].Code, "CAN");
    EXPECT_EQ(table.rows[1].Name, "Canada");
    EXPECT_EQ(table.rows[1].Extra, "CA");
}

TEST_F(TablesTest, TablesKeepOnlyTheirFirstRows)
{
    dir.write("Country.dat", numberedLines("C", 505, "X"));
    CountryTable countries;
    ASSERT_FALSE(loadCountryTable(dir.path("Country.dat"), &countries).failed());
    ASSERT_EQ(countries.rows.size(), 500);
    EXPECT_EQ(countries.rows.last().Code, "C500");

    dir.write("State.dat", numberedLines("S", 201, "USA"));
    StateTable states;
    ASSERT_FALSE(loadStateTable(dir.path("State.dat"), &states).failed());
    ASSERT_EQ(states.rows.size(), 200);
    EXPECT_EQ(states.rows.last().Code, "S200");
    EXPECT_EQ(FindStateName(states, "S201"), "");
}

TEST_F(TablesTest, AFileCutInTheMiddleOfALineGivesEmptyFields)
{
    dir.write("State.dat", "\"AB\",\"Alberta\",\"CAN\"\r\n\"BC\",\"British Columbia\"");
    StateTable states;
    ASSERT_FALSE(loadStateTable(dir.path("State.dat"), &states).failed());
    ASSERT_EQ(states.rows.size(), 2);
    EXPECT_EQ(states.rows[1].Name, "British Columbia");
    EXPECT_EQ(states.rows[1].CountryCode, "");

    dir.write("Country.dat", "\"XYZ\"");
    CountryTable countries;
    ASSERT_FALSE(loadCountryTable(dir.path("Country.dat"), &countries).failed());
    ASSERT_EQ(countries.rows.size(), 1);
    EXPECT_EQ(countries.rows[0].Name, "");
}

TEST_F(TablesTest, MissingTableFileIsAnErrorAndLeavesTheTableAlone)
{
    CountryTable countries;
    countries.rows.append({"KEEP", "Kept", ""});
    const FileError error = loadCountryTable(dir.path("Country.dat"), &countries);
    EXPECT_EQ(error.number, 53);
    EXPECT_EQ(countries.rows.size(), 1);
    EXPECT_FALSE(dir.exists("Country.dat"));
}

TEST(FindCountryName, ComparesCodesExactly)
{
    CountryTable table;
    table.rows = {{"CAN", "Canada", "CA"}, {"USA", "United States", "US"}};
    const struct { const char *code, *name; } cases[] = {
        {"USA", "United States"}, {"CAN", "Canada"}, {"usa", ""}, {" USA", ""}, {"XYZ", ""}, {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FindCountryName(table, c.code), QByteArray(c.name)) << c.code;
}

TEST(FindStateName, PrefersTheRowOfTheBeaconsOwnCountry)
{
    StateTable table;
    table.rows = {{"WA", "Western Australia", "AUS"}, {"NT", "Northern Territory", "AUS"},
                  {"NT", "Northwest Territories", "CAN"}, {"WA", "Washington", "USA"}};
    const struct { const char *code, *country, *name; } cases[] = {
        {"WA", "", "Western Australia"},   // no country: the first row
        {"WA", "AUS", "Western Australia"}, {"WA", "USA", "Washington"}, {"NT", "CAN", "Northwest Territories"},
        {"NT", "GBR", "Northern Territory"}, // no row of that country: the first row
        {"wa", "USA", ""}, {"XX", "USA", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FindStateName(table, c.code, c.country), QByteArray(c.name)) << c.code << ' ' << c.country;
}

TEST_F(TablesTest, LookupCountryIgnoresCaseAndGivesABlankWhenNothingMatches)
{
    dir.write("country.dat", "\"CAN\",\"Canada\",\"CA\"\r\n\"USA\",\"United States\",\"US\"\r\n");
    const struct { const char *code, *name; } cases[] = {
        {"usa", "United States"}, {"USA", "United States"}, {"Can", "Canada"}, {"XYZ", " "},
    };
    for (const auto &c : cases) {
        const FileLookup found = LookupCountry(dir.folder(), c.code);
        EXPECT_FALSE(found.fileMissing);
        EXPECT_EQ(found.name, QByteArray(c.name)) << c.code;
    }
}

TEST_F(TablesTest, LookupStateTakesTheFirstLineWhateverItsCountry)
{
    dir.write("State.dat", kStates);
    EXPECT_EQ(LookupState(dir.folder(), "wa").name, "Western Australia");
    EXPECT_EQ(LookupState(dir.folder(), "me").name, "Maine");
    EXPECT_EQ(LookupState(dir.folder(), "QQ").name, " ");
}

TEST_F(TablesTest, FileLookupsReportAMissingOrEmptyFile)
{
    const FileLookup missingCountry = LookupCountry(dir.folder(), "USA");
    EXPECT_TRUE(missingCountry.fileMissing);
    EXPECT_EQ(missingCountry.name, "");
    EXPECT_TRUE(LookupState(dir.folder(), "WA").fileMissing);
    EXPECT_FALSE(dir.exists("Country.dat"));
    EXPECT_FALSE(dir.exists("State.dat"));

    dir.write("Country.dat", "");
    const FileLookup empty = LookupCountry(dir.folder(), "USA");
    EXPECT_FALSE(empty.fileMissing);
    EXPECT_TRUE(empty.fileEmpty);
    EXPECT_EQ(empty.name, "");
}

TEST_F(TablesTest, LoadStateListListsTheStatesOfTheThreeCountries)
{
    dir.write("State.dat", kStates);
    const struct { const char *country; QList<QByteArray> names; } cases[] = {
        {"Canada", {"Alberta", "Northwest Territories", "British Columbia"}},
        {"Australia", {"Western Australia", "Northern Territory"}}, {"USA", {"Washington", "Maine"}},
        {"canada", {}}, {"France", {}},
    };
    for (const auto &c : cases) {
        const StateList list = LoadStateList(dir.folder(), "", c.country);
        EXPECT_FALSE(list.fileMissing);
        EXPECT_EQ(list.names, c.names) << c.country;
    }
}

TEST_F(TablesTest, LoadStateListNamesTheStateOfTheBeaconsCountry)
{
    dir.write("State.dat", kStates);
    const struct { const char *code, *country, *countryCode; std::optional<QByteArray> box; } cases[] = {
        {"WA", "Australia", "AUS", QByteArray("Western Australia")},
        {"WA", "USA", "USA", QByteArray("Washington")},
        {"NT", "Canada", "CAN", QByteArray("Northwest Territories")},
        {"NT", "Australia", "AUS", QByteArray("Northern Territory")},
        {"WA", "Canada", "CAN", QByteArray("Western Australia")}, // none of the country: the first line
        {"WA", "", "", QByteArray("Western Australia")},
        {"AB", "France", "FRA", QByteArray("Alberta")}, // set even when nothing is listed
        {"ab", "Canada", "CAN", std::nullopt}, {"", "Canada", "CAN", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LoadStateList(dir.folder(), c.code, c.country, c.countryCode).stateBoxText, c.box)
            << c.code << " " << c.countryCode;
}

TEST_F(TablesTest, LoadStateListHasNoLimitOnTheNames)
{
    dir.write("State.dat", numberedLines("S", 250, "USA"));
    const StateList list = LoadStateList(dir.folder(), "S250", "USA");
    ASSERT_EQ(list.names.size(), 250);
    EXPECT_EQ(list.names.last(), "Name 250");
    EXPECT_EQ(list.stateBoxText, QByteArray("Name 250"));
}

TEST_F(TablesTest, LoadStateListReportsAMissingFile)
{
    const StateList list = LoadStateList(dir.folder(), "WA", "USA");
    EXPECT_TRUE(list.fileMissing);
    EXPECT_TRUE(list.names.isEmpty());
    EXPECT_FALSE(list.stateBoxText.has_value());
}
