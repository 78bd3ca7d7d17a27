// What the main window does with the 32767-record ndb.dat, through its own handlers,
// against the limit S (one plain read of the file): the nearby list of about 7000
// lines. The program runs offscreen in a folder of its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include <memory>

#include "BenchData.h"
#include "BeaconDatabase.h"
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

constexpr double kNearbyGoal = 20;
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
        state, [&] { main->cmdUpdateNearby_Click(); }, [&] { plainRead(database); }, kNearbyGoal);
    state.counters["lines"] = double(main->lstNearbyBeacons->count());
}
BENCHMARK(NearbyListInTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
