#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "BeaconDatabase.h"
#include "DatabaseSort.h"
#include "NumberText.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

BeaconRecord beacon(const QByteArray &ident, const QByteArray &frequency, const QByteArray &location = "Somewhere")
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, "CAN"));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, location));
    EXPECT_TRUE(r.setShifted(BeaconField::Frequency, frequency));
    r.setLoggedMask(0);
    return r;
}

QByteArray bytesOf(const QList<BeaconRecord> &records)
{
    QByteArray bytes;
    for (const BeaconRecord &r : records)
        bytes += r.bytes();
    return bytes;
}

QList<BeaconRecord> recordsOf(const QByteArray &bytes)
{
    QList<BeaconRecord> records;
    for (qsizetype at = 0; at + BeaconRecord::Length <= bytes.size(); at += BeaconRecord::Length)
        records.append(BeaconRecord::fromBytes(bytes.mid(at, BeaconRecord::Length)));
    return records;
}

// "ident@location" of each record in file order.
QList<QByteArray> labels(const QByteArray &bytes)
{
    QList<QByteArray> out;
    for (const BeaconRecord &r : recordsOf(bytes))
        out.append(r.trimmedText(BeaconField::Ident) + "@" + r.trimmedText(BeaconField::Location));
    return out;
}

QByteArray generatedDatabase(int count, unsigned seed)
{
    std::mt19937 random(seed);
    const QByteArray firsts = "ABCMXZ019#$";
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray ident(1, firsts[random() % firsts.size()]);
        ident += char('A' + random() % 26);
        // Few distinct frequencies, so that many keys are equal.
        QByteArray frequency = QByteArray::number(200 + random() % 40);
        if (random() % 3 == 0)
            frequency += random() % 2 ? ".5" : ".50";
        BeaconRecord r = beacon(ident, frequency, "Place " + QByteArray::number(i));
        r.setLoggedMask(random() % 65536);
        r.setRaw(BeaconField::Spare, QByteArray(1, char('a' + i % 26)));
        bytes += r.bytes();
    }
    return bytes;
}

class Sort : public ::testing::Test {
protected:
    SortResult sort(const SortProgress &progress = {})
    {
        const SortResult r = SortBeaconDatabase(t.folder(), progress);
        EXPECT_EQ(r.verdict, SortVerdict::Sorted) << r.message().toStdString();
        return r;
    }

    QList<QByteArray> sortedLabels(const QList<BeaconRecord> &records)
    {
        t.write("ndb.dat", bytesOf(records));
        sort();
        return labels(t.read("ndb.dat"));
    }

    TestFolder t;
};

} // namespace

TEST_F(Sort, DatabaseOfNoneOrOneRecordIsUnchanged)
{
    for (const QByteArray &database : {QByteArray(""), beacon("AB", "338").bytes()}) {
        t.write("ndb.dat", database);
        const SortResult r = sort();
        EXPECT_EQ(r.recordCount, database.size() / BeaconRecord::Length);
        EXPECT_EQ(t.read("ndb.dat"), database);
        EXPECT_TRUE(r.message().isEmpty());
    }
}

TEST_F(Sort, FiveThreeThreeSharingTheFirstCharacterEndFirstThreeSecondThreeFive)
{
    EXPECT_EQ(sortedLabels({beacon("AX", "5", "first"), beacon("AY", "3", "second"), beacon("AZ", "3", "third")}),
              (QList<QByteArray>{"AY@second", "AZ@third", "AX@first"}));
}

TEST_F(Sort, EqualFrequenciesEndInOrderOfTheFirstIdentCharacter)
{
    EXPECT_EQ(sortedLabels({beacon("XA", "5"), beacon("MB", "3"), beacon("BC", "3")}),
              (QList<QByteArray>{"BC@Somewhere", "MB@Somewhere", "XA@Somewhere"}));
    for (const auto &order : {QList<QByteArray>{"B", "A"}, QList<QByteArray>{"A", "B"}}) {
        EXPECT_EQ(sortedLabels({beacon(order[0], "338"), beacon(order[1], "338")}),
                  (QList<QByteArray>{"A@Somewhere", "B@Somewhere"}));
    }
}

TEST_F(Sort, DgpsAndNavtexIdentsComeAfterLettersAndDigitsInTheFirstPass)
{
    // Equal frequencies show the first pass turned round: the lowest codes end first.
    EXPECT_EQ(sortedLabels({beacon("AB", "300"), beacon("#12", "300"), beacon("9Z", "300"), beacon("$A", "300")}),
              (QList<QByteArray>{"#12@Somewhere", "$A@Somewhere", "9Z@Somewhere", "AB@Somewhere"}));
}

TEST_F(Sort, FrequenciesCompareByValue)
{
    // 283.5 and 283.50 are one value: the smaller first character comes first.
    for (const auto &order : {QList<int>{0, 1}, QList<int>{1, 0}}) {
        const QList<BeaconRecord> records = {beacon("A", "283.50"), beacon("B", "283.5")};
        EXPECT_EQ(sortedLabels({records[order[0]], records[order[1]]}),
                  (QList<QByteArray>{"A@Somewhere", "B@Somewhere"}));
    }
    EXPECT_EQ(sortedLabels({beacon("A", "1000"), beacon("B", "99.5"), beacon("C", "283")}),
              (QList<QByteArray>{"B@Somewhere", "C@Somewhere", "A@Somewhere"}));
}

TEST_F(Sort, EveryRecordKeepsItsBytesAndTheResultAscends)
{
    const QByteArray database = generatedDatabase(600, 42);
    t.write("ndb.dat", database);

    sort();

    const QByteArray after = t.read("ndb.dat");
    ASSERT_EQ(after.size(), database.size());
    QList<QByteArray> before;
    for (const BeaconRecord &r : recordsOf(database))
        before.append(r.bytes());
    QList<QByteArray> sorted;
    double previous = -1;
    for (const BeaconRecord &r : recordsOf(after)) {
        sorted.append(r.bytes());
        const double kHz = numericValue(r.trimmedText(BeaconField::Frequency));
        EXPECT_GE(kHz, previous);
        previous = kHz;
    }
    std::sort(before.begin(), before.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, before);
}

TEST_F(Sort, MoreThan10000RecordsAreRefusedBeforeAnythingIsWritten)
{
    const QByteArray database = generatedDatabase(10001, 1);
    t.write("ndb.dat", database);
    t.write("ndb.hhh", "left over");

    const SortResult r = SortBeaconDatabase(t.folder());

    EXPECT_EQ(r.verdict, SortVerdict::TooManyRecords);
    EXPECT_EQ(r.recordCount, 10001);
    EXPECT_EQ(r.message(), "The database holds more than 10000 records and cannot be sorted.");
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_TRUE(t.exists("ndb.hhh"));
}

TEST_F(Sort, ExactlyTenThousandRecordsAreSorted)
{
    t.write("ndb.dat", generatedDatabase(10000, 2));
    EXPECT_EQ(sort().recordCount, 10000);
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
    t.write("ndb.srt", " 1\r\n 2\r\n");

    sort();

    EXPECT_FALSE(t.exists("ndb.hhh"));
    EXPECT_FALSE(t.exists("ndb.srt"));
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
    const struct {
        int records;
        QList<qint64> perPass;
    } cases[] = {
        {20, {2, 4, 6, 8, 10, 12, 14, 16, 18}},
        // 1/7 rounds to 14 %, 3/7 to 43 %, 5/7 to 71 %: none is a multiple of 10.
        {7, {}},
        {3, {}},
        {1, {}},
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
