#include "BenchData.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstdint>

#include <fcntl.h>
#include <unistd.h>

#include "BeaconDatabase.h"
#include "DatabaseSort.h"
#include "FileIo.h"
#include "LogRecords.h"

namespace qern::bench {

namespace {

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

QByteArray generatedLogbook(int count, int length, char fill)
{
    QByteArray bytes(qsizetype(count) * length, fill);
    for (int i = 0; i < count; ++i)
        bytes[qsizetype(i) * length] = char('A' + i % 26);
    return bytes;
}

} // namespace

BeaconRecord generatedBeacon(std::mt19937 &random, int number)
{
    static const std::array<const char *, 8> countries = {"CAN", "USA", "NOR", "SWE", "FIN", "ALS", "FRA", "D"};
    static const std::array<const char *, 6> places = {"Port Eden", "Saint-Jean-sur-Richelieu", "Kirkenes",
                                                       "Fort McMurray", "Ivalo", "Dutch Harbor"};
    static const std::array<const char *, 4> classes = {"NDB", "DGPS", "NAVTEX", "MB"};
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::uniform_int_distribution<int> below(0, 9999);
    auto pick = [&](int n) { return below(random) % n; };

    QByteArray ident;
    if (number % 40 == 0) {
        ident = "#" + QByteArray::number(100 + pick(900));
    } else if (number % 101 == 0) {
        ident = "$" + QByteArray(1, char(letter(random)));
    } else {
        for (int k = 0, n = 2 + number % 2; k < n; ++k)
            ident += char(letter(random));
    }
    if (number % 97 == 0)
        ident += ";2";

    QByteArray frequency = QByteArray::number(190 + pick(1560));
    if (number % 5 == 0)
        frequency += ".5";

    const QByteArray latitude =
        (pick(10) == 0 ? "S" : "N") + twoDigits(pick(80)) + twoDigits(pick(60)) + twoDigits(pick(60)) + "00";
    const QByteArray longitude = (pick(2) == 0 ? "W" : "E") + QByteArray::number(pick(180)).rightJustified(3, '0')
                                 + twoDigits(pick(60)) + twoDigits(pick(60)) + "00";

    BeaconRecord r;
    bool ok = r.setShifted(BeaconField::Ident, ident);
    ok = r.setShifted(BeaconField::CountryCode, countries[pick(countries.size())]) && ok;
    ok = r.setShiftedOrBlank(BeaconField::StateCode, pick(2) ? "ON" : "") && ok;
    ok = r.setShifted(BeaconField::Location, places[pick(places.size())]) && ok;
    ok = r.setShifted(BeaconField::Frequency, frequency) && ok;
    ok = r.setShifted(BeaconField::BeaconClass, classes[pick(classes.size())]) && ok;
    ok = r.setShifted(BeaconField::Power, QByteArray::number(pick(2000))) && ok;
    ok = r.setShifted(BeaconField::Latitude, latitude) && ok;
    ok = r.setShifted(BeaconField::Longitude, longitude) && ok;
    ok = r.setShifted(BeaconField::Current, "2024" + twoDigits(1 + pick(12))) && ok;
    ok = r.setShiftedOrBlank(BeaconField::Cycle, pick(3) ? "8.0" : "") && ok;
    ok = r.setShiftedOrBlank(BeaconField::USB, pick(2) ? "1020" : "") && ok;
    ok = r.setShiftedOrBlank(BeaconField::LSB, pick(2) ? "1018" : "") && ok;
    ok = r.setShifted(BeaconField::DAID, pick(4) ? "0" : "1") && ok;
    ok = r.setShiftedOrBlank(BeaconField::Comments, pick(3) ? "Heard on the long wire at dusk, fading" : "") && ok;
    if (!ok)
        std::abort();
    r.setLoggedMask(pick(7) == 0 ? quint32(below(random) & 0xFFFF) : 0u);
    if (pick(20) == 0)
        r.setSessionMark();
    return r;
}

BenchFolder::BenchFolder()
{
    if (!m_dir.isValid())
        std::abort();
    m_folder = ProgramFolder(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("Logs"));
    QDir(m_dir.path()).mkpath(QStringLiteral("AutoBackups"));

    std::mt19937 random(7081);
    QByteArray database;
    database.reserve(qsizetype(kBeacons) * BeaconRecord::Length);
    for (int number = 1; number <= kBeacons; ++number)
        database += generatedBeacon(random, number).bytes();
    // In the order the program keeps its database: by frequency, as its own sort leaves it.
    bool failed = replaceFileContents(databasePath(m_folder), sortedDatabaseImage(database)).failed();
    for (int n = 0; n < 16; ++n)
        failed = replaceFileContents(logbookPath(m_folder, n),
                                     generatedLogbook(kEntriesPerLogbook, LogRecord::Length, '1'))
                     .failed()
                 || failed;
    failed = replaceFileContents(sessionLogPath(m_folder), generatedLogbook(kSessionEntries, CLERecord::Length, '2'))
                 .failed()
             || failed;
    if (failed)
        std::abort();
}

QStringList BenchFolder::dataFiles()
{
    QStringList files = {QStringLiteral("ndb.dat"), QStringLiteral("Logs/cle.dat")};
    for (int n = 0; n < 16; ++n)
        files.append(QStringLiteral("Logs/log%1.dat").arg(n));
    return files;
}

const BenchFolder &benchFolder()
{
    static const BenchFolder folder;
    return folder;
}

void readDatabasePlainly(benchmark::State &state)
{
    const QString path = databasePath(benchFolder().folder());
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open ndb.dat");
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    reportPerBeacon(state);
}

ChunkedRead::ChunkedRead() : m_storage(kChunk + 4096) {}

char *ChunkedRead::buffer()
{
    const auto at = reinterpret_cast<std::uintptr_t>(m_storage.data());
    return m_storage.data() + (4096 - at % 4096) % 4096;
}

void ChunkedRead::operator()(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        std::abort();
    char *const into = buffer();
    ssize_t got;
    while ((got = ::read(fd, into, kChunk)) > 0)
        benchmark::DoNotOptimize(into);
    ::close(fd);
    if (got < 0)
        std::abort();
}

double ChunkedRead::seconds(const QString &path)
{
    double fastest = secondsOf([&] { (*this)(path); });
    for (int run = 1; run < 3; ++run)
        fastest = std::min(fastest, secondsOf([&] { (*this)(path); }));
    return fastest;
}

void reportPerBeacon(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * kBeacons);
    state.SetBytesProcessed(state.iterations() * kBeacons * BeaconRecord::Length);
}

} // namespace qern::bench
