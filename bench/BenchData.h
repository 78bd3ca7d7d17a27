#pragma once
// One generated program folder shared by every benchmark: a 32767-record ndb.dat
// shaped like the real one, 16 logbooks of 5000 entries and a session log.

#include <benchmark/benchmark.h>

#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <random>
#include <vector>

#include "BeaconRecord.h"
#include "ProgramFolder.h"

namespace qern::bench {

constexpr int kBeacons = 32767;
constexpr int kEntriesPerLogbook = 5000;
constexpr int kSessionEntries = 1500;

// Two- and three-letter NDBs, DGPS and Navtex idents, duplicates, long- and
// medium-wave frequencies, empty and filled optional fields, some logged beacons.
BeaconRecord generatedBeacon(std::mt19937 &random, int number);

class BenchFolder {
public:
    BenchFolder();
    const ProgramFolder &folder() const { return m_folder; }
    QString path(const QString &relative) const { return m_folder.path(relative); }
    // ndb.dat, Logs/cle.dat and the 16 logbooks, relative to the folder.
    static QStringList dataFiles();

private:
    QTemporaryDir m_dir;
    ProgramFolder m_folder;
};

const BenchFolder &benchFolder();

// The limit every walk over ndb.dat is measured against: the file's bytes, nothing else.
void readDatabasePlainly(benchmark::State &state);

void reportPerBeacon(benchmark::State &state);

// The limit S: one sequential read of a file in 256 KiB chunks into one reused buffer.
// The buffer starts on a page, as the file's chunks do: the kernel copies many times
// slower into memory a few bytes past that place in its page, where a heap block may
// start, and S would then differ from row to row with where its buffer fell.
class ChunkedRead {
public:
    ChunkedRead();
    // Aborts the benchmark program when the file cannot be read whole.
    void operator()(const QString &path);
    // S in seconds: the fastest of three reads in a row, the one that finds the file and
    // the buffer in the caches. An action that sweeps the caches (a window's list of
    // thousands of lines) would otherwise slow the read that follows it, and S would not
    // be the same in every row.
    double seconds(const QString &path);

private:
    static constexpr std::size_t kChunk = 256 * 1024;
    char *buffer();
    std::vector<char> m_storage;
};

template <typename Work>
double secondsOf(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline void nothingToPrepare() {}

// Times the action and its limit alternately, once each per iteration, so that both
// see the same machine; prepare runs untimed before each action, limitSeconds times the
// limit and returns its time. The benchmark's time is the action's (register it with
// UseManualTime()); the counters give the limit's time, the ratio and its goal.
template <typename Action, typename LimitSeconds, typename Prepare = void (*)()>
void timeAgainstLimit(benchmark::State &state, Action &&action, LimitSeconds &&limitSeconds, double goal,
                      Prepare &&prepare = nothingToPrepare)
{
    double actionSeconds = 0;
    double limitTotal = 0;
    for (auto _ : state) {
        limitTotal += limitSeconds();
        prepare();
        const double seconds = secondsOf(action);
        actionSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    const double iterations = double(state.iterations());
    state.counters["limit_ms"] = limitTotal * 1e3 / iterations;
    state.counters["ratio"] = actionSeconds / limitTotal;
    state.counters["goal"] = goal;
}

} // namespace qern::bench
