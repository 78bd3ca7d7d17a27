// The look-up against its limit: one plain read of a 32767-record ndb.dat.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <random>

#include "BeaconRecord.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "Search.h"

using namespace qern;

namespace {

constexpr int kRecordCount = 32767;

// A folder holding a database shaped like the real one: two- and three-letter idents,
// DGPS and Navtex idents, a few duplicates, long-wave and medium-wave frequencies.
class BenchDatabase {
public:
    BenchDatabase()
    {
        std::mt19937 random(20261207);
        std::uniform_int_distribution<int> letter('A', 'Z');
        std::uniform_int_distribution<int> kHz(190, 535);
        std::uniform_int_distribution<int> degrees(0, 59);
        QByteArray bytes;
        bytes.reserve(qsizetype(kRecordCount) * BeaconRecord::Length);
        for (int i = 1; i <= kRecordCount; ++i) {
            QByteArray ident;
            if (i % 50 == 0)
                ident = "#" + QByteArray::number(100 + i % 900);
            else
                for (int k = 0, n = 2 + i % 2; k < n; ++k)
                    ident += char(letter(random));
            if (i % 97 == 0)
                ident += ";2";
            BeaconRecord r;
            bool ok = r.setShifted(BeaconField::Ident, ident);
            ok = r.setShifted(BeaconField::CountryCode, "CAN") && ok;
            ok = r.setShifted(BeaconField::Location, "Somewhere Bay") && ok;
            ok = r.setShifted(BeaconField::Frequency, QByteArray::number(kHz(random))) && ok;
            ok = r.setShifted(BeaconField::Latitude,
                              "N" + QByteArray::number(10 + degrees(random)) + "300000") && ok;
            ok = r.setShifted(BeaconField::Longitude,
                              "W0" + QByteArray::number(40 + degrees(random)) + "150000") && ok;
            ok = r.setShifted(BeaconField::Comments, "Generated for the benchmark") && ok;
            if (!ok)
                std::abort();
            r.setLoggedMask(0);
            bytes += r.bytes();
        }
        if (replaceFileContents(m_dir.filePath("ndb.dat"), bytes))
            std::abort();
        m_ctx.locationLat = "430000N";
        m_ctx.locationLon = "0800000W";
        m_ctx.distanceFilterValue = 1500;
    }

    ProgramFolder folder() const { return ProgramFolder(m_dir.path()); }
    QString databasePath() const { return m_dir.filePath("ndb.dat"); }
    const SearchContext &context() const { return m_ctx; }

private:
    QTemporaryDir m_dir;
    SearchContext m_ctx;
};

const BenchDatabase &database()
{
    static const BenchDatabase db;
    return db;
}

void PlainRead(benchmark::State &state)
{
    const QString path = database().databasePath();
    for (auto _ : state) {
        QByteArray content;
        if (readWholeFile(path, &content))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(content.data());
    }
}

void runSearch(benchmark::State &state, const char *text, bool filterOn)
{
    const BenchDatabase &db = database();
    qint64 matches = 0;
    for (auto _ : state) {
        const SearchResult r = SearchBeacons(db.folder(), text, {}, filterOn, db.context());
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
