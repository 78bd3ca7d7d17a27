// The printed log's lines over the 32767-record ndb.dat with 100, 1000 and 10000
// beacons logged at the current location, one logbook entry each. Line formatting is
// linear when (t10000 - t100) / (t1000 - t100) stays near 11; the walk over the
// database, the same in all three, drops out of the differences.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <array>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "FileIo.h"
#include "LogRecords.h"
#include "LogView.h"
#include "Tables.h"

using namespace qern;

namespace {

using namespace qern::bench;

constexpr double kLinearityGoal = 13;

// A copy of the benchmark's database where exactly `entries` beacons, spread over the
// file, are logged at location 0, and a logbook with one entry for each of them. The
// logged beacons share 508 frequencies, as a real logbook of 10000 entries does.
class LoggedFolder {
public:
    explicit LoggedFolder(int entries)
    {
        if (!m_dir.isValid())
            std::abort();
        m_folder = ProgramFolder(m_dir.path());
        QDir(m_dir.path()).mkpath(QStringLiteral("Logs"));
        QByteArray database;
        if (readWholeFile(databasePath(benchFolder().folder()), &database).failed())
            std::abort();
        QByteArray logbook;
        const int step = kBeacons / entries;
        for (int i = 0; i < kBeacons; ++i) {
            BeaconRecord beacon = BeaconRecord::fromBytes(
                QByteArrayView(database).sliced(qsizetype(i) * BeaconRecord::Length, BeaconRecord::Length));
            const bool logged = i % step == 0 && i / step < entries;
            beacon.setLoggedMask(logged ? 1 : 0);
            if (logged && !beacon.setShifted(BeaconField::Frequency, QByteArray::number(190 + i / step % 508)))
                std::abort();
            database.replace(qsizetype(i) * BeaconRecord::Length, BeaconRecord::Length, beacon.bytes());
            if (logged)
                logbook += LogRecord::make(beacon.trimmedText(BeaconField::Ident),
                                           beacon.trimmedText(BeaconField::Frequency), "1234", "20260101", {})
                               .bytes();
        }
        if (replaceFileContents(databasePath(m_folder), database).failed()
            || replaceFileContents(logbookPath(m_folder, 0), logbook).failed())
            std::abort();
    }

    const ProgramFolder &folder() const { return m_folder; }

private:
    QTemporaryDir m_dir;
    ProgramFolder m_folder;
};

void PrintedLogLinesLinearity(benchmark::State &state)
{
    static const std::array<LoggedFolder, 3> folders = {LoggedFolder(100), LoggedFolder(1000), LoggedFolder(10000)};
    CountryTable countries;
    if (loadCountryTable(QStringLiteral(QERN_SOURCE_DATA_DIR "/Country.dat"), &countries))
        state.SkipWithError("cannot read the shipped Country.dat");
    PrintedLogContext context;
    context.locationLat = "430000N";
    context.locationLon = "0800000W";
    context.countries = &countries;

    std::array<double, 3> seconds{};
    std::array<qsizetype, 3> lines{};
    for (auto _ : state) {
        double largest = 0;
        for (size_t k = 0; k < folders.size(); ++k) {
            largest = secondsOf([&] { lines[k] = PrintedLogLines(folders[k].folder(), context).lines.size(); });
            seconds[k] += largest;
        }
        state.SetIterationTime(largest);
    }
    const double iterations = double(state.iterations());
    state.counters["t100_ms"] = seconds[0] * 1e3 / iterations;
    state.counters["t1000_ms"] = seconds[1] * 1e3 / iterations;
    state.counters["t10000_ms"] = seconds[2] * 1e3 / iterations;
    state.counters["lines10000"] = double(lines[2]);
    state.counters["ratio"] = (seconds[2] - seconds[0]) / (seconds[1] - seconds[0]);
    state.counters["goal"] = kLinearityGoal;
}
BENCHMARK(PrintedLogLinesLinearity)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
