// The Map It outlines and the nearby list against their limits: a plain read of the
// shipped coast.pnt, and a plain read of a 32767-record ndb.dat.
#include <benchmark/benchmark.h>

#include <QFile>

#include "BenchData.h"
#include "MapOutline.h"
#include "Nearby.h"
#include "Tables.h"

using namespace qern;

namespace {

using namespace qern::bench;

const ProgramFolder &shippedFolder()
{
    static const ProgramFolder folder(QStringLiteral(QERN_SOURCE_DATA_DIR));
    return folder;
}

QString coastPath()
{
    return shippedFolder().path(QStringLiteral("maps/coast.pnt"));
}

void reportCoastPoints(benchmark::State &state, qint64 points)
{
    state.SetItemsProcessed(state.iterations() * points);
    state.SetBytesProcessed(state.iterations() * points * kMapPointLength);
}

void PlainReadCoast(benchmark::State &state)
{
    const QString path = coastPath();
    qint64 length = 0;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open maps/coast.pnt");
            break;
        }
        const QByteArray bytes = file.readAll();
        length = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    reportCoastPoints(state, length / kMapPointLength);
}

// Coast only (every switch off), detail 1, 5000 km around 43N 80W.
void ProjectCoast(benchmark::State &state)
{
    MapViewRequest request;
    request.range = 5000;
    request.ident = "ABC";
    request.frequency = "338";
    request.txtDistance = " 4000 km";
    request.txtBearing = " 45\xB0";
    request.locationLat = "430000N";
    request.locationLon = "0800000W";
    request.detail = 1;
    qint64 points = 0;
    qint64 drawn = 0;
    for (auto _ : state) {
        const MapView view = DrawMapDisplay(shippedFolder(), request);
        if (view.layers.isEmpty() || view.layers[0].hasMessage()) {
            state.SkipWithError("maps/coast.pnt not read");
            break;
        }
        points = view.layers[0].pointCount;
        drawn = view.layers[0].pointsDrawn;
        benchmark::DoNotOptimize(view.outlines.size());
    }
    state.counters["drawn"] = double(drawn);
    reportCoastPoints(state, points);
}

void PlainReadDatabase(benchmark::State &state)
{
    readDatabasePlainly(state);
}

void runNearby(benchmark::State &state, double radiusKm)
{
    CountryTable countries;
    StateTable states;
    if (loadCountryTable(shippedFolder().path(QStringLiteral("Country.dat")), &countries)
        || loadStateTable(shippedFolder().path(QStringLiteral("State.dat")), &states)) {
        state.SkipWithError("cannot read the shipped tables");
        return;
    }
    NearbyContext ctx;
    ctx.countries = &countries;
    ctx.states = &states;
    ctx.locationLat = "430000N";
    ctx.locationLon = "0800000W";
    qint64 found = 0;
    for (auto _ : state) {
        const NearbyResult r = FindNearbyBeacons(benchFolder().folder(), radiusKm, "45 00 00 N", "075 00 00 W", ctx);
        found = r.foundCount;
        benchmark::DoNotOptimize(r.lines.size());
    }
    state.counters["found"] = double(found);
    reportPerBeacon(state);
}

void NearbyProposedRadius(benchmark::State &state) { runNearby(state, 160); }
void NearbyWideRadius(benchmark::State &state) { runNearby(state, 2000); }

} // namespace

BENCHMARK(PlainReadCoast)->Unit(benchmark::kMillisecond);
BENCHMARK(ProjectCoast)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainReadDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(NearbyProposedRadius)->Unit(benchmark::kMillisecond);
BENCHMARK(NearbyWideRadius)->Unit(benchmark::kMillisecond);
