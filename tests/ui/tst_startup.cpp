// The start-up window and the main window's load: first run, the data checks, the
// folders and logbooks, placing the main window; one running copy per folder and
// settings file, with the program itself started twice.

#include <QCryptographicHash>
#include <QDirIterator>
#include <QGuiApplication>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>

#include <csignal>
#include <sys/stat.h>

#include "ProgramFolder.h"
#include "ProgramLock.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

const QString kWelcome = QStringLiteral("Welcome to QERN. Please set your preferences in the Preferences menu.");
const QString kDataMissing = QStringLiteral("Country, State/Province and Region data missing.");
const QString kMapsMissing =
    QStringLiteral("Map components missing. Your mapping options may be severely restricted.");

// Every file and folder below root, with its size, last change and content.
QStringList snapshot(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QString entry = QDir(root).relativeFilePath(path);
        if (info.isFile()) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                entry += QStringLiteral(" unreadable");
            entry += QStringLiteral(" %1 bytes, %2, %3")
                         .arg(info.size())
                         .arg(info.lastModified().toMSecsSinceEpoch())
                         .arg(QString::fromLatin1(
                             QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex()));
        }
        entries << entry;
    }
    entries.sort();
    return entries;
}

// True when process pid holds a flock() on the file at path, as the kernel's lock table says.
bool holdsLock(qint64 pid, const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    QFile table(QStringLiteral("/proc/locks"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // "1: FLOCK  ADVISORY  WRITE 4711 fe:00:10954096 0 EOF"
    const QByteArray owner = QByteArray::number(pid);
    const QByteArray inode = ':' + QByteArray::number(static_cast<quint64>(status.st_ino));
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[1] == "FLOCK" && fields[4] == owner && fields[5].endsWith(inode))
            return true;
    }
    return false;
}

// Waits until run is past its locks: it holds its folder and its settings file.
bool holdsItsLocks(QProcess *run)
{
    const QStringList arguments = run->arguments(); // --folder DIR --settings FILE
    return QTest::qWaitFor(
        [&] {
            return holdsLock(run->processId(), ProgramFolder(arguments[1]).lockFilePath()) &&
                   holdsLock(run->processId(), settingsLockPath(arguments[3]));
        },
        30000);
}

// The program itself, started as a user would, on folders and settings files inside one
// temporary folder. Message boxes answer themselves and are printed on the standard error.
class ProgramRuns {
public:
    ProgramRuns() { QVERIFY(m_dir.isValid()); }
    ~ProgramRuns()
    {
        for (QProcess *run : std::as_const(m_runs)) {
            run->kill();
            run->waitForFinished();
        }
        qDeleteAll(m_runs);
    }

    QString root() const { return m_dir.path(); }
    // A path inside the temporary folder; an absolute one as it is.
    QString path(const QString &relative) const { return QDir(m_dir.path()).filePath(relative); }
    QStringList snapshot() const { return ::snapshot(m_dir.path()); }

    QProcess *start(const QString &folder, const QString &settings)
    {
        auto *run = new QProcess;
        m_runs << run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QERN_UNATTENDED"), QStringLiteral("1"));
        environment.remove(QStringLiteral("QERN_SETTINGS_FILE"));
        run->setProcessEnvironment(environment);
        run->start(QStringLiteral(QERN_PROGRAM),
                   {QStringLiteral("--folder"), path(folder), QStringLiteral("--settings"), path(settings)});
        return run;
    }

private:
    QTemporaryDir m_dir;
    QList<QProcess *> m_runs;
};

// The files the program ships, by their path in data/ (its README is not one of them).
QMap<QString, QByteArray> shippedFiles()
{
    QMap<QString, QByteArray> files;
    const QDir data(QStringLiteral(QERN_SOURCE_DATA_DIR));
    QDirIterator it(data.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.fileName().endsWith(QLatin1String("README.md")) || !file.open(QIODevice::ReadOnly))
            continue;
        files[data.relativeFilePath(file.fileName())] = file.readAll();
    }
    return files;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartGreetsAndWritesDefaults()
    {
        TestProgram program(TestProgram::FirstRun);
        program.writeBeacons({Beacon()});
        program.start();

        QCOMPARE(program.boxes.summary(), "Welcome: " + kWelcome);
        QVERIFY(program.store->baseKeyExists());
        QCOMPARE(program.store->GetRegistryValue(RegistryKeys::ListeningLocations, "Lon(15)"), "08000000W");
        QCOMPARE(program.store->GetRegistryValue(RegistryKeys::RadarPreferences, "RadarNavtex"), "1");
        QVERIFY(program.state.UserName.isEmpty());
        QVERIFY(program.state.UserCallSign.isEmpty());
        QVERIFY(QFile::exists(program.settingsPath()));
    }

    void secondStartReadsTheUserAndDoesNotGreet()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::UserInfo, kRegistryString, "Call Sign", "VE3XYZ");
        program.start();

        QVERIFY(!program.boxes.texts().contains(kWelcome));
        QCOMPARE(program.state.UserName, QByteArray(kDefaultUserName));
        QCOMPARE(program.state.UserCallSign, "VE3XYZ");
    }

    void unreadableSettingsAreReportedAndNotOverwritten_data()
    {
        QTest::addColumn<QString>("linkTo"); // empty: a file of garbage; "/": a folder
        QTest::addColumn<QString>("cause");  // %1: the settings file, %2: where its link points
        QTest::addColumn<QString>("wayOut");
        QTest::newRow("damaged") << QString() << "Error # 75: Line 1 of the settings file is not a setting (%1)"
                                 << QString(kDamagedSettingsWayOut);
        QTest::newRow("link to nothing")
            << "elsewhere/registry.ini" << "Error # 53: File not found (%1 is a link to %2, which does not exist)"
            << QString(kSettingsLinkWayOut);
        QTest::newRow("loop of links") << "registry.ini"
                                       << "Error # 75: Path/File access error (%1 is a loop of symbolic links)"
                                       << QString(kUnusableSettingsWayOut);
        QTest::newRow("folder") << "/" << "Error # 75: Path/File access error (%1 is a folder)"
                                << QString(kUnusableSettingsWayOut);
    }
    void unreadableSettingsAreReportedAndNotOverwritten()
    {
        QFETCH(QString, linkTo);
        QFETCH(QString, cause);
        QFETCH(QString, wayOut);
        TestProgram program(TestProgram::FirstRun);
        program.writeBeacons({Beacon()});
        const QString settings = program.settingsPath();
        const QByteArray garbage = "this is not a settings file\n[unterminated\n";
        QDir().mkpath(QFileInfo(settings).dir().filePath(QStringLiteral("elsewhere")));
        if (linkTo.isEmpty()) {
            QFile f(settings);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        } else if (linkTo == "/") {
            QVERIFY(QDir().mkdir(settings));
        } else {
            QVERIFY(QFile::link(linkTo, settings));
        }
        program.start();

        QVERIFY(!program.boxes.texts().contains(kWelcome));
        QVERIFY(!program.boxes.shown.isEmpty());
        QCOMPARE(program.boxes.shown[0].title, "Error");
        // The message names the file, the cause and the way out that fits it.
        const QString target = QFileInfo(settings).dir().filePath(linkTo);
        QCOMPARE(program.boxes.shown[0].text,
                 QString(cause).replace("%1", settings).replace("%2", target) + "\r\n" + wayOut);
        if (linkTo.isEmpty()) {
            QFile f(settings);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), garbage);
        } else if (linkTo == "/") {
            QVERIFY(QFileInfo(settings).isDir());
        } else {
            QVERIFY(QFileInfo(settings).isSymLink());
            QVERIFY(!QFile::exists(target));
        }
    }

    void aMissingTableEndsTheProgramWithLoadError_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("folderInItsPlace");
        QTest::addColumn<QString>("reportedFirst"); // %1: the file
        QTest::newRow("region.dat") << "region.dat" << false << QString();
        QTest::newRow("State.dat") << "State.dat" << false << "State, Province lookup table missing.";
        QTest::newRow("Country.dat, a folder in its place")
            << "Country.dat" << true << "Error # 75: Path/File access error (%1 is a folder)";
    }
    void aMissingTableEndsTheProgramWithLoadError()
    {
        QFETCH(QString, file);
        QFETCH(bool, folderInItsPlace);
        QFETCH(QString, reportedFirst);
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.remove(file);
        if (folderInItsPlace)
            program.mkdir(file);
        reportedFirst.replace("%1", program.path(file));
        program.start();

        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 1);
        QCOMPARE(program.boxes.shown.last().text, kDataMissing);
        QCOMPARE(program.boxes.shown.last().title, "Load Error");
        if (!reportedFirst.isEmpty())
            QVERIFY(program.boxes.texts().contains(reportedFirst));
        // The map check does not run after the data check failed.
        QVERIFY(!program.boxes.texts().contains(kMapsMissing));
        QVERIFY(!program.windows->splash()->cmdContinue->isEnabled());
    }

    void missingMapFileWarnsOnceAndTheProgramGoesOn()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.remove("maps/river.pnt");
        frmMain *main = program.startToMain();

        QVERIFY(main);
        QCOMPARE(program.boxes.texts().count(kMapsMissing), 1);
        QVERIFY(program.boxes.summary().contains("Load Error: " + kMapsMissing));
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->hasEnded());
    }

    void foldersAndEmptyLogbooksAreCreatedAndExistingOnesKept()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        const QByteArray entry = logEntry("ABC", "338", "1200", "20260101");
        program.write("LOGS/log3.dat", entry);
        // What stands at a logbook's name is kept, and named when it is no file.
        QVERIFY(QFile::link(QStringLiteral("log5.dat"), program.path("LOGS/log5.dat")));
        program.mkdir("LOGS/log6.dat");
        program.start();

        QCOMPARE(program.boxes.summary(),
                 "Error: Error # 75: Path/File access error (" + program.path("LOGS/log5.dat") +
                     " is a loop of symbolic links)\n"
                     "Error: Error # 75: Path/File access error (" + program.path("LOGS/log6.dat") + " is a folder)");
        QVERIFY(QFileInfo(program.path("LOGS/log5.dat")).isSymLink());
        QVERIFY(QFileInfo(program.path("LOGS/log6.dat")).isDir());

        QVERIFY(QFileInfo(program.path("AutoBackups")).isDir());
        // The existing "LOGS" serves as the logs folder: no second one is made.
        QVERIFY(!program.exists("Logs") ||
                QFileInfo(program.path("Logs")).canonicalFilePath() ==
                    QFileInfo(program.path("LOGS")).canonicalFilePath());
        for (int n = 0; n < 16; ++n) {
            if (n == 5 || n == 6)
                continue;
            const QFileInfo logbook(program.path(QStringLiteral("LOGS/log%1.dat").arg(n)));
            QVERIFY2(logbook.isFile(), qPrintable(logbook.filePath()));
            QCOMPARE(logbook.size(), n == 3 ? qint64(entry.size()) : qint64(0));
        }
    }

    void continueWaitsForTheCountAndThenPlacesTheMainWindow()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.store = std::make_unique<RegistryStore>(program.settingsPath());
        program.windows = std::make_unique<WindowSet>(program.state, *program.store);
        frmSplash *splash = program.windows->splash();
        QVERIFY(!splash->cmdContinue->isEnabled());
        QVERIFY(!program.windows->isMainLoaded());

        splash->showForm();
        QVERIFY(splash->cmdContinue->isEnabled());
        QVERIFY(splash->lblChecking->text().isEmpty());
        // The settings loader created the main window, hidden.
        QVERIFY(program.windows->isMainLoaded());
        frmMain *main = program.windows->main();
        QVERIFY(!main->isVisible());

        splash->cmdContinue_Click();
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->isSplashLoaded());
        QCOMPARE(main->height(), 333);
        const QRect screen = main->screen()->geometry();
        const QRect frame = main->frameGeometry();
        // The frame's own size is known only once the window is shown: a pixel either way.
        QVERIFY(qAbs(frame.top() - screen.top() - (screen.height() - frame.height()) / 5.0) <= 1.0);
        QVERIFY(qAbs(frame.left() - screen.left() - (screen.width() - frame.width()) / 2.0) <= 2.0);
    }

    // Closing the start-up window after the count ends the program.
    void activationRunsOnce()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.start();
        const qsizetype shownAfterStart = program.boxes.shown.size();
        // A second activation would probe, load and count again.
        program.remove("ndb.dat");
        program.windows->splash()->Form_Activate();
        QCOMPARE(program.boxes.shown.size(), shownAfterStart);

        program.windows->splash()->close();
        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 0);
    }

    void missingDatabaseIsReportedAtStartUp()
    {
        TestProgram program;
        program.start();
        QVERIFY(program.boxes.summary().contains(
            "Missing Database: NDB Database not found. Try restoring from a backup."));
        QVERIFY(!program.exists("ndb.dat"));
        QVERIFY(program.windows->splash()->cmdContinue->isEnabled());
    }

    // The program itself copies in what its folder lacks, and replaces nothing: a folder
    // of the listener's own database, or one that lost a table, then starts as any other.
    // A folder in use gets no starter database: a lost one stays missing.
    void theProgramCopiesInTheShippedFilesItsFolderLacks_data()
    {
        QTest::addColumn<bool>("onlyTheDatabase");
        QTest::addColumn<QString>("lost");
        QTest::newRow("a real ndb.dat alone") << true << QString();
        QTest::newRow("in use, Country.dat lost") << false << "Country.dat";
        QTest::newRow("in use, ndb.dat lost") << false << "ndb.dat";
    }
    void theProgramCopiesInTheShippedFilesItsFolderLacks()
    {
        QFETCH(bool, onlyTheDatabase);
        QFETCH(QString, lost);
        const QMap<QString, QByteArray> shipped = shippedFiles();
        QVERIFY(shipped.contains("Country.dat") && shipped.contains("help.htm") && shipped.contains("maps/coast.pnt"));
        TestProgram program(TestProgram::FirstRun);
        if (onlyTheDatabase) {
            for (const QFileInfo &entry : QDir(program.root()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
                QVERIFY(entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath()));
        }
        // The listener's own database: not the starter one.
        const QByteArray own = shipped["ndb.dat"].left(300 * BeaconRecord::Length);
        program.write("ndb.dat", own);
        if (!lost.isEmpty())
            program.remove(lost);

        ProgramRuns runs;
        QProcess *run = runs.start(program.root(), program.settingsPath());
        // The greeting of a first run comes once the folder has its files and the tables
        // are loaded.
        QByteArray shown;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         shown += run->readAllStandardError();
                         return shown.contains("Welcome: ");
                     },
                     30000),
                 shown.constData());
        run->kill();
        QVERIFY(run->waitForFinished(30000));
        QVERIFY2(!shown.contains("missing"), shown.constData());

        // Started again on that folder, up to the main window.
        program.presetSetting(RegistryKeys::UserInfo, kRegistryString, "Call Sign", "VE3XYZ");
        QVERIFY(program.startToMain());
        QCOMPARE(program.boxes.summary(), lost == "ndb.dat" ? QStringLiteral("Missing Database: NDB Database not found. "
                                                                             "Try restoring from a backup.")
                                                            : QString());
        QCOMPARE(program.exists("ndb.dat"), lost != "ndb.dat");
        if (lost != "ndb.dat")
            QVERIFY(program.read("ndb.dat") == own);
        for (auto file = shipped.cbegin(); file != shipped.cend(); ++file) {
            if (file.key() != "ndb.dat")
                QVERIFY2(program.read(file.key()) == file.value(), qPrintable(file.key()));
        }
        QVERIFY(QDir(program.root()).entryList({"*.tmp"}).isEmpty());
    }

    void aSecondCopyOnAHeldFolderOrSettingsFileEndsAndChangesNothing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("message");
        const QString onFolder = QStringLiteral("QERN: QERN is already running on this folder.\n%1/qern\n");
        const QString onSettings =
            QStringLiteral("QERN: QERN is already running with this settings file.\n%1/config/registry.ini\n");
        QTest::newRow("same folder, same settings") << "qern" << "config/registry.ini" << onFolder;
        QTest::newRow("same folder, new settings") << "qern" << "new/registry.ini" << onFolder;
        QTest::newRow("other folder, same settings") << "other" << "config/registry.ini" << onSettings;
        QTest::newRow("new folder, same settings") << "new" << "config/registry.ini" << onSettings;
    }

    void aSecondCopyOnAHeldFolderOrSettingsFileEndsAndChangesNothing()
    {
        QFETCH(QString, folder);
        QFETCH(QString, settings);
        QFETCH(QString, message);
        ProgramRuns runs;
        // A folder of the user's own, which a refused copy must not touch either.
        QVERIFY(QDir().mkpath(runs.path(QStringLiteral("other"))));
        QVERIFY(QFile::copy(QStringLiteral(QERN_SOURCE_DATA_DIR "/ndb.dat"),
                            runs.path(QStringLiteral("other/ndb.dat"))));
        QProcess *first = runs.start(QStringLiteral("qern"), QStringLiteral("config/registry.ini"));
        QVERIFY2(holdsItsLocks(first), first->readAllStandardError().constData());
        // Frozen, the first copy writes nothing while the second one runs; it keeps its locks.
        QCOMPARE(::kill(static_cast<pid_t>(first->processId()), SIGSTOP), 0);
        const QStringList before = runs.snapshot();

        QProcess *second = runs.start(folder, settings);
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), kAlreadyRunningExitCode);
        const QString shown = QString::fromLocal8Bit(second->readAllStandardError());
        QVERIFY2(shown.contains(message.arg(runs.root())), qPrintable(shown));
        QCOMPARE(runs.snapshot(), before);
    }

    void aKilledCopyBlocksNoStartAndOtherFoldersRunSideBySide()
    {
        ProgramRuns runs;
        QProcess *first = runs.start(QStringLiteral("qern"), QStringLiteral("config/registry.ini"));
        // Killed once its first start has seeded the folder, so that the next one has
        // its tables: a start killed half-way through seeding is another matter.
        QByteArray shown;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         shown += first->readAllStandardError();
                         return shown.contains("Welcome: " + kWelcome.toLatin1());
                     },
                     30000),
                 shown.constData());
        QVERIFY(holdsItsLocks(first));
        first->kill(); // kill -9
        QVERIFY(first->waitForFinished(30000));
        // Its lock file stays behind, and binds nobody.
        QVERIFY(QFile::exists(runs.path(QStringLiteral("qern/.qern.lock"))));

        QProcess *next = runs.start(QStringLiteral("qern"), QStringLiteral("config/registry.ini"));
        QVERIFY2(holdsItsLocks(next), next->readAllStandardError().constData());
        QProcess *beside = runs.start(QStringLiteral("other"), QStringLiteral("other.ini"));
        QVERIFY2(holdsItsLocks(beside), beside->readAllStandardError().constData());
        QVERIFY(holdsItsLocks(next));
    }

};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
