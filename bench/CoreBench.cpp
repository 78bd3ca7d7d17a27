// Reading ndb.dat against its physical limit: a plain read of the whole file, then
// reading and decoding every record, the integrity check, and one distance and
// bearing per record, all over the same 32767-record database.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "Geodesy.h"

using namespace qern;

namespace {

using namespace qern::bench;

const ProgramFolder &benchDatabaseFolder()
{
    return benchFolder().folder();
}

// The baseline: the bytes of the file, nothing else.
void BM_SequentialReadBaseline(benchmark::State &state)
{
    readDatabasePlainly(state);
}
BENCHMARK(BM_SequentialReadBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadAndDecodeEveryRecord(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabaseFolder();
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
    reportPerBeacon(state);
}
BENCHMARK(BM_ReadAndDecodeEveryRecord)->Unit(benchmark::kMillisecond);

void BM_CheckDatabaseIntegrity(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabaseFolder();
    for (auto _ : state) {
        const IntegrityResult result = CheckDatabaseIntegrity(folder, 0);
        if (result.validCount != kBeacons)
            state.SkipWithError("generated database failed the check");
        benchmark::DoNotOptimize(result.validCount);
    }
    reportPerBeacon(state);
}
BENCHMARK(BM_CheckDatabaseIntegrity)->Unit(benchmark::kMillisecond);

// What a look-up pays per beacon: read, decode the coordinates, one distance and bearing.
void BM_DistanceBearingPerRecord(benchmark::State &state)
{
    const ProgramFolder &folder = benchDatabaseFolder();
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
    reportPerBeacon(state);
}
BENCHMARK(BM_DistanceBearingPerRecord)->Unit(benchmark::kMillisecond);

// The computation alone, over coordinates decoded beforehand.
void BM_DistanceBearingComputationOnly(benchmark::State &state)
{
    std::vector<std::pair<double, double>> positionsRad;
    positionsRad.reserve(kBeacons);
    if (forEachBeacon(benchDatabaseFolder(), [&](qint64, const BeaconRecord &r) {
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
