// The look-ups against their limit S, one plain read of the 32767-record ndb.dat:
// an exact ident, a pattern with the distance filter, a frequency.
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "Search.h"

using namespace qern;

namespace {

using namespace qern::bench;

constexpr double kLookUpGoal = 2;

SearchContext searchContext()
{
    SearchContext context;
    context.locationLat = "430000N";
    context.locationLon = "0800000W";
    context.distanceFilterValue = 8000; // km: about half of the candidates pass
    return context;
}

void runSearch(benchmark::State &state, const char *text, bool filterOn)
{
    const ProgramFolder &folder = benchFolder().folder();
    const SearchContext context = searchContext();
    const QString database = databasePath(folder);
    ChunkedRead plainRead;
    qint64 matches = 0;
    timeAgainstLimit(
        state,
        [&] {
            const SearchResult r = SearchBeacons(folder, text, {}, filterOn, context);
            matches = r.matches.size();
            benchmark::DoNotOptimize(matches);
        },
        [&] { return plainRead.seconds(database); }, kLookUpGoal);
    state.counters["matches"] = double(matches);
}

void SearchExactIdent(benchmark::State &state) { runSearch(state, "abc", false); }
void SearchPatternFiltered(benchmark::State &state) { runSearch(state, "*?Q", true); }
void SearchFrequency(benchmark::State &state) { runSearch(state, "338", false); }

} // namespace

BENCHMARK(SearchExactIdent)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SearchPatternFiltered)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFrequency)->UseManualTime()->Unit(benchmark::kMillisecond);
