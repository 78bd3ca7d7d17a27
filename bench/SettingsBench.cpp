// The statistics walk (after the integrity check) and the automatic backup, each
// against a plain copy of the same bytes: a 32767-record ndb.dat, 16 logbooks of 5000
// entries and a session log.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

#include "AutoBackup.h"
#include "BeaconDatabase.h"
#include "LogRecords.h"
#include "Preferences.h"
#include "Statistics.h"

using namespace qern;

namespace {

constexpr int kSettingsBeacons = 32767;
constexpr int kEntriesPerLogbook = 5000;
constexpr int kSessionEntries = 1500;

QByteArray record(std::mt19937 &random, int number)
{
    std::uniform_int_distribution<int> letter('A', 'Z');
    BeaconRecord r;
    QByteArray ident;
    for (int k = 0; k < 2 + number % 2; ++k)
        ident += char(letter(random));
    bool ok = r.setShifted(BeaconField::Ident, ident);
    ok = r.setShifted(BeaconField::CountryCode, "CAN") && ok;
    ok = r.setShifted(BeaconField::Location, "Port Eden") && ok;
    ok = r.setShifted(BeaconField::Frequency, QByteArray::number(190 + number % 1500)) && ok;
    ok = r.setShifted(BeaconField::Latitude, "N45300000") && ok;
    ok = r.setShifted(BeaconField::Longitude, "W075421000") && ok;
    ok = r.setShifted(BeaconField::Comments, "Heard on the long wire at dusk") && ok;
    if (!ok)
        std::abort();
    r.setLoggedMask(number % 7 == 0 ? quint32(random() & 0xFFFF) : 0u);
    if (number % 20 == 0)
        r.setSessionMark();
    else
        r.clearSessionMark();
    return r.bytes();
}

QByteArray fixedRecords(int count, int length, char fill)
{
    QByteArray bytes(qsizetype(count) * length, fill);
    for (int i = 0; i < count; ++i)
        bytes[qsizetype(i) * length] = char('A' + i % 26);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// One program folder shared by every benchmark of this file.
const QTemporaryDir &settingsFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir(dir.path()).mkpath("Logs");
        QDir(dir.path()).mkpath("AutoBackups");
        std::mt19937 random(4);
        QByteArray database;
        database.reserve(qsizetype(kSettingsBeacons) * BeaconRecord::Length);
        for (int n = 1; n <= kSettingsBeacons; ++n)
            database += record(random, n);
        bool ok = writeFile(dir.filePath("ndb.dat"), database);
        for (int n = 0; n < 16; ++n)
            ok = writeFile(dir.filePath(QStringLiteral("Logs/log%1.dat").arg(n)),
                           fixedRecords(kEntriesPerLogbook, LogRecord::Length, '1'))
                 && ok;
        ok = writeFile(dir.filePath("Logs/cle.dat"), fixedRecords(kSessionEntries, CLERecord::Length, '2')) && ok;
        return ok;
    }();
    if (!made)
        std::abort();
    return dir;
}

QStringList sourceFiles()
{
    QStringList files = {"ndb.dat", "Logs/cle.dat"};
    for (int n = 0; n < 16; ++n)
        files.append(QStringLiteral("Logs/log%1.dat").arg(n));
    return files;
}

qint64 totalBytes()
{
    qint64 total = 0;
    for (const QString &f : sourceFiles())
        total += QFileInfo(settingsFolder().filePath(f)).size();
    return total;
}

std::array<QByteArray, 16> locationNames()
{
    std::array<QByteArray, 16> names;
    for (int i = 0; i < 16; ++i)
        names[i] = "Location " + QByteArray::number(i + 1);
    return names;
}

void BM_Statistics_PlainReadOfDatabase(benchmark::State &state)
{
    const QString path = settingsFolder().filePath("ndb.dat");
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("open");
        benchmark::DoNotOptimize(f.readAll());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_Statistics_PlainReadOfDatabase)->Unit(benchmark::kMillisecond);

void BM_Statistics_WalkOnly(benchmark::State &state)
{
    const ProgramFolder folder(settingsFolder().path());
    const auto names = locationNames();
    for (auto _ : state)
        benchmark::DoNotOptimize(GatherDatabaseStatistics(folder, names, 0));
    state.SetBytesProcessed(state.iterations() * fileLength(databasePath(folder)));
}
BENCHMARK(BM_Statistics_WalkOnly)->Unit(benchmark::kMillisecond);

void BM_Statistics_IntegrityCheckThenWalk(benchmark::State &state)
{
    const ProgramFolder folder(settingsFolder().path());
    const auto names = locationNames();
    for (auto _ : state) {
        const IntegrityResult integrity = CheckDatabaseIntegrity(folder, 0);
        if (!integrity.ok())
            state.SkipWithError("integrity");
        benchmark::DoNotOptimize(GatherDatabaseStatistics(folder, names, 0));
    }
    state.SetBytesProcessed(state.iterations() * fileLength(databasePath(folder)));
}
BENCHMARK(BM_Statistics_IntegrityCheckThenWalk)->Unit(benchmark::kMillisecond);

void BM_AutoBackup_PlainCopyOfEveryFile(benchmark::State &state)
{
    const QTemporaryDir &dir = settingsFolder();
    QDir(dir.path()).mkpath("PlainCopies");
    const QStringList files = sourceFiles();
    for (auto _ : state) {
        for (const QString &f : files) {
            const QString target = dir.filePath("PlainCopies/" + QFileInfo(f).fileName());
            QFile::remove(target);
            if (!QFile::copy(dir.filePath(f), target))
                state.SkipWithError("copy");
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes());
}
BENCHMARK(BM_AutoBackup_PlainCopyOfEveryFile)->Unit(benchmark::kMillisecond);

void BM_AutoBackup_AutoBackupFiles(benchmark::State &state)
{
    const ProgramFolder folder(settingsFolder().path());
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
