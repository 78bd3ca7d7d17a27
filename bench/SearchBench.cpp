// The look-up against its limit: one plain read of a 32767-record ndb.dat.
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "Search.h"

using namespace qern;

namespace {

using namespace qern::bench;

SearchContext searchContext()
{
    SearchContext context;
    context.locationLat = "430000N";
    context.locationLon = "0800000W";
    context.distanceFilterValue = 8000; // km: about half of the frequency matches pass
    return context;
}

void PlainRead(benchmark::State &state)
{
    readDatabasePlainly(state);
}

void runSearch(benchmark::State &state, const char *text, bool filterOn)
{
    const ProgramFolder &folder = benchFolder().folder();
    const SearchContext context = searchContext();
    qint64 matches = 0;
    for (auto _ : state) {
        const SearchResult r = SearchBeacons(folder, text, {}, filterOn, context);
        matches = r.matches.size();
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = double(matches);
}

void SearchExactIdent(benchmark::State &state) { runSearch(state, "abc", false); }
void SearchPattern(benchmark::State &state) { runSearch(state, "A?*", false); }
void SearchFrequency(benchmark::State &state) { runSearch(state, "338", false); }
void SearchFrequencyFiltered(benchmark::State &state) { runSearch(state, "338", true); }

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchExactIdent)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFrequency)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFrequencyFiltered)->Unit(benchmark::kMillisecond);
