// The maintenance windows: the path chooser and its new-folder dialog, the backup
// and restore windows, and the database sort with its progress window.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include "BackupSet.h"
#include "PathChoice.h"
#include "UiTestSupport.h"
#include "radar/frmDistanceCircle.h"
#include "startup/frmBackup.h"
#include "startup/frmFileOperation.h"
#include "startup/frmNewDirectory.h"
#include "startup/frmRestore.h"
#include "startup/frmSortProgress.h"

using namespace qern;
using namespace qern::test;

namespace {

Beacon beacon(const QByteArray &ident, const QByteArray &frequency)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    return b;
}

// A folder outside the program folder: the "drive" of a backup set, or a place to
// choose paths in.
class Drive {
public:
    Drive() { QVERIFY(m_dir.isValid()); }
    QString root() const { return QDir::cleanPath(m_dir.path()); }
    QString path(const QString &relative) const { return root() + QLatin1Char('/') + relative; }
    void write(const QString &relative, const QByteArray &content) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile f(path(relative));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(content), content.size());
    }
    QByteArray read(const QString &relative) const
    {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    void mkdir(const QString &relative) const { QDir().mkpath(path(relative)); }
    QStringList files() const { return QDir(root()).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir m_dir;
};

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().trimmed();
    return texts;
}

// Runs act on the modal window as soon as the event loop of its exec() turns.
void whenModal(const std::function<void(QWidget *)> &act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
    });
}

QString homeFolder()
{
    return folderListPath(QDir::homePath(), mountedVolumeRoots());
}

} // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

private:
    // The chooser opened for an opener's box, in mode.
    frmFileOperation *openChooser(TestProgram &program, QLineEdit *box, int mode, const QString &folder = {})
    {
        frmFileOperation *chooser = program.windows->fileOperation();
        if (!folder.isEmpty())
            chooser->presetFolder(folder);
        chooser->setTarget(box);
        program.state.FileOperationMode = mode;
        chooser->showForm();
        return chooser;
    }

    frmMain *startWithBeacons(TestProgram &program)
    {
        program.writeBeacons({beacon("XYZ", "400"), beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        program.boxes.shown.clear();
        return main;
    }

private slots:
    // -----------------------------------------------------------------------------
    // Path chooser

    void radarReportOpensTheChooserOnItsFolderAndFile()
    {
        TestProgram program;
        Drive drive;
        drive.mkdir("data");
        QVERIFY(startWithBeacons(program));
        frmDistanceCircle *radar = program.windows->distanceCircle();
        program.state.BeaconRadarFolder = drive.path("data").toUtf8();
        program.state.BeaconRadarFile = "radar.txt";
        QVERIFY(radar->cmdBeaconReport->isEnabled());

        QTest::mouseClick(radar->cmdBeaconReport, Qt::LeftButton);

        QVERIFY(program.windows->isFileOperationLoaded());
        frmFileOperation *chooser = program.windows->fileOperation();
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->windowTitle(), QStringLiteral("Path Setting"));
        QCOMPARE(program.state.FileOperationMode, 4);
        QCOMPARE(chooser->directoryPath(), drive.path("data"));
        QCOMPARE(chooser->txtFileName->text(), QStringLiteral("radar.txt"));
        QVERIFY(chooser->lstFile->isEnabled());
        QVERIFY(chooser->txtFileName->isEnabled());

        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(radar->txtBeaconRadar->text(), drive.path("data/radar.txt"));
        QCOMPARE(program.state.BeaconRadarFolder, drive.path("data").toUtf8());
        QVERIFY(!program.windows->isFileOperationLoaded());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void radarFolderThatCannotBeShownStartsInTheProgramFolder()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        program.state.BeaconRadarFolder = "/no/such/folder";
        program.windows->distanceCircle()->cmdBeaconReport_Click();
        QCOMPARE(program.windows->fileOperation()->directoryPath(), QDir::cleanPath(program.path(QString())));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void setPathAtARootWritesOneSeparator()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, QStringLiteral("/"));
        chooser->txtFileName->setText(QStringLiteral("radar.txt"));
        chooser->Command1_Click();
        QCOMPARE(box.text(), QStringLiteral("/radar.txt"));
        QCOMPARE(program.state.BeaconRadarFolder, QByteArray("/"));
    }

    void missingFileNameKeepsTheChooserOpen_data()
    {
        QTest::addColumn<int>("mode");
        for (int mode : {1, 2, 4, 5, 6, 7, 8})
            QTest::newRow(qPrintable(QStringLiteral("mode %1").arg(mode))) << mode;
    }
    void missingFileNameKeepsTheChooserOpen()
    {
        QFETCH(int, mode);
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QLineEdit box(QStringLiteral("before"));
        frmFileOperation *chooser = openChooser(program, &box, mode, drive.root());
        const QString folder = chooser->directoryPath();

        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(program.boxes.texts(), QStringList{QStringLiteral("Must specify file name.")});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.windows->isFileOperationLoaded());
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->directoryPath(), folder);
        QCOMPARE(box.text(), QStringLiteral("before"));
    }

    void weblogModeWritesOnlyTheFolder()
    {
        TestProgram program;
        Drive drive;
        drive.write("weblog/Stations.js", "x");
        drive.write("weblog/log.js", "x");
        drive.write("weblog/notes.txt", "x");
        QVERIFY(startWithBeacons(program));
        QLineEdit box(QStringLiteral("old"));
        frmFileOperation *chooser = openChooser(program, &box, 3, drive.path("weblog"));

        QCOMPARE(chooser->filePattern(), QStringLiteral("*.js"));
        QCOMPARE(listTexts(chooser->lstFile), (QStringList{"log.js", "Stations.js"}));
        QVERIFY(!chooser->lstFile->isEnabled());
        QVERIFY(!chooser->txtFileName->isEnabled());

        chooser->Command1_Click();

        QCOMPARE(box.text(), drive.path("weblog/"));
        QCOMPARE(program.state.WeblogFolder, drive.path("weblog/").toUtf8());
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!program.windows->isFileOperationLoaded());
    }

    void reportModesForceTheExtension_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("5 plain") << 5 << "list" << "list.txt" << "*.txt";
        QTest::newRow("6 plain") << 6 << "list" << "list.csv" << "*.csv";
        QTest::newRow("5 csv name") << 5 << "list.csv" << "list.txt" << "*.txt";
        QTest::newRow("6 two dots") << 6 << "a.b.c" << "a.csv" << "*.csv";
        QTest::newRow("7 plain") << 7 << "cle" << "cle.txt" << "*.txt";
        QTest::newRow("8 dotted") << 8 << "week.1.txt" << "week.csv" << "*.csv";
    }
    void reportModesForceTheExtension()
    {
        QFETCH(int, mode);
        QFETCH(QString, typed);
        QFETCH(QString, forced);
        QFETCH(QString, pattern);
        TestProgram program;
        Drive drive;
        drive.write("out/old.txt", "x");
        drive.write("out/old.csv", "x");
        QVERIFY(startWithBeacons(program));
        QLineEdit box(drive.path("out/rep.txt"));
        frmFileOperation *chooser = openChooser(program, &box, mode);

        QCOMPARE(chooser->directoryPath(), drive.path("out"));
        QCOMPARE(chooser->filePattern(), pattern);
        QCOMPARE(chooser->lstFile->count(), 1);
        chooser->txtFileName->setText(typed);
        chooser->Command1_Click();

        QCOMPARE(box.text(), drive.path("out/") + forced);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void reportStartFolderFollowsTheOpenersBox()
    {
        TestProgram program;
        Drive drive;
        drive.mkdir("elsewhere");
        QVERIFY(startWithBeacons(program));

        QLineEdit empty;
        QCOMPARE(openChooser(program, &empty, 5, drive.root())->directoryPath(), homeFolder());
        program.windows->fileOperation()->Command2_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QLineEdit bare(QStringLiteral("rep.txt"));
        QCOMPARE(openChooser(program, &bare, 6, drive.path("elsewhere"))->directoryPath(), drive.path("elsewhere"));
        program.windows->fileOperation()->Command2_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QLineEdit gone(drive.path("vanished/rep.txt"));
        QCOMPARE(openChooser(program, &gone, 7, drive.path("elsewhere"))->directoryPath(), drive.path("elsewhere"));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void comingBackFromAnotherWindowRunsTheActivationAgain()
    {
        TestProgram program;
        Drive drive;
        drive.mkdir("out");
        QVERIFY(startWithBeacons(program));
        QLineEdit box(drive.path("out/rep.txt"));
        frmFileOperation *chooser = openChooser(program, &box, 7);
        QVERIFY(!chooser->setDirectoryPath(drive.root()).failed());
        QEvent activate(QEvent::WindowActivate);
        QEvent deactivate(QEvent::WindowDeactivate);

        QCoreApplication::sendEvent(chooser, &activate); // the activation of showing it
        QCOMPARE(chooser->directoryPath(), drive.root());

        QCoreApplication::sendEvent(chooser, &deactivate);
        QCoreApplication::sendEvent(chooser, &activate);
        QCOMPARE(chooser->directoryPath(), drive.path("out"));
    }

    void clickingAFileCopiesItsName()
    {
        TestProgram program;
        Drive drive;
        drive.write("radar-old.txt", "x");
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        QCOMPARE(chooser->lstFile->count(), 1);

        chooser->lstFile_Click(chooser->lstFile->item(0));

        QCOMPARE(chooser->txtFileName->text(), QStringLiteral("radar-old.txt"));
    }

    void doubleClickingAFolderEntersIt()
    {
        TestProgram program;
        Drive drive;
        drive.write("sub/inside.txt", "x");
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        const QList<QListWidgetItem *> found = chooser->lstDirectory->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);

        emit chooser->lstDirectory->itemActivated(found[0]);

        QCOMPARE(chooser->directoryPath(), drive.path("sub"));
        QCOMPARE(listTexts(chooser->lstFile), QStringList{"inside.txt"});
    }

    void exitAndTheTitleBarWriteNothing_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("Exit") << false;
        QTest::newRow("title bar") << true;
    }
    void exitAndTheTitleBarWriteNothing()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QLineEdit box(QStringLiteral("kept"));
        program.state.WeblogFolder = "kept/";
        frmFileOperation *chooser = openChooser(program, &box, 3, drive.root());

        if (byTitleBar)
            chooser->close();
        else
            QTest::mouseClick(chooser->Command2, Qt::LeftButton);

        QVERIFY(!program.windows->isFileOperationLoaded());
        QCOMPARE(box.text(), QStringLiteral("kept"));
        QCOMPARE(program.state.WeblogFolder, QByteArray("kept/"));
    }

    void newFolderShowsAtOnceAndIsRecordedForItsMode()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QLineEdit box(QStringLiteral("kept"));
        frmFileOperation *chooser = openChooser(program, &box, 3, drive.root());

        whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<frmNewDirectory *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("New Directory"));
            dialog->txtNewDir->setText(QStringLiteral("weblog"));
            QTest::mouseClick(dialog->Command2, Qt::LeftButton);
        });
        QTest::mouseClick(chooser->cmdNewDir, Qt::LeftButton);

        QVERIFY(QFileInfo(drive.path("weblog")).isDir());
        QCOMPARE(chooser->lstDirectory->findItems(QStringLiteral("weblog"), Qt::MatchEndsWith).size(), 1);
        QCOMPARE(program.state.WeblogFolder, drive.path(QString()).toUtf8());
        QVERIFY(program.boxes.shown.isEmpty());

        chooser->Command2_Click();
        QCOMPARE(box.text(), QStringLiteral("kept"));
        QCOMPARE(program.state.WeblogFolder, drive.path(QString()).toUtf8());
    }

    void newFolderInAReportModeReturnsToTheStartFolder()
    {
        TestProgram program;
        Drive drive;
        drive.mkdir("out");
        QVERIFY(startWithBeacons(program));
        QLineEdit box(drive.path("out/rep.txt"));
        frmFileOperation *chooser = openChooser(program, &box, 5);
        QVERIFY(chooser->setDirectoryPath(drive.root()).number == 0);

        whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<frmNewDirectory *>(modal);
            QVERIFY(dialog);
            dialog->txtNewDir->setText(QStringLiteral("made"));
            dialog->Command2_Click();
        });
        chooser->cmdNewDir_Click();

        QVERIFY(QFileInfo(drive.path("made")).isDir());
        QCOMPARE(chooser->directoryPath(), drive.path("out"));
    }

    void folderThatCannotBeMadeKeepsTheDialogOpen()
    {
        TestProgram program;
        Drive drive;
        drive.mkdir("exists");
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        bool stayedOpen = false;

        whenModal([&stayedOpen](QWidget *modal) {
            auto *dialog = qobject_cast<frmNewDirectory *>(modal);
            QVERIFY(dialog);
            dialog->txtNewDir->setText(QStringLiteral("exists"));
            dialog->Command2_Click();
            stayedOpen = dialog->isVisible();
            dialog->Command1_Click();
        });
        chooser->cmdNewDir_Click();

        QVERIFY(stayedOpen);
        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # 75: ")));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(program.state.BeaconRadarFolder, drive.root().toUtf8());
    }

    void cancelCreatesNothing()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());

        whenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<frmNewDirectory *>(modal);
            QVERIFY(dialog);
            dialog->txtNewDir->setText(QStringLiteral("never"));
            QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        });
        chooser->cmdNewDir_Click();

        QVERIFY(!drive.exists("never"));
        QVERIFY(program.windows->isFileOperationLoaded());
    }

    void driveThatCannotBeOpenedReportsAndGoesBack()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        const QString missing = drive.path("unmounted");
        chooser->setVolumeRoots({QStringLiteral("/"), missing});
        const int index = chooser->lstDrive->findData(missing + QLatin1Char('/'));
        QVERIFY(index >= 0);

        chooser->lstDrive->setCurrentIndex(index);
        chooser->lstDrive_Change(index);

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # 76: ")));
        QCOMPARE(chooser->directoryPath(), drive.root());
        QCOMPARE(chooser->lstDrive->currentData().toString(), QStringLiteral("/"));
    }

    // -----------------------------------------------------------------------------
    // Backup

    void backupMenuShowsTheWindowModal()
    {
        TestProgram program;
        Drive drive;
        frmMain *main = startWithBeacons(program);
        QVERIFY(main);
        QVERIFY(main->mnuDBBackup->isEnabled());
        QStringList listed;

        whenModal([&](QWidget *modal) {
            auto *backup = qobject_cast<frmBackup *>(modal);
            QVERIFY(backup);
            QCOMPARE(backup->windowTitle(), QStringLiteral("Backup"));
            backup->setTargetRoot(drive.root());
            backup->chkPreferences->setChecked(true);
            QTest::mouseClick(backup->cmdOK, Qt::LeftButton);
            listed = listTexts(backup->lstBackupStatus);
            QTest::mouseClick(backup->cmdExit, Qt::LeftButton);
        });
        main->mnuDBBackup->trigger();

        QCOMPARE(listed, QStringList{"Registry Backed Up"});
        QCOMPARE(drive.files(), QStringList{"Reg.bak"});
        QCOMPARE(program.state.RegistryRestored, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!program.windows->isBackupLoaded());
    }

    void backupListsEachLogbookByItsLocation()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        program.remove(QStringLiteral("Logs/log2.dat"));
        frmBackup *backup = program.windows->backup();
        backup->setTargetRoot(drive.root());
        backup->chkLocation->setChecked(true);

        backup->cmdOK_Click();

        const QStringList lines = listTexts(backup->lstBackupStatus);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], QStringLiteral("Location 1 Log File - Backed Up"));
        QCOMPARE(lines[2], QStringLiteral("Location 3 Log File - NOT Backed Up"));
        QCOMPARE(lines[16], QStringLiteral("Master Database - Backed Up"));
        QVERIFY(!drive.exists("log2.bak"));
        QCOMPARE(drive.read("ndb.bak"), program.read(QStringLiteral("ndb.dat")));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void failingBackupCopyAbortsAndKeepsTheTargetFile()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        drive.write("cle.bak", "older session");
        drive.mkdir("cle.bak.tmp");
        program.write(QStringLiteral("Logs/cle.dat"), QByteArray(87, 'x'));
        frmBackup *backup = program.windows->backup();
        backup->setTargetRoot(drive.root());
        backup->chkCLE->setChecked(true);

        backup->cmdOK_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")));
        QVERIFY(program.boxes.shown[0].text.endsWith(QStringLiteral(". Backup aborted.")));
        QCOMPARE(drive.read("cle.bak"), QByteArray("older session"));
        QVERIFY(!drive.exists("ndb.bak"));
        QVERIFY(listTexts(backup->lstBackupStatus).isEmpty());
    }

    void backupTargetListOffersHomeAndVolumes()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        frmBackup *backup = program.windows->backup();
        QCOMPARE(backup->targetRoot(), QDir::cleanPath(QDir::homePath()));
        QVERIFY(backup->drvBackup->findData(QStringLiteral("/")) >= 0);
        for (QCheckBox *box : {backup->chkLocation, backup->chkCLE, backup->chkPreferences})
            QVERIFY(!box->isChecked());
    }

    // -----------------------------------------------------------------------------
    // Restore

    void restoreMenuShowsTheWindowModeless()
    {
        TestProgram program;
        frmMain *main = startWithBeacons(program);
        QVERIFY(main);
        QVERIFY(main->mnuDBRestore->isEnabled());

        main->mnuDBRestore->trigger();

        frmRestore *restore = program.windows->restore();
        QVERIFY(restore->isVisible());
        QCOMPARE(restore->windowTitle(), QStringLiteral("Database Restore"));
        QVERIFY(main->isEnabled());
        QVERIFY(!restore->isModal());
    }

    void restoreFromAPartialSetNamesWhatIsMissing()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        program.write(QStringLiteral("Logs/log1.dat"), QByteArray(83, 'c'));
        drive.write("log0.bak", QByteArray(83, 's'));
        drive.write("log1.bak", QByteArray(166, 's'));
        frmRestore *restore = program.windows->restore();
        restore->setSourceRoot(drive.root());
        restore->chkLocation->setChecked(true);

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        const QStringList lines = listTexts(restore->lstRestoreProgress);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], QStringLiteral("Restored Location 1 log."));
        QCOMPARE(lines[1], QStringLiteral("Restored Location 2 log."));
        QCOMPARE(lines[2], QStringLiteral("Unable to restore Location 3 log."));
        QCOMPARE(lines[15], QStringLiteral("Unable to restore Location 16 log."));
        QCOMPARE(lines[16], QStringLiteral("Master Database not found."));
        QCOMPARE(program.read(QStringLiteral("Logs/log1.dat")), QByteArray(166, 's'));
        QCOMPARE(program.read(QStringLiteral("AutoBackups/log1.bak")), QByteArray(83, 'c'));
        QCOMPARE(program.read(QStringLiteral("Logs/log2.dat")), QByteArray());
        QVERIFY(restore->cmdExit->isEnabled());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void restoredDatabaseIsCountedAgain()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        QCOMPARE(program.state.RecordCount, qint64(2));
        drive.write("cle.bak", QByteArray());
        drive.write("ndb.bak", beaconBytes(beacon("A", "300")) + beaconBytes(beacon("B", "301")) +
                                   beaconBytes(beacon("C", "302")));
        frmRestore *restore = program.windows->restore();
        restore->setSourceRoot(drive.root());
        restore->chkCLE->setChecked(true);

        restore->Command1_Click();

        QCOMPARE(listTexts(restore->lstRestoreProgress),
                 (QStringList{"Restored CLE/Session file.", "Master Database restored."}));
        QCOMPARE(program.state.RecordCount, qint64(3));
        QVERIFY(program.state.StatisticsText1.contains(" 3"));
    }

    void restoringADamagedDatabaseEnablesTheLookUpAgain()
    {
        TestProgram program;
        Drive drive;
        const QByteArray good = beaconBytes(beacon("ABC", "338")) + beaconBytes(beacon("XYZ", "400"));
        program.write(QStringLiteral("ndb.dat"), good + QByteArray(100, ' '));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QVERIFY(program.boxes.texts().contains(QStringLiteral("Records mismatched. Database corrupted.")));
        QVERIFY(!main->cmdLookUp->isEnabled());
        program.boxes.shown.clear();
        drive.write("ndb.bak", good);
        drive.write("cle.bak", QByteArray());
        frmRestore *restore = program.windows->restore();
        restore->setSourceRoot(drive.root());
        restore->chkCLE->setChecked(true);

        restore->Command1_Click();

        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->mnuDBBackup->isEnabled());
        QCOMPARE(program.state.RecordCount, qint64(2));
    }

    void preferencesRestoreEndsTheProgramOnExit()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        const QByteArray database = program.read(QStringLiteral("ndb.dat"));
        frmBackup *backup = program.windows->backup();
        backup->setTargetRoot(drive.root());
        backup->chkPreferences->setChecked(true);
        backup->cmdOK_Click();
        backup->cmdExit_Click();
        drive.write("ndb.bak", QByteArray(213, 'z'));
        program.state.RecordCount = 99;
        frmRestore *restore = program.windows->restore();
        restore->setSourceRoot(drive.root());
        restore->chkPreferences->setChecked(true);

        restore->Command1_Click();

        QCOMPARE(listTexts(restore->lstRestoreProgress), QStringList{"Registry Restored"});
        QVERIFY(program.state.RegistryRestored);
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), database);
        QCOMPARE(program.read(QStringLiteral("ndb.bak")), database);
        QCOMPARE(program.state.RecordCount, qint64(2));
        QVERIFY(program.boxes.shown.isEmpty());

        QTest::mouseClick(restore->cmdExit, Qt::LeftButton);

        QCOMPARE(program.boxes.texts(),
                 QStringList{QStringLiteral(
                     "Registry has been restored. QERN will now close for settings to take effect.")});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Registry Restore"));
        QVERIFY(program.windows->hasEnded());
    }

    void closingTheRestoreWindowByTheTitleBarShowsNoNotice()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        frmBackup *backup = program.windows->backup();
        backup->setTargetRoot(drive.root());
        backup->chkPreferences->setChecked(true);
        backup->cmdOK_Click();
        backup->cmdExit_Click();
        frmRestore *restore = program.windows->restore();
        restore->showForm();
        restore->setSourceRoot(drive.root());
        restore->chkPreferences->setChecked(true);
        restore->Command1_Click();
        QVERIFY(program.state.RegistryRestored);

        restore->close();

        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!program.windows->hasEnded());
        QVERIFY(!program.windows->isRestoreLoaded());
    }

    void exitWithoutASettingsRestoreOnlyClosesTheWindow()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        program.state.RegistryRestored = true; // left from an earlier window
        frmRestore *restore = program.windows->restore();
        QVERIFY(!program.state.RegistryRestored);
        restore->setSourceRoot(drive.root());
        restore->chkPreferences->setChecked(true);
        restore->Command1_Click();
        QCOMPARE(listTexts(restore->lstRestoreProgress), QStringList{"Registry Restore Error"});

        restore->cmdExit_Click();

        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!program.windows->hasEnded());
        QVERIFY(!program.windows->isRestoreLoaded());
    }

    void failingRestoreCopyAbortsAndKeepsTheProgramFile()
    {
        TestProgram program;
        Drive drive;
        QVERIFY(startWithBeacons(program));
        const QByteArray database = program.read(QStringLiteral("ndb.dat"));
        drive.write("ndb.bak", QByteArray(213, 'z'));
        program.write(QStringLiteral("ndb.dat.tmp/blocker"), "x"); // the copy's temporary name is a folder
        program.state.RecordCount = 99;
        frmRestore *restore = program.windows->restore();
        restore->setSourceRoot(drive.root());
        restore->chkCLE->setChecked(true);

        restore->Command1_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.boxes.shown[0].text.endsWith(QStringLiteral(". Restore aborted.")));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), database);
        QCOMPARE(listTexts(restore->lstRestoreProgress), QStringList{"Unable to restore CLE/Session file."});
        QVERIFY(restore->cmdExit->isEnabled());
        QCOMPARE(program.state.RecordCount, qint64(99));
    }

    // -----------------------------------------------------------------------------
    // Database sort

    void sortOrdersTheDatabaseAndClosesItsWindow()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));

        QVERIFY(SortBeaconDatabase(*program.windows));

        const QByteArray after = program.read(QStringLiteral("ndb.dat"));
        QCOMPARE(after, before.mid(213) + before.left(213));
        QCOMPARE(program.read(QStringLiteral("ndb.bak")), before);
        QCOMPARE(program.state.RecordCount, qint64(2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!program.windows->isSortProgressLoaded());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void sortAfterAnEditKeepsTheEditorsBackup()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        program.write(QStringLiteral("ndb.bak"), "before the edit");

        QVERIFY(SortBeaconDatabase(*program.windows, SortBackup::AlreadyTaken));

        QCOMPARE(program.read(QStringLiteral("ndb.bak")), QByteArray("before the edit"));
    }

    void sortShowsItsProgressWindow()
    {
        TestProgram program;
        QList<Beacon> beacons;
        for (int i = 0; i < 40; ++i)
            beacons.append(beacon("B" + QByteArray::number(i), QByteArray::number(500 - i)));
        program.writeBeacons(beacons);
        QVERIFY(program.startToMain());
        program.boxes.shown.clear();
        int maximumSeen = 0;
        QString caption;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (program.windows->isSortProgressLoaded()) {
                frmSortProgress *w = program.windows->sortProgress();
                maximumSeen = w->prgProgress->maximum();
                caption = w->lblSorting->text();
            }
        });
        poll.start(0);

        QVERIFY(SortBeaconDatabase(*program.windows));

        QCOMPARE(maximumSeen, 40);
        QCOMPARE(caption, QStringLiteral("Sorting Database"));
    }

    void failingAutomaticBackupStopsTheSort()
    {
        TestProgram program;
        QVERIFY(startWithBeacons(program));
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        program.write(QStringLiteral("ndb.bak.tmp/blocker"), "x");

        QVERIFY(!SortBeaconDatabase(*program.windows));

        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")));
        QVERIFY(!program.windows->isSortProgressLoaded());
    }
};

QTEST_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
