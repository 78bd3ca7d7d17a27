// The two-pass sort on the largest database it accepts (10000 records), against a
// plain read and write of the same file. Each sort starts from the unsorted file.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "DatabaseSort.h"
#include "FileIo.h"

using namespace qern;

namespace {

// The most records the sort ever had to hold; it takes more now, at n^2 / 2 cost.
constexpr int kSortedRecords = 10000;

class SortFolder {
public:
    SortFolder()
    {
        if (!m_dir.isValid())
            std::abort();
        m_folder = ProgramFolder(m_dir.path());
        std::mt19937 random(1106);
        m_unsorted.reserve(qsizetype(kSortedRecords) * BeaconRecord::Length);
        for (int number = 1; number <= kSortedRecords; ++number)
            m_unsorted += bench::generatedBeacon(random, number).bytes();
        restore();
    }

    void restore() const
    {
        if (replaceFileContents(databasePath(m_folder), m_unsorted).failed())
            std::abort();
    }

    const ProgramFolder &folder() const { return m_folder; }
    const QByteArray &unsorted() const { return m_unsorted; }

private:
    QTemporaryDir m_dir;
    ProgramFolder m_folder;
    QByteArray m_unsorted;
};

const SortFolder &sortFolder()
{
    static const SortFolder folder;
    return folder;
}

void reportPerRecord(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * kSortedRecords);
    state.SetBytesProcessed(state.iterations() * kSortedRecords * BeaconRecord::Length);
}

void BM_Sort_PlainReadAndWrite(benchmark::State &state)
{
    const QString path = databasePath(sortFolder().folder());
    for (auto _ : state) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read ndb.dat");
        const QByteArray bytes = in.readAll();
        in.close();
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            state.SkipWithError("cannot write ndb.dat");
    }
    reportPerRecord(state);
}
BENCHMARK(BM_Sort_PlainReadAndWrite)->Unit(benchmark::kMillisecond);

void BM_Sort_ReadAndSafeReplace(benchmark::State &state)
{
    const QString path = databasePath(sortFolder().folder());
    for (auto _ : state) {
        QByteArray bytes;
        if (readWholeFile(path, &bytes).failed() || replaceFileContents(path, bytes).failed())
            state.SkipWithError("read or replace failed");
    }
    reportPerRecord(state);
}
BENCHMARK(BM_Sort_ReadAndSafeReplace)->Unit(benchmark::kMillisecond);

void BM_Sort_TwoPassesInMemory(benchmark::State &state)
{
    const QByteArray &unsorted = sortFolder().unsorted();
    for (auto _ : state)
        benchmark::DoNotOptimize(sortedDatabaseImage(unsorted).constData());
    reportPerRecord(state);
}
BENCHMARK(BM_Sort_TwoPassesInMemory)->Unit(benchmark::kMillisecond);

void BM_Sort_SortBeaconDatabase(benchmark::State &state)
{
    const SortFolder &data = sortFolder();
    qint64 progressCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        data.restore();
        state.ResumeTiming();
        const SortResult result =
            SortBeaconDatabase(data.folder(), [&](qint64, qint64) { ++progressCalls; });
        if (result.verdict != SortVerdict::Sorted)
            state.SkipWithError("sort refused or failed");
    }
    benchmark::DoNotOptimize(progressCalls);
    reportPerRecord(state);
}
BENCHMARK(BM_Sort_SortBeaconDatabase)->Unit(benchmark::kMillisecond);

} // namespace
