// Reading ndb.dat against its physical limit: a plain read of the whole file, then
// reading and decoding every record, the integrity check, and one distance and
// bearing per record, all over the same 32767-record database.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <random>

#include "BeaconDatabase.h"
#include "Geodesy.h"

using namespace qern;

namespace {

constexpr int kBeacons = 32767;

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

// Beacons spread over the northern hemisphere's listening grounds, with the mix of
// the real file: two- and three-letter NDBs, DGPS and Navtex idents, duplicates,
// long- and medium-wave frequencies, empty and filled optional fields.
BeaconRecord generatedBeacon(std::mt19937 &random, int number)
{
    static const std::array<const char *, 8> countries = {"CAN", "USA", "NOR", "SWE", "FIN", "ALS", "FRA", "D"};
    static const std::array<const char *, 6> places = {"Port Eden", "Saint-Jean-sur-Richelieu", "Kirkenes",
                                                       "Fort McMurray", "Ivalo", "Dutch Harbor"};
    static const std::array<const char *, 4> classes = {"NDB", "DGPS", "NAVTEX", "MB"};
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::uniform_int_distribution<int> below(0, 9999);
    auto pick = [&](int n) { return below(random) % n; };

    QByteArray ident;
    if (number % 40 == 0)
        ident = "#" + QByteArray::number(100 + pick(900));
    else if (number % 101 == 0)
        ident = "$" + QByteArray(1, char(letter(random)));
    else
        for (int k = 0, n = 2 + number % 2; k < n; ++k)
            ident += char(letter(random));
    if (number % 97 == 0)
        ident += ";2";

    const int kHz = 190 + pick(1560);
    QByteArray frequency = QByteArray::number(kHz);
    if (number % 5 == 0)
        frequency += ".5";

    const QByteArray latitude =
        (pick(10) == 0 ? "S" : "N") + twoDigits(pick(80)) + twoDigits(pick(60)) + twoDigits(pick(60)) + "00";
    const QByteArray longitude = (pick(2) == 0 ? "W" : "E") + QByteArray::number(pick(180)).rightJustified(3, '0')
                                 + twoDigits(pick(60)) + twoDigits(pick(60)) + "00";

    BeaconRecord r;
    bool ok = r.setShifted(BeaconField::Ident, ident);
    ok = r.setShifted(BeaconField::CountryCode, countries[pick(countries.size())]) && ok;
    ok = r.setShiftedOrBlank(BeaconField::StateCode, pick(2) ? "ON" : "") && ok;
    ok = r.setShifted(BeaconField::Location, places[pick(places.size())]) && ok;
    ok = r.setShifted(BeaconField::Frequency, frequency) && ok;
    ok = r.setShifted(BeaconField::BeaconClass, classes[pick(classes.size())]) && ok;
    ok = r.setShifted(BeaconField::Power, QByteArray::number(pick(2000))) && ok;
    ok = r.setShifted(BeaconField::Latitude, latitude) && ok;
    ok = r.setShifted(BeaconField::Longitude, longitude) && ok;
    ok = r.setShifted(BeaconField::Current, "2024" + twoDigits(1 + pick(12))) && ok;
    ok = r.setShiftedOrBlank(BeaconField::Cycle, pick(3) ? "8.0" : "") && ok;
    ok = r.setShiftedOrBlank(BeaconField::USB, pick(2) ? "1020" : "") && ok;
    ok = r.setShiftedOrBlank(BeaconField::LSB, pick(2) ? "1018" : "") && ok;
    ok = r.setShifted(BeaconField::DAID, pick(4) ? "0" : "1") && ok;
    ok = r.setShiftedOrBlank(BeaconField::Comments, pick(3) ? "Heard on the long wire at dusk, fading" : "") && ok;
    if (!ok)
        std::abort();
    r.setLoggedMask(pick(8) == 0 ? quint32(1u << pick(16)) : 0u);
    if (pick(20) == 0)
        r.setSessionMark();
    return r;
}

class BenchDatabase {
public:
    BenchDatabase()
    {
        if (!m_dir.isValid())
            std::abort();
        m_folder = ProgramFolder(m_dir.path());
        std::mt19937 random(7081);
        QByteArray bytes;
        bytes.reserve(qsizetype(kBeacons) * BeaconRecord::Length);
        for (int number = 1; number <= kBeacons; ++number)
            bytes += generatedBeacon(random, number).bytes();
        if (replaceFileContents(databasePath(m_folder), bytes))
            std::abort();
    }

    const ProgramFolder &folder() const { return m_folder; }
    QString path() const { return databasePath(m_folder); }

private:
    QTemporaryDir m_dir;
    ProgramFolder m_folder;
};

const BenchDatabase &benchDatabase()
{
    static const BenchDatabase database;
    return database;
}

void reportPerRecord(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * kBeacons);
    state.SetBytesProcessed(state.iterations() * kBeacons * BeaconRecord::Length);
}

// The baseline: the bytes of the file, nothing else.
void BM_SequentialReadBaseline(benchmark::State &state)
{
    const QString path = benchDatabase().path();
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open ndb.dat");
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    reportPerRecord(state);
}
BENCHMARK(BM_SequentialReadBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadAndDecodeEveryRecord(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabase().folder();
    for (auto _ : state) {
        qsizetype decodedBytes = 0;
        const FileError err = forEachBeacon(folder, [&](qint64, const BeaconRecord &r) {
            for (int field = 0; field <= static_cast<int>(BeaconField::Comments); ++field)
                decodedBytes += r.trimmedText(static_cast<BeaconField>(field)).size();
            return true;
        });
        if (err)
            state.SkipWithError("walk failed");
        benchmark::DoNotOptimize(decodedBytes);
    }
    reportPerRecord(state);
}
BENCHMARK(BM_ReadAndDecodeEveryRecord)->Unit(benchmark::kMillisecond);

void BM_CheckDatabaseIntegrity(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabase().folder();
    for (auto _ : state) {
        const IntegrityResult result = CheckDatabaseIntegrity(folder, 0);
        if (result.validCount != kBeacons)
            state.SkipWithError("generated database failed the check");
        benchmark::DoNotOptimize(result.validCount);
    }
    reportPerRecord(state);
}
BENCHMARK(BM_CheckDatabaseIntegrity)->Unit(benchmark::kMillisecond);

// What a look-up pays per beacon: read, decode the coordinates, one distance and bearing.
void BM_DistanceBearingPerRecord(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabase().folder();
    const double listenerLatRad = 45.5 / kDegreesPerRadian;
    const double listenerLonRad = -73.6 / kDegreesPerRadian;
    for (auto _ : state) {
        double sumKm = 0;
        const FileError err = forEachBeacon(folder, [&](qint64, const BeaconRecord &r) {
            const double latDeg = beaconLatitudeDegrees(r.trimmedText(BeaconField::Latitude));
            const double lonDeg = beaconLongitudeDegrees(r.trimmedText(BeaconField::Longitude));
            sumKm += CalcDistanceBearing(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian, listenerLatRad,
                                         listenerLonRad)
                         .distanceKm;
            return true;
        });
        if (err)
            state.SkipWithError("walk failed");
        benchmark::DoNotOptimize(sumKm);
    }
    reportPerRecord(state);
}
BENCHMARK(BM_DistanceBearingPerRecord)->Unit(benchmark::kMillisecond);

// The computation alone, over coordinates decoded beforehand.
void BM_DistanceBearingComputationOnly(benchmark::State &state)
{
    std::vector<std::pair<double, double>> positionsRad;
    positionsRad.reserve(kBeacons);
    if (forEachBeacon(benchDatabase().folder(), [&](qint64, const BeaconRecord &r) {
            positionsRad.emplace_back(beaconLatitudeDegrees(r.trimmedText(BeaconField::Latitude)) / kDegreesPerRadian,
                                      beaconLongitudeDegrees(r.trimmedText(BeaconField::Longitude)) / kDegreesPerRadian);
            return true;
        }))
        state.SkipWithError("walk failed");
    const double listenerLatRad = 45.5 / kDegreesPerRadian;
    const double listenerLonRad = -73.6 / kDegreesPerRadian;
    for (auto _ : state) {
        double sumKm = 0;
        for (const auto &[latRad, lonRad] : positionsRad)
            sumKm += CalcDistanceBearing(latRad, lonRad, listenerLatRad, listenerLonRad).distanceKm;
        benchmark::DoNotOptimize(sumKm);
    }
    state.SetItemsProcessed(state.iterations() * kBeacons);
}
BENCHMARK(BM_DistanceBearingComputationOnly)->Unit(benchmark::kMillisecond);

} // namespace
