// The statistics walk (after the integrity check) and the automatic backup, each
// against a plain copy of the same bytes: a 32767-record ndb.dat, 16 logbooks of 5000
// entries and a session log.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "AutoBackup.h"
#include "BenchData.h"
#include "BeaconDatabase.h"
#include "LogRecords.h"
#include "Preferences.h"
#include "Statistics.h"

using namespace qern;

namespace {

using namespace qern::bench;

qint64 totalBytes()
{
    qint64 total = 0;
    for (const QString &f : BenchFolder::dataFiles())
        total += fileLength(benchFolder().path(f));
    return total;
}

std::array<QByteArray, 16> locationNames()
{
    std::array<QByteArray, 16> names;
    for (int i = 0; i < 16; ++i)
        names[i] = "Location " + QByteArray::number(i + 1);
    return names;
}

constexpr double kStatisticsGoal = 3;

// What start-up and every reception run: the integrity check, then the statistics.
void IntegrityCheckAndStatistics(benchmark::State &state)
{
    const ProgramFolder &folder = benchFolder().folder();
    const QString database = databasePath(folder);
    const auto names = locationNames();
    ChunkedRead plainRead;
    timeAgainstLimit(
        state,
        [&] {
            const CheckedStatistics checked = CheckAndGatherStatistics(folder, names, 0, 0);
            if (!checked.integrity.ok())
                state.SkipWithError("integrity");
            benchmark::DoNotOptimize(checked.statistics.RecordCount);
        },
        [&] { return plainRead.seconds(database); }, kStatisticsGoal);
    state.SetBytesProcessed(state.iterations() * fileLength(database));
}
BENCHMARK(IntegrityCheckAndStatistics)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AutoBackup_PlainCopyOfEveryFile(benchmark::State &state)
{
    const BenchFolder &bench = benchFolder();
    QDir(bench.folder().root()).mkpath("PlainCopies");
    const QStringList files = BenchFolder::dataFiles();
    for (auto _ : state) {
        for (const QString &f : files) {
            const QString target = bench.path("PlainCopies/" + QFileInfo(f).fileName());
            QFile::remove(target);
            if (!QFile::copy(bench.path(f), target))
                state.SkipWithError("copy");
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes());
}
BENCHMARK(BM_AutoBackup_PlainCopyOfEveryFile)->Unit(benchmark::kMillisecond);

void BM_AutoBackup_AutoBackupFiles(benchmark::State &state)
{
    const ProgramFolder &folder = benchFolder().folder();
    for (auto _ : state) {
        if (AutoBackupFiles(folder).failed())
            state.SkipWithError("backup");
    }
    state.SetBytesProcessed(state.iterations() * totalBytes());
}
BENCHMARK(BM_AutoBackup_AutoBackupFiles)->Unit(benchmark::kMillisecond);

// "Set as default": one whole-store write, synced to the disk.
void BM_Settings_SavePreferences(benchmark::State &state)
{
    QTemporaryDir dir;
    RegistryStore store(dir.filePath("registry.ini"));
    WriteDefaultPreferences(store);
    PreferencesToSave values;
    values.LocationLat.fill("430000N");
    values.LocationLon.fill("0800000W");
    values.LocationListItems.fill("Home");
    int filter = 0;
    for (auto _ : state) {
        values.DistanceFilterText = QByteArray::number(++filter % 1000); // a change each time
        if (!SavePreferences(store, values))
            state.SkipWithError("save");
    }
}
BENCHMARK(BM_Settings_SavePreferences)->Unit(benchmark::kMicrosecond);

void BM_Settings_LoadPreferences(benchmark::State &state)
{
    QTemporaryDir dir;
    RegistryStore store(dir.filePath("registry.ini"));
    WriteDefaultPreferences(store);
    const PreferencesContext context;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadPreferences(store, context));
}
BENCHMARK(BM_Settings_LoadPreferences)->Unit(benchmark::kMicrosecond);

} // namespace
