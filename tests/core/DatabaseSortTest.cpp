#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "CLocale.h"
#include "DatabaseSort.h"
#include "NumberText.h"
#include "Fixtures.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord tuned(const QByteArray &ident, const QByteArray &frequency, const QByteArray &location = "Somewhere")
{
    return beacon({.ident = ident, .location = location, .frequency = frequency});
}

// "ident@location" of each record in file order.
QList<QByteArray> labels(const QByteArray &bytes)
{
    QList<QByteArray> out;
    for (const BeaconRecord &r : recordsOf<BeaconRecord>(bytes))
        out.append(r.trimmedText(BeaconField::Ident) + "@" + r.trimmedText(BeaconField::Location));
    return out;
}

// Records full of ties: few first ident characters, lower case, DGPS and Navtex
// idents, duplicate suffixes, empty idents; few frequency values written several ways.
QByteArray generatedDatabase(int count, unsigned seed)
{
    std::mt19937 random(seed);
    const QByteArray firsts = "ABCMXZ019#$az";
    const QList<QByteArray> frequencies = {"338", "338.0", "0338", "283.5", "283.50", "", "4499.9", ".5",
                                           "1e3", " 5", "abc", "1 5", "1.2.3"};
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray ident;
        if (random() % 20) {
            ident = QByteArray(1, firsts[random() % firsts.size()]) + char('A' + random() % 26);
            if (random() % 10 == 0)
                ident += ";2";
        }
        // Few distinct frequencies, so that many keys are equal.
        QByteArray frequency = random() % 2 ? QByteArray::number(200 + random() % 40)
                                            : frequencies[random() % frequencies.size()];
        if (random() % 3 == 0)
            frequency += random() % 2 ? ".5" : ".50";
        BeaconRecord r = tuned(ident, frequency, "Place " + QByteArray::number(i));
        r.setLoggedMask(random() % 65536);
        r.setRaw(BeaconField::Spare, QByteArray(1, char('a' + i % 26)));
        bytes += r.bytes();
    }
    return bytes;
}

// The two exchange passes, pair by pair: the order the sort must give, ties included.
QByteArray exchangePassesImage(const QByteArray &image)
{
    const qsizetype n = image.size() / BeaconRecord::Length;
    auto recordAt = [](const QByteArray &bytes, qsizetype k) {
        return BeaconRecord::fromBytes(bytes.mid(k * BeaconRecord::Length, BeaconRecord::Length));
    };
    auto pass = [&](const QByteArray &from, auto keyOf, auto swaps) {
        std::vector<qint64> keys;
        std::vector<qsizetype> order;
        for (qsizetype k = 0; k < n; ++k) {
            keys.push_back(keyOf(recordAt(from, k)));
            order.push_back(k);
        }
        for (qsizetype i = 0; i + 1 < n; ++i) {
            for (qsizetype j = i + 1; j < n; ++j) {
                if (swaps(keys[i], keys[j])) {
                    std::swap(keys[i], keys[j]);
                    std::swap(order[i], order[j]);
                }
            }
        }
        QByteArray out;
        for (const qsizetype k : order)
            out += from.mid(k * BeaconRecord::Length, BeaconRecord::Length);
        return out;
    };
    const QByteArray byIdent = pass(
        image,
        [](const BeaconRecord &r) -> qint64 {
            const QByteArray ident = r.text(BeaconField::Ident);
            return ident.isEmpty() ? -1 : static_cast<unsigned char>(ident.front());
        },
        [](qint64 a, qint64 b) { return a <= b; });
    return pass(
        byIdent,
        [](const BeaconRecord &r) {
            return roundToInteger(roundToDecimals(numericValue(r.text(BeaconField::Frequency)), 4) * 10000.0);
        },
        [](qint64 a, qint64 b) { return a >= b; });
}

class Sort : public ::testing::Test {
protected:
    SortResult sort(const SortProgress &progress = {})
    {
        const SortResult r = SortBeaconDatabase(t.folder(), progress);
        EXPECT_EQ(r.verdict, SortVerdict::Sorted) << r.message().toStdString();
        return r;
    }

    TestFolder t;
};

} // namespace

TEST_F(Sort, DatabaseOfNoneOrOneRecordIsUnchanged)
{
    for (const QByteArray &database : {QByteArray(""), tuned("AB", "338").bytes()}) {
        t.write("ndb.dat", database);
        const SortResult r = sort();
        EXPECT_EQ(r.recordCount, database.size() / BeaconRecord::Length);
        EXPECT_EQ(t.read("ndb.dat"), database);
        EXPECT_TRUE(r.message().isEmpty());
    }
}

TEST_F(Sort, FrequencyOrdersByValueThenTheFirstIdentCharacter)
{
    const struct { const char *name; QList<BeaconRecord> records; QList<QByteArray> sorted; } cases[] = {
        {"five, three, three sharing the first character",
         {tuned("AX", "5", "first"), tuned("AY", "3", "second"), tuned("AZ", "3", "third")},
         {"AY@second", "AZ@third", "AX@first"}},
        {"equal frequencies", {tuned("XA", "5"), tuned("MB", "3"), tuned("BC", "3")},
         {"BC@Somewhere", "MB@Somewhere", "XA@Somewhere"}},
        {"B before A", {tuned("B", "338"), tuned("A", "338")}, {"A@Somewhere", "B@Somewhere"}},
        {"A before B", {tuned("A", "338"), tuned("B", "338")}, {"A@Somewhere", "B@Somewhere"}},
        // Equal frequencies show the first pass turned round: the lowest codes end first.
        {"DGPS and Navtex idents", {tuned("AB", "300"), tuned("#12", "300"), tuned("9Z", "300"), tuned("$A", "300")},
         {"#12@Somewhere", "$A@Somewhere", "9Z@Somewhere", "AB@Somewhere"}},
        // 283.5 and 283.50 are one value: the smaller first character comes first.
        {"one value, two texts", {tuned("A", "283.50"), tuned("B", "283.5")}, {"A@Somewhere", "B@Somewhere"}},
        {"one value, two texts, turned", {tuned("B", "283.5"), tuned("A", "283.50")}, {"A@Somewhere", "B@Somewhere"}},
        {"values, not texts", {tuned("A", "1000"), tuned("B", "99.5"), tuned("C", "283")},
         {"B@Somewhere", "C@Somewhere", "A@Somewhere"}},
        {"half kilohertz",
         {tuned("A", "283", "1"), tuned("B", "283.7", "2"), tuned("C", "283.5", "3"), tuned("D", "283", "4")},
         {"A@1", "D@4", "C@3", "B@2"}},
    };
    // The same bytes where "," is the decimal separator.
    for (const auto &c : cases) {
        QByteArray sortedInC;
        for (const char *locale : {"C", kCommaDecimalLocale}) {
            const ScopedCLocale scoped(locale);
            ASSERT_TRUE(scoped.active());
            t.write("ndb.dat", bytesOf(c.records));
            sort();
            const QByteArray sorted = t.read("ndb.dat");
            EXPECT_EQ(labels(sorted), c.sorted) << c.name << " in " << locale;
            if (sortedInC.isNull())
                sortedInC = sorted;
            EXPECT_EQ(sorted, sortedInC) << c.name << " in " << locale;
        }
    }
}

TEST_F(Sort, GivesTheExchangePassesOrderByteForByte)
{
    for (const int count : {2, 3, 17, 600, 2500}) {
        for (const unsigned seed : {11u, 12u, 13u}) {
            const QByteArray database = generatedDatabase(count, seed);
            t.write("ndb.dat", database);
            sort();
            EXPECT_EQ(t.read("ndb.dat"), exchangePassesImage(database)) << count << " records, seed " << seed;
        }
    }

    // The shipped database, as it is and with its records turned round.
    QByteArray shipped;
    ASSERT_FALSE(readWholeFile(QStringLiteral(QERN_SOURCE_DATA_DIR "/ndb.dat"), &shipped).failed());
    QByteArray reversed;
    for (qsizetype at = shipped.size() - BeaconRecord::Length; at >= 0; at -= BeaconRecord::Length)
        reversed += shipped.mid(at, BeaconRecord::Length);
    for (const QByteArray &database : {shipped, reversed}) {
        t.write("ndb.dat", database);
        sort();
        EXPECT_EQ(t.read("ndb.dat"), exchangePassesImage(database));
    }
}

// Every record keeps its bytes and the result ascends, at ten thousand records and past them.
TEST_F(Sort, TenThousandRecordsAndMoreAreSortedAndKeptWhole)
{
    for (const int count : {10000, 10001}) {
        const QByteArray database = generatedDatabase(count, count == 10000 ? 2 : 1);
        t.write("ndb.dat", database);
        t.write("ndb.hhh", "left over");

        EXPECT_EQ(sort().recordCount, count);

        QList<QByteArray> before, after;
        for (const BeaconRecord &r : recordsOf<BeaconRecord>(database))
            before.append(r.bytes());
        double previous = -1;
        for (const BeaconRecord &r : recordsOf<BeaconRecord>(t.read("ndb.dat"))) {
            after.append(r.bytes());
            const double kHz = numericValue(r.trimmedText(BeaconField::Frequency));
            EXPECT_GE(kHz, previous);
            previous = kHz;
        }
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << count;
        EXPECT_EQ(t.read("ndb.dat").size(), database.size());
        EXPECT_FALSE(t.exists("ndb.hhh"));
    }
}

TEST_F(Sort, FailedWriteKeepsTheOldDatabase)
{
    const QByteArray database = generatedDatabase(50, 3);
    t.write("ndb.dat", database);
    t.mkdir("ndb.dat.tmp");

    const SortResult r = SortBeaconDatabase(t.folder());

    EXPECT_EQ(r.verdict, SortVerdict::Failed);
    EXPECT_TRUE(r.message().startsWith("Error # ")) << r.message().toStdString();
    EXPECT_EQ(t.read("ndb.dat"), database);
}

TEST_F(Sort, LeftoversOfAnInterruptedSortAreRemoved)
{
    t.write("ndb.dat", generatedDatabase(5, 4));
    t.write("ndb.hhh", QByteArray(213 * 40, 'h'));
    t.write("notes.txt", "the user's own file");
    ASSERT_TRUE(QFile::link(t.path("notes.txt"), t.path("ndb.srt")));

    sort();

    EXPECT_FALSE(t.exists("ndb.hhh"));
    EXPECT_FALSE(QFileInfo(t.path("ndb.srt")).isSymLink()) << "the link of that name goes";
    EXPECT_EQ(t.read("notes.txt"), "the user's own file") << "the file it pointed to stays";
    EXPECT_EQ(t.read("ndb.dat").size(), 5 * 213);
}

TEST_F(Sort, MissingOrDamagedDatabaseIsNotSorted)
{
    SortResult r = SortBeaconDatabase(t.folder());
    EXPECT_EQ(r.verdict, SortVerdict::Failed);
    EXPECT_EQ(r.error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));

    const QByteArray damaged = generatedDatabase(3, 5) + "xyz";
    t.write("ndb.dat", damaged);
    r = SortBeaconDatabase(t.folder());
    EXPECT_EQ(r.verdict, SortVerdict::DatabaseDamaged);
    EXPECT_EQ(r.message(), "Records mismatched. Database corrupted.");
    EXPECT_EQ(t.read("ndb.dat"), damaged);
}

TEST_F(Sort, ProgressIsReportedAtEveryTenthPercentOfEachPass)
{
    const struct { int records; QList<qint64> perPass; } cases[] = {
        {20, {2, 4, 6, 8, 10, 12, 14, 16, 18}},
        // 1/7 rounds to 14 %, 3/7 to 43 %, 5/7 to 71 %: none is a multiple of 10.
        {7, {}}, {3, {}}, {1, {}},
    };
    for (const auto &c : cases) {
        t.write("ndb.dat", generatedDatabase(c.records, 6));
        QList<qint64> values;
        sort([&](qint64 value, qint64 maximum) {
            EXPECT_EQ(maximum, c.records);
            values.append(value);
        });
        EXPECT_EQ(values, c.perPass + c.perPass) << c.records;
    }
}
