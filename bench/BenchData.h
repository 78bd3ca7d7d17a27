#pragma once
// One generated program folder shared by every benchmark: a 32767-record ndb.dat
// shaped like the real one, 16 logbooks of 5000 entries and a session log.

#include <benchmark/benchmark.h>

#include <QStringList>
#include <QTemporaryDir>

#include <random>

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

} // namespace qern::bench
