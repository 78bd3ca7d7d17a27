// The sort of a 32767-record ndb.dat against its limit: one plain read of the file
// (S) and one plain write of the same bytes. Each sort starts from the unsorted file.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <random>

#include <fcntl.h>
#include <unistd.h>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "DatabaseSort.h"
#include "FileIo.h"

using namespace qern;

namespace {

using namespace qern::bench;

constexpr double kSortGoal = 5;

class SortFolder {
public:
    SortFolder()
    {
        if (!m_dir.isValid())
            std::abort();
        m_folder = ProgramFolder(m_dir.path());
        std::mt19937 random(1106);
        m_unsorted.reserve(qsizetype(kBeacons) * BeaconRecord::Length);
        for (int number = 1; number <= kBeacons; ++number)
            m_unsorted += generatedBeacon(random, number).bytes();
        restore();
    }

    void restore() const
    {
        if (replaceFileContents(databasePath(m_folder), m_unsorted).failed())
            std::abort();
    }

    const ProgramFolder &folder() const { return m_folder; }
    const QByteArray &unsorted() const { return m_unsorted; }
    QString plainCopyPath() const { return m_dir.filePath(QStringLiteral("plain.dat")); }

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

void writePlainly(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        std::abort();
    ::close(fd);
}

void reportPerRecord(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * kBeacons);
    state.SetBytesProcessed(state.iterations() * kBeacons * BeaconRecord::Length);
}

void SortBeaconDatabaseAgainstReadAndWrite(benchmark::State &state)
{
    const SortFolder &data = sortFolder();
    const QString database = databasePath(data.folder());
    ChunkedRead plainRead;
    timeAgainstLimit(
        state,
        [&] {
            // The sort alone, as the goal has always measured it: the backup is a copy.
            if (SortBeaconDatabase(data.folder(), {}, AutomaticBackup::AlreadyTaken).verdict != SortVerdict::Sorted)
                state.SkipWithError("sort refused or failed");
        },
        [&] {
            return plainRead.seconds(database)
                   + secondsOf([&] { writePlainly(data.plainCopyPath(), data.unsorted()); });
        },
        kSortGoal, [&] { data.restore(); });
    reportPerRecord(state);
}
BENCHMARK(SortBeaconDatabaseAgainstReadAndWrite)->UseManualTime()->Unit(benchmark::kMillisecond);

// The order alone, in memory.
void SortImageInMemory(benchmark::State &state)
{
    const QByteArray &unsorted = sortFolder().unsorted();
    for (auto _ : state)
        benchmark::DoNotOptimize(sortedDatabaseImage(unsorted).constData());
    reportPerRecord(state);
}
BENCHMARK(SortImageInMemory)->Unit(benchmark::kMillisecond);

} // namespace
