// The files QERN ships in data/ must load through the program's own readers.

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

#include <algorithm>

#include "BeaconDatabase.h"
#include "ClockTexts.h"
#include "FileIo.h"
#include "Geodesy.h"
#include "MapOutline.h"
#include "NumberText.h"
#include "Tables.h"

using namespace qern;

namespace {

ProgramFolder shipped()
{
    return ProgramFolder(QStringLiteral(QERN_SOURCE_DATA_DIR));
}

// A hemisphere letter of hemispheres, then digits digits: "N38480100", "W090382900".
bool isCoordinateText(QByteArrayView text, QByteArrayView hemispheres, qsizetype digits)
{
    if (text.size() != 1 + digits || !hemispheres.contains(text.front()))
        return false;
    return std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "yyyymm" of a real month.
bool isYearMonth(QByteArrayView text)
{
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int month = text.sliced(4).toByteArray().toInt();
    return month >= 1 && month <= 12;
}

} // namespace

TEST(ShippedData, BeaconDatabasePassesTheIntegrityCheckAndDecodes)
{
    const ProgramFolder folder = shipped();
    ASSERT_EQ(fileLength(databasePath(folder)) % BeaconRecord::Length, 0);
    const IntegrityResult integrity = CheckDatabaseIntegrity(folder, 0);
    EXPECT_EQ(integrity.verdict, IntegrityVerdict::Ok) << integrity.message().toStdString();
    EXPECT_EQ(integrity.recordCount, 7085);
    EXPECT_EQ(integrity.validCount, 7085);

    CountryTable countries;
    StateTable states;
    ASSERT_FALSE(loadCountryTable(folder.path("Country.dat"), &countries));
    ASSERT_FALSE(loadStateTable(folder.path("State.dat"), &states));

    double lastFrequency = 0;
    qint64 decoded = 0;
    ASSERT_FALSE(forEachBeacon(folder, [&](qint64 n, const BeaconRecord &r) {
        bool ok = true;
        for (int f = 0; f < 15; ++f) {
            bool fieldOk = true;
            r.text(static_cast<BeaconField>(f), &fieldOk);
            ok = ok && fieldOk;
        }
        EXPECT_TRUE(ok) << "record " << n;
        const double frequency = numericValue(r.trimmedText(BeaconField::Frequency));
        EXPECT_GE(frequency, lastFrequency) << "record " << n << " is out of frequency order";
        lastFrequency = frequency;

        const QByteArray country = r.trimmedText(BeaconField::CountryCode);
        EXPECT_FALSE(FindCountryName(countries, country).isEmpty()) << "record " << n << " " << country.constData();
        const QByteArray state = r.trimmedText(BeaconField::StateCode);
        if (!state.isEmpty()) {
            bool found = false;
            for (const StateEntry &row : states.rows)
                found = found || (row.Code == state && row.CountryCode == country);
            EXPECT_TRUE(found) << "record " << n << " " << state.constData() << "/" << country.constData();
        }
        EXPECT_EQ(r.loggedMask(), 0u);
        EXPECT_FALSE(r.inSession());
        // Stored as a new beacon is: mask "0", a plain blank session mark.
        EXPECT_EQ(r.raw(BeaconField::LoggedMask), "0    ") << "record " << n;
        EXPECT_EQ(r.raw(BeaconField::CLEMark), " ") << "record " << n;
        EXPECT_TRUE(isCoordinateText(r.trimmedText(BeaconField::Latitude), "NS", 8)) << "record " << n;
        EXPECT_TRUE(isCoordinateText(r.trimmedText(BeaconField::Longitude), "EW", 9)) << "record " << n;
        EXPECT_TRUE(isYearMonth(r.trimmedText(BeaconField::Current))) << "record " << n;
        ++decoded;
        return true;
    }));
    EXPECT_EQ(decoded, 7085);
}

TEST(ShippedData, KnownBeaconsReadAsTheSourceHasThem)
{
    const ProgramFolder folder = shipped();
    BeaconRecord r;
    ASSERT_FALSE(readBeacon(folder, 1, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "LM");
    EXPECT_EQ(r.trimmedText(BeaconField::Frequency), "126");
    EXPECT_EQ(r.trimmedText(BeaconField::CountryCode), "USA");
    EXPECT_EQ(r.trimmedText(BeaconField::StateCode), "MO");
    EXPECT_EQ(r.trimmedText(BeaconField::Location), "Oblio");
    EXPECT_EQ(r.trimmedText(BeaconField::Latitude), "N38480100");
    EXPECT_EQ(r.trimmedText(BeaconField::Longitude), "W090382900");

    ASSERT_FALSE(readBeacon(folder, 4179, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "AK;2");
    EXPECT_EQ(StripSemicolonSuffix(r.trimmedText(BeaconField::Ident)), "AK");

    ASSERT_FALSE(readBeacon(folder, 6875, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "\xc0\xce"); // a Windows-1252 ident
}

TEST(ShippedData, TablesHoldTheNamesTheProgramReliesOn)
{
    const ProgramFolder folder = shipped();
    CountryTable countries;
    StateTable states;
    ASSERT_FALSE(loadCountryTable(folder.path("Country.dat"), &countries));
    ASSERT_FALSE(loadStateTable(folder.path("State.dat"), &states));
    EXPECT_LE(countries.rows.size(), kCountryTableRows);
    EXPECT_LE(states.rows.size(), kStateTableRows);
    EXPECT_EQ(FindCountryName(countries, "CAN"), "Canada");
    EXPECT_EQ(FindCountryName(countries, "AUS"), "Australia");
    EXPECT_EQ(FindCountryName(countries, "USA"), "USA");
    EXPECT_EQ(FindCountryName(countries, "KOR"), "Korea, Republic of");
    EXPECT_EQ(FindStateName(states, "ON"), "Ontario");
    EXPECT_EQ(FindStateName(states, "WA", "USA"), "Washington");
    EXPECT_EQ(FindStateName(states, "NT", "CAN"), "Northwest Territories");

    for (const char *country : {"Canada", "Australia", "USA"}) {
        const StateList list = LoadStateList(folder, "", country);
        EXPECT_FALSE(list.fileMissing);
        EXPECT_FALSE(list.names.isEmpty()) << country;
    }
    EXPECT_EQ(LoadStateList(folder, "", "USA").names.size(), 51);
    EXPECT_TRUE(fileExists(folder.path("region.dat")));
}

TEST(ShippedData, MetarGivesTheNearestStation)
{
    const ProgramFolder folder = shipped();
    EXPECT_EQ(FindClosestMetar(folder, 43, -80), "CYHM, ON, John C. Munro Hamilton International Air");
    EXPECT_EQ(FindClosestMetar(folder, 51.5, -0.1), "EGLC, London City Airport");
    EXPECT_EQ(FindClosestMetar(folder, 64.13, -21.9), "BIRK, Reykjavik Airport");
}

TEST(ShippedData, MapOutlinesAreWholeRecordsInRangeStartingALine)
{
    QStringList names = {QStringLiteral("maps/mapper.pnt")};
    for (const MapLayer &layer : kMapLayers)
        names.append(QString::fromLatin1(layer.fileName));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const MapOutlineFile outline = readMapOutline(shipped().path(name));
        ASSERT_FALSE(outline.missing);
        ASSERT_FALSE(outline.error.failed());
        EXPECT_EQ(outline.ignoredBytes, 0);
        ASSERT_FALSE(outline.points.isEmpty());
        EXPECT_GT(outline.points.first().Level, kNewLineLevel);
        for (const MapPoint &p : outline.points) {
            ASSERT_TRUE(p.Level > kNewLineLevel || (p.Level >= 1 && p.Level <= 10)) << p.Level;
            ASSERT_LE(std::abs(p.Latitude), 90 * 60);
            ASSERT_LE(std::abs(p.Longitude), 180 * 60);
        }
    }
}
