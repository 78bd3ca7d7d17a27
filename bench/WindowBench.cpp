// What the main window does with the 32767-record ndb.dat, 16 logbooks and a session
// log, through its own handlers: the nearby list of about 7000 lines against the limit
// S (one plain read of ndb.dat), and Quick Log end to end (backup, write, statistics,
// the beacon shown again) against a plain copy of the same 18 files with one fsync
// each. The program runs offscreen in a folder of its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QFileInfo>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

#include "BenchData.h"
#include "BeaconDatabase.h"
#include "ClockTexts.h"
#include "MessageBox.h"
#include "Nearby.h"
#include "Preferences.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"
#include "startup/frmSplash.h"

using namespace qern;

namespace {

using namespace qern::bench;

constexpr double kNearbyGoal = 10;
constexpr double kQuickLogGoal = 0.5;
constexpr qint64 kNearbyLines = 7000;

QApplication &application()
{
    static int argc = 1;
    static char name[] = "qern_bench";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The program started on a copy of the benchmark's folder with the shipped tables,
// its main window showing the first beacon of the database.
class RunningProgram {
public:
    RunningProgram()
    {
        application();
        if (!m_dir.isValid())
            std::abort();
        const QDir root(m_dir.path());
        const QDir shipped(QStringLiteral(QERN_SOURCE_DATA_DIR));
        root.mkpath(QStringLiteral("maps"));
        for (const char *name : {"State.dat", "Country.dat", "region.dat", "Metar.txt", "maps/coast.pnt",
                                 "maps/lake.pnt", "maps/island.pnt", "maps/river.pnt", "maps/mapper.pnt",
                                 "maps/prov.pnt", "maps/state.pnt", "maps/country.pnt"})
            copy(shipped.filePath(QLatin1String(name)), root.filePath(QLatin1String(name)));
        for (const QString &file : BenchFolder::dataFiles()) {
            root.mkpath(QFileInfo(root.filePath(file)).path());
            copy(benchFolder().path(file), root.filePath(file));
        }
        MessageBox::setHandler([](const MessageRequest &request) -> MsgAnswer {
            qFatal("message box during a benchmark: %s", qPrintable(request.text));
        });

        m_store = std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("registry.ini")));
        WriteDefaultPreferences(*m_store);
        m_state.folder = ProgramFolder(m_dir.path());
        QDir::setCurrent(m_dir.path());
        m_windows = std::make_unique<WindowSet>(m_state, *m_store, [] { return QStringList(); });
        m_windows->splash()->showForm();
        m_windows->splash()->cmdContinue_Click();
        if (m_windows->hasEnded())
            std::abort();

        BeaconRecord first;
        if (readBeacon(m_state.folder, 1, &first).failed())
            std::abort();
        main()->txtIdent->setText(QString::fromLatin1(first.trimmedText(BeaconField::Ident)));
        main()->cmdLookUp_Click();
        main()->cmdNearby_Click();
    }

    ~RunningProgram() { MessageBox::setHandler({}); }

    frmMain *main() { return m_windows->main(); }
    QString path(const QString &relative) const { return m_state.folder.path(relative); }
    QString root() const { return m_dir.path(); }
    const SharedState &state() const { return m_state; }
    bool imperial() { return m_windows->location()->optImperial->isChecked(); }

private:
    static void copy(const QString &from, const QString &to)
    {
        QFile::remove(to);
        if (!QFile::copy(from, to))
            std::abort();
    }

    QTemporaryDir m_dir;
    SharedState m_state;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<WindowSet> m_windows;
};

// The radius around the shown beacon that lists about `lines` beacons.
double radiusFor(RunningProgram &program, qint64 lines)
{
    const NearbyContext context = NearbyContext::fromState(program.state(), &program.state().Countries,
                                                           &program.state().States, program.imperial());
    const QByteArray lat = program.main()->txtLat->text().toLatin1();
    const QByteArray lon = program.main()->txtLon->text().toLatin1();
    double low = 0;
    double high = 20000;
    for (int step = 0; step < 30; ++step) {
        const double middle = (low + high) / 2;
        const qint64 found = FindNearbyBeacons(program.state().folder, middle, lat, lon, context).foundCount;
        (found < lines ? low : high) = middle;
    }
    return high;
}

void NearbyListInTheWindow(benchmark::State &state)
{
    RunningProgram program;
    frmMain *main = program.main();
    main->txtCoverage->setText(QString::number(radiusFor(program, kNearbyLines), 'f', 6));
    const QString database = databasePath(program.state().folder);
    ChunkedRead plainRead;
    timeAgainstLimit(
        state, [&] { main->cmdUpdateNearby_Click(); }, [&] { return plainRead.seconds(database); }, kNearbyGoal);
    state.counters["lines"] = double(main->lstNearbyBeacons->model()->rowCount());
}
BENCHMARK(NearbyListInTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

// Each file read and written to a copy of its own, then synced: what a backup of the
// files cannot do without.
void copyWithOneFsyncEach(const RunningProgram &program, std::vector<char> &buffer)
{
    for (const QString &file : BenchFolder::dataFiles()) {
        const QByteArray from = QFile::encodeName(program.path(file));
        const QByteArray to = QFile::encodeName(program.root() + QStringLiteral("/plain-") + QFileInfo(file).fileName());
        const int in = ::open(from.constData(), O_RDONLY);
        const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0)
            std::abort();
        ssize_t got;
        while ((got = ::read(in, buffer.data(), buffer.size())) > 0) {
            if (::write(out, buffer.data(), size_t(got)) != got)
                std::abort();
        }
        if (got < 0 || ::fsync(out) != 0)
            std::abort();
        ::close(in);
        ::close(out);
    }
}

// A reception of a beacon further down the database each time, so that ndb.dat, a
// logbook and the session log all change.
void QuickLogInTheWindow(benchmark::State &state)
{
    RunningProgram program;
    frmMain *main = program.main();
    std::vector<char> buffer(256 * 1024);
    qint64 record = 1;
    timeAgainstLimit(
        state,
        [&] {
            main->cmdQuickLog_Click();
            if (!main->cmdQuickLog->isEnabled())
                state.SkipWithError("no beacon shown after Quick Log");
        },
        [&] { return secondsOf([&] { copyWithOneFsyncEach(program, buffer); }); }, kQuickLogGoal,
        [&] {
            record = (record + 96) % kBeacons + 1; // 98, 195, ... within the database
            BeaconRecord beacon;
            if (readBeacon(program.state().folder, record, &beacon).failed())
                std::abort();
            // Typed as the program shows it: a duplicate's suffix (";2") is never typed.
            main->txtIdent->setText(
                QString::fromLatin1(StripSemicolonSuffix(beacon.trimmedText(BeaconField::Ident))));
            main->cmdLookUp_Click();
            // The window shows the beacon before the user can click QLog.
            QCoreApplication::processEvents();
        });
}
BENCHMARK(QuickLogInTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
