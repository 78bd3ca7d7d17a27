// The maintenance windows: the path chooser and its new-folder dialog, the backup
// and restore windows, and the database sort with its progress window.

#include <QAction>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
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

// Two beacons out of frequency order, the boxes of the start-up cleared.
frmMain *start(TestProgram &program)
{
    frmMain *main = program.startWith({beacon("XYZ", "400"), beacon("ABC")});
    program.boxes.shown.clear();
    return main;
}

QStringList trimmedTexts(const QListWidget *list)
{
    QStringList texts = listTexts(list);
    for (QString &text : texts)
        text = text.trimmed();
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

struct NewFolderDialog {
    QString title;
    bool stayedOpen = false;
};

// "New Folder" with name typed and OK (or Cancel) clicked; a dialog that stays open is cancelled.
NewFolderDialog newFolder(frmFileOperation *chooser, const QString &name, bool ok = true)
{
    NewFolderDialog seen;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<frmNewDirectory *>(modal);
        QVERIFY(dialog);
        seen.title = dialog->windowTitle();
        dialog->txtNewDir->setText(name);
        QTest::mouseClick(ok ? dialog->Command2 : dialog->Command1, Qt::LeftButton);
        seen.stayedOpen = dialog->isVisible();
        if (seen.stayedOpen)
            dialog->Command1_Click();
    });
    QTest::mouseClick(chooser->cmdNewDir, Qt::LeftButton);
    return seen;
}

// A settings backup on drive, for the restore to find.
void backUpSettings(TestProgram &program, const TempFolder &drive)
{
    frmBackup *backup = program.windows->backup();
    backup->setTargetRoot(drive.root());
    backup->chkPreferences->setChecked(true);
    backup->cmdOK_Click();
    backup->cmdExit_Click();
}

// A click on a check box itself, not on its caption.
void clickCheckBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// What takes the place of the settings file between two runs of the program.
enum class SettingsLoss { Damaged, LinkToNothing, Folder };

void loseSettings(TestProgram &program, SettingsLoss loss)
{
    program.windows.reset();
    program.store.reset();
    const QString settings = program.settingsPath();
    QVERIFY(QFile::remove(settings));
    switch (loss) {
    case SettingsLoss::Damaged: {
        QFile f(settings);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[SOFTWARE\\QERN6.1\\UserInfo]\nnot a setting\n");
        break;
    }
    case SettingsLoss::LinkToNothing:
        QVERIFY(QDir().mkpath(QFileInfo(settings).dir().filePath(QStringLiteral("elsewhere"))));
        QVERIFY(QFile::link(QStringLiteral("elsewhere/registry.ini"), settings));
        break;
    case SettingsLoss::Folder:
        QVERIFY(QDir().mkdir(settings));
        break;
    }
}

// Settings holding "Cottage" backed up on drive, then lost before the next start.
void backUpThenLoseSettings(TestProgram &program, const TempFolder &drive, SettingsLoss loss)
{
    program.presetSetting(RegistryKeys::ListeningLocations, kRegistryString, "Location(2)", "Cottage");
    QVERIFY(start(program));
    backUpSettings(program, drive);
    QVERIFY(drive.read("Reg.bak").contains("Cottage"));
    loseSettings(program, loss);
}

} // namespace

Q_DECLARE_METATYPE(SettingsLoss)

class MaintenanceTest : public QObject {
    Q_OBJECT

private slots:
    // -----------------------------------------------------------------------------
    // Path chooser

    void radarReportOpensTheChooserOnItsFolderAndFile()
    {
        TestProgram program;
        TempFolder drive;
        drive.mkdir("data");
        QVERIFY(start(program));
        frmDistanceCircle *radar = program.windows->distanceCircle();
        program.state.BeaconRadarFolder = drive.path("data").toUtf8();
        program.state.BeaconRadarFile = "radar.txt";
        QVERIFY(radar->cmdBeaconReport->isEnabled());

        QTest::mouseClick(radar->cmdBeaconReport, Qt::LeftButton);

        QVERIFY(program.windows->isFileOperationLoaded());
        frmFileOperation *chooser = program.windows->fileOperation();
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->windowTitle(), "Path Setting");
        QCOMPARE(program.state.FileOperationMode, 4);
        QCOMPARE(chooser->directoryPath(), drive.path("data"));
        QCOMPARE(chooser->txtFileName->text(), "radar.txt");
        QVERIFY(chooser->lstFile->isEnabled());
        QVERIFY(chooser->txtFileName->isEnabled());

        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(radar->txtBeaconRadar->text(), drive.path("data/radar.txt"));
        QCOMPARE(program.state.BeaconRadarFolder, drive.path("data").toUtf8());
        QVERIFY(!program.windows->isFileOperationLoaded());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    // A radar folder that cannot be shown starts in the program folder; Set Path at a
    // root writes one separator.
    void radarFolderThatCannotBeShownStartsInTheProgramFolder()
    {
        TestProgram program;
        QVERIFY(start(program));
        program.state.BeaconRadarFolder = "/no/such/folder";
        program.windows->distanceCircle()->cmdBeaconReport_Click();
        frmFileOperation *chooser = program.windows->fileOperation();
        QCOMPARE(chooser->directoryPath(), program.root());
        QVERIFY(program.boxes.shown.isEmpty());

        QVERIFY(!chooser->setDirectoryPath("/").failed());
        chooser->txtFileName->setText("radar.txt");
        chooser->Command1_Click();
        QCOMPARE(program.windows->distanceCircle()->txtBeaconRadar->text(), "/radar.txt");
        QCOMPARE(program.state.BeaconRadarFolder, "/");
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
        TempFolder drive;
        QVERIFY(start(program));
        QLineEdit box("before");
        frmFileOperation *chooser = openChooser(program, &box, mode, drive.root());
        const QString folder = chooser->directoryPath();

        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: Must specify file name.");
        QVERIFY(program.windows->isFileOperationLoaded());
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->directoryPath(), folder);
        QCOMPARE(box.text(), "before");
    }

    void weblogModeWritesOnlyTheFolder()
    {
        TestProgram program;
        TempFolder drive;
        for (const char *file : {"weblog/Stations.js", "weblog/log.js", "weblog/notes.txt"})
            drive.write(file, "x");
        QVERIFY(start(program));
        QLineEdit box("old");
        frmFileOperation *chooser = openChooser(program, &box, 3, drive.path("weblog"));

        QCOMPARE(chooser->filePattern(), "*.js");
        QCOMPARE(trimmedTexts(chooser->lstFile), QStringList({"log.js", "Stations.js"}));
        QVERIFY(!chooser->lstFile->isEnabled());
        QVERIFY(!chooser->txtFileName->isEnabled());

        chooser->Command1_Click();

        QCOMPARE(box.text(), drive.path("weblog/"));
        QCOMPARE(program.state.WeblogFolder, drive.path("weblog/").toUtf8());
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!program.windows->isFileOperationLoaded());
    }

    // One name per mode: the forms of names are the core's table.
    void reportModesForceTheExtension_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("5 plain") << 5 << "list" << "list.txt" << "*.txt";
        QTest::newRow("6 plain") << 6 << "list" << "list.csv" << "*.csv";
        QTest::newRow("7 plain") << 7 << "cle" << "cle.txt" << "*.txt";
        QTest::newRow("8 dotted") << 8 << "week.1.txt" << "week.1.csv" << "*.csv";
    }
    void reportModesForceTheExtension()
    {
        QFETCH(int, mode);
        QFETCH(QString, typed);
        QFETCH(QString, forced);
        QFETCH(QString, pattern);
        TestProgram program;
        TempFolder drive;
        drive.write("out/old.txt", "x");
        drive.write("out/old.csv", "x");
        QVERIFY(start(program));
        QLineEdit box(drive.path("out/rep.txt"));
        frmFileOperation *chooser = openChooser(program, &box, mode);

        QCOMPARE(chooser->directoryPath(), drive.path("out"));
        QCOMPARE(chooser->filePattern(), pattern);
        QCOMPARE(chooser->lstFile->count(), 1);
        QTest::keyClicks(chooser->txtFileName, typed);
        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(box.text(), drive.path("out/") + forced);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void reportStartFolderFollowsTheOpenersBox()
    {
        TestProgram program;
        TempFolder drive;
        drive.mkdir("elsewhere");
        QVERIFY(start(program));

        QLineEdit empty;
        QCOMPARE(openChooser(program, &empty, 5, drive.root())->directoryPath(), homeFolder());
        program.windows->fileOperation()->Command2_Click();
        deleteUnloadedWindows();

        QLineEdit bare("rep.txt");
        QCOMPARE(openChooser(program, &bare, 6, drive.path("elsewhere"))->directoryPath(), drive.path("elsewhere"));
        program.windows->fileOperation()->Command2_Click();
        deleteUnloadedWindows();

        QLineEdit gone(drive.path("vanished/rep.txt"));
        QCOMPARE(openChooser(program, &gone, 7, drive.path("elsewhere"))->directoryPath(), drive.path("elsewhere"));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void comingBackFromAnotherWindowRunsTheActivationAgain()
    {
        TestProgram program;
        TempFolder drive;
        drive.mkdir("out");
        QVERIFY(start(program));
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

    // Whichever way a file is chosen, its name replaces what the box held.
    void choosingAFileCopiesItsName()
    {
        TestProgram program;
        TempFolder drive;
        drive.write("radar-new.txt", "x");
        drive.write("radar-old.txt", "x");
        QVERIFY(start(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        QCOMPARE(chooser->lstFile->count(), 2);
        QTest::keyClicks(chooser->txtFileName, "typed.txt");

        // Going through the list without choosing leaves the name.
        chooser->lstFile->setFocus(Qt::TabFocusReason);
        QCOMPARE(chooser->txtFileName->text(), "typed.txt");
        clickRow(chooser->lstFile, 0);
        QCOMPARE(chooser->txtFileName->text(), "radar-new.txt");
        QTest::keyClick(chooser->lstFile, Qt::Key_Down);
        QCOMPARE(chooser->txtFileName->text(), "radar-old.txt");
        chooser->txtFileName->clear();
        QTest::keyClicks(chooser->txtFileName, "typed.txt");
        clickRow(chooser->lstFile, 1);
        QCOMPARE(chooser->txtFileName->text(), "radar-old.txt");
        QTest::mouseClick(chooser->Command1, Qt::LeftButton);
        QCOMPARE(box.text(), drive.path("radar-old.txt"));
    }

    void doubleClickingAFolderEntersIt()
    {
        TestProgram program;
        TempFolder drive;
        drive.write("sub/inside.txt", "x");
        QVERIFY(start(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        const QList<QListWidgetItem *> found = chooser->lstDirectory->findItems("sub", Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);

        emit chooser->lstDirectory->itemActivated(found[0]);

        QCOMPARE(chooser->directoryPath(), drive.path("sub"));
        QCOMPARE(trimmedTexts(chooser->lstFile), QStringList{"inside.txt"});
    }

    // Exit and the title bar write nothing.
    void newFolderOnlyCreatesTheFolderAndSetPathRecordsIt_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("way");
        QTest::newRow("weblog, Exit") << 3 << "Exit";
        QTest::newRow("weblog, title bar") << 3 << "title bar";
        QTest::newRow("weblog, Set Path") << 3 << "Set Path";
        QTest::newRow("radar, Exit") << 4 << "Exit";
        QTest::newRow("radar, Set Path") << 4 << "Set Path";
    }
    void newFolderOnlyCreatesTheFolderAndSetPathRecordsIt()
    {
        QFETCH(int, mode);
        QFETCH(QString, way);
        const bool setPath = way == "Set Path";
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        QLineEdit box("kept");
        program.state.WeblogFolder = "kept/";
        program.state.BeaconRadarFolder = "kept";
        frmFileOperation *chooser = openChooser(program, &box, mode, drive.root());
        if (mode == 4)
            QTest::keyClicks(chooser->txtFileName, "radar.txt");

        const NewFolderDialog seen = newFolder(chooser, "made");

        QCOMPARE(seen.title, "New Directory");
        QVERIFY(!seen.stayedOpen);
        QVERIFY(QFileInfo(drive.path("made")).isDir());
        QCOMPARE(chooser->lstDirectory->findItems("made", Qt::MatchEndsWith).size(), 1);
        QCOMPARE(program.state.WeblogFolder, "kept/");
        QCOMPARE(program.state.BeaconRadarFolder, "kept");
        QVERIFY(program.boxes.shown.isEmpty());

        if (setPath)
            QTest::mouseClick(chooser->Command1, Qt::LeftButton);
        else
            closeWindow(chooser, chooser->Command2, way == "title bar");

        QVERIFY(!program.windows->isFileOperationLoaded());
        const bool weblog = mode == 3;
        QCOMPARE(box.text(), !setPath ? "kept" : weblog ? drive.path("") : drive.path("radar.txt"));
        QCOMPARE(program.state.WeblogFolder, setPath && weblog ? drive.path("").toUtf8() : "kept/");
        QCOMPARE(program.state.BeaconRadarFolder, setPath && !weblog ? drive.root().toUtf8() : "kept");
    }

    // A folder the settings cannot hold is refused before anything is taken from it.
    void setPathRefusesAFolderTheSettingsCannotHold_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("weblog") << 3;
        QTest::newRow("radar") << 4;
    }
    void setPathRefusesAFolderTheSettingsCannotHold()
    {
        QFETCH(int, mode);
        TestProgram program;
        TempFolder drive;
        drive.mkdir(QString::fromUtf8("\u5317\u4eac"));
        QVERIFY(start(program));
        QLineEdit box("kept");
        program.state.WeblogFolder = "kept/";
        program.state.BeaconRadarFolder = "kept";
        frmFileOperation *chooser = openChooser(program, &box, mode, drive.path(QString::fromUtf8("\u5317\u4eac")));
        if (mode == 4)
            QTest::keyClicks(chooser->txtFileName, "radar.txt");

        QTest::mouseClick(chooser->Command1, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: The folder name holds characters that cannot be stored.");
        QVERIFY(program.windows->isFileOperationLoaded());
        QCOMPARE(box.text(), "kept");
        QCOMPARE(program.state.WeblogFolder, "kept/");
        QCOMPARE(program.state.BeaconRadarFolder, "kept");
    }

    // Cancel creates nothing.
    void newFolderInAReportModeReturnsToTheStartFolder()
    {
        TestProgram program;
        TempFolder drive;
        drive.mkdir("out");
        QVERIFY(start(program));
        QLineEdit box(drive.path("out/rep.txt"));
        frmFileOperation *chooser = openChooser(program, &box, 5);
        QVERIFY(!newFolder(chooser, "never", false).stayedOpen);
        QVERIFY(!drive.exists("out/never"));
        QVERIFY(program.windows->isFileOperationLoaded());
        QCOMPARE(chooser->setDirectoryPath(drive.root()).number, 0);

        newFolder(chooser, "made");

        QVERIFY(QFileInfo(drive.path("made")).isDir());
        QCOMPARE(chooser->directoryPath(), drive.path("out"));
    }

    void folderThatCannotBeMadeKeepsTheDialogOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("exists") << "exists" << 75;
        QTest::newRow("blanks only") << "   " << 52;
    }
    void folderThatCannotBeMadeKeepsTheDialogOpen()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        TestProgram program;
        TempFolder drive;
        drive.mkdir("exists");
        QVERIFY(start(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());

        const QByteArray radarFolder = program.state.BeaconRadarFolder;

        QVERIFY(newFolder(chooser, name).stayedOpen);

        QVERIFY(program.boxes.onlyError());
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # %1: ").arg(number)));
        QCOMPARE(program.state.BeaconRadarFolder, radarFolder);
        QCOMPARE(QDir(drive.root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"exists"});
    }

    void driveThatCannotBeOpenedReportsAndGoesBack()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        QLineEdit box;
        frmFileOperation *chooser = openChooser(program, &box, 4, drive.root());
        const QString missing = drive.path("unmounted");
        chooser->setVolumeRoots({"/", missing});
        const int index = chooser->lstDrive->findData(missing + QLatin1Char('/'));
        QVERIFY(index >= 0);

        chooser->lstDrive->setCurrentIndex(index);
        chooser->lstDrive_Change(index);

        QVERIFY(program.boxes.onlyError());
        QVERIFY(program.boxes.shown[0].text.startsWith("Error # 76: "));
        QCOMPARE(chooser->directoryPath(), drive.root());
        QCOMPARE(chooser->lstDrive->currentData().toString(), "/");
    }

    // -----------------------------------------------------------------------------
    // Backup

    void backupMenuShowsTheWindowModal()
    {
        TestProgram program;
        TempFolder drive;
        frmMain *main = start(program);
        QVERIFY(main);
        QVERIFY(main->mnuDBBackup->isEnabled());
        QStringList listed;

        whenModal([&](QWidget *modal) {
            auto *backup = qobject_cast<frmBackup *>(modal);
            QVERIFY(backup);
            QCOMPARE(backup->windowTitle(), "Backup");
            backup->setTargetRoot(drive.root());
            backup->chkPreferences->setChecked(true);
            QTest::mouseClick(backup->cmdOK, Qt::LeftButton);
            listed = trimmedTexts(backup->lstBackupStatus);
            QTest::mouseClick(backup->cmdExit, Qt::LeftButton);
        });
        main->mnuDBBackup->trigger();

        QCOMPARE(listed, QStringList{"Registry Backed Up"});
        QCOMPARE(drive.files(), QStringList{"Reg.bak"});
        QCOMPARE(program.state.RegistryRestored, false);
        deleteUnloadedWindows();
        QVERIFY(!program.windows->isBackupLoaded());
    }

    // The target list offers the home folder, chosen, and the volumes; nothing is ticked.
    void backupListsEachLogbookByItsLocation()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        program.remove("Logs/log2.dat");
        frmBackup *backup = program.windows->backup();
        QCOMPARE(backup->targetRoot(), QDir::cleanPath(QDir::homePath()));
        QVERIFY(backup->drvBackup->findData("/") >= 0);
        for (QCheckBox *box : {backup->chkLocation, backup->chkCLE, backup->chkPreferences})
            QVERIFY(!box->isChecked());
        backup->setTargetRoot(drive.root());
        backup->chkLocation->setChecked(true);

        backup->cmdOK_Click();

        const QStringList lines = trimmedTexts(backup->lstBackupStatus);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], "Location 1 Log File - Backed Up");
        QCOMPARE(lines[2], "Location 3 Log File - NOT Backed Up");
        QCOMPARE(lines[16], "Master Database - Backed Up");
        QVERIFY(!drive.exists("log2.bak"));
        QCOMPARE(drive.read("ndb.bak"), program.read("ndb.dat"));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    // Settings that could not be read are no settings: backed up, they would replace the
    // Reg.bak that can bring them back with blanks.
    void aSettingsBackupIsRefusedWhileTheSettingsCannotBeRead_data()
    {
        QTest::addColumn<SettingsLoss>("loss");
        QTest::newRow("damaged") << SettingsLoss::Damaged;
        QTest::newRow("a folder in its place") << SettingsLoss::Folder;
    }
    void aSettingsBackupIsRefusedWhileTheSettingsCannotBeRead()
    {
        QFETCH(SettingsLoss, loss);
        TestProgram program;
        TempFolder drive;
        backUpThenLoseSettings(program, drive, loss);
        const QByteArray earlierBackup = drive.read("Reg.bak");
        frmMain *main = start(program);
        QVERIFY(main);
        QStringList listed;

        whenModal([&](QWidget *modal) {
            auto *backup = qobject_cast<frmBackup *>(modal);
            QVERIFY(backup);
            backup->setTargetRoot(drive.root());
            clickCheckBox(backup->chkPreferences);
            QVERIFY(backup->chkPreferences->isChecked());
            QTest::mouseClick(backup->cmdOK, Qt::LeftButton);
            listed = trimmedTexts(backup->lstBackupStatus);
            QTest::mouseClick(backup->cmdExit, Qt::LeftButton);
        });
        main->mnuDBBackup->trigger();

        const FileError &cause = program.store->loadError();
        QVERIFY(cause.description.contains(program.settingsPath()));
        QCOMPARE(listed, QStringList({"Registry Backup Error",
                                      "Error # 75: The settings could not be read and were not backed up: " +
                                          cause.description}));
        QCOMPARE(drive.read("Reg.bak"), earlierBackup);
        QCOMPARE(drive.files(), QStringList{"Reg.bak"});
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void failingBackupCopyAbortsAndKeepsTheTargetFile()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        drive.write("cle.bak", "older session");
        drive.mkdir("cle.bak.tmp");
        program.write("Logs/cle.dat", QByteArray(87, 'x'));
        frmBackup *backup = program.windows->backup();
        backup->setTargetRoot(drive.root());
        backup->chkCLE->setChecked(true);

        backup->cmdOK_Click();

        QVERIFY(program.boxes.onlyError(". Backup aborted."));
        QCOMPARE(drive.read("cle.bak"), "older session");
        QVERIFY(!drive.exists("ndb.bak"));
        QVERIFY(trimmedTexts(backup->lstBackupStatus).isEmpty());
    }

    // -----------------------------------------------------------------------------
    // Restore

    void restoreFromAPartialSetNamesWhatIsMissing()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        program.write("Logs/log1.dat", QByteArray(83, 'c'));
        drive.write("log0.bak", QByteArray(83, 's'));
        drive.write("log1.bak", QByteArray(166, 's'));
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkLocation);

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        const QStringList lines = trimmedTexts(restore->lstRestoreProgress);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], "Restored Location 1 log.");
        QCOMPARE(lines[1], "Restored Location 2 log.");
        QCOMPARE(lines[2], "Unable to restore Location 3 log.");
        QCOMPARE(lines[15], "Unable to restore Location 16 log.");
        QCOMPARE(lines[16], "Master Database not found.");
        QCOMPARE(program.read("Logs/log1.dat"), QByteArray(166, 's'));
        QCOMPARE(program.read("AutoBackups/log1.bak"), QByteArray(83, 'c'));
        QCOMPARE(program.read("Logs/log2.dat"), "");
        QVERIFY(restore->cmdExit->isEnabled());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aRestoredDatabaseIsCheckedAndCountedAgain()
    {
        TestProgram program;
        TempFolder drive;
        const QByteArray good = beaconBytes(beacon("ABC")) + beaconBytes(beacon("XYZ", "400"));
        program.write("ndb.dat", good + QByteArray(100, ' '));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QVERIFY(program.boxes.texts().contains("Records mismatched. Database corrupted."));
        QVERIFY(!main->cmdLookUp->isEnabled());
        program.boxes.shown.clear();
        drive.write("ndb.bak", good + beaconBytes(beacon("DEF", "290")));
        drive.write("cle.bak", "");
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkCLE);

        restore->Command1_Click();

        QCOMPARE(trimmedTexts(restore->lstRestoreProgress),
                 QStringList({"Restored CLE/Session file.", "Master Database restored."}));
        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.state.RecordCount, 3);
        QVERIFY(program.state.StatisticsText1.contains(" 3"));
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->mnuDBBackup->isEnabled());
    }

    // The menu shows the restore window modeless, over a main window that stays enabled.
    void aRestoredDatabaseLeavesNoBeaconArmedAtItsOldNumber()
    {
        TestProgram program;
        TempFolder drive;
        frmMain *main = program.startShowing({beacon("CFX", "239"), beacon("TI", "300")}, "CFX");
        QVERIFY(main);
        QVERIFY(main->cmdQuickLog->isEnabled());
        // The backup set holds the records in another order: TI is record 1 there.
        drive.write("ndb.bak", beaconBytes(beacon("TI", "300")) + beaconBytes(beacon("CFX", "239")));
        drive.write("cle.bak", "");
        QVERIFY(main->mnuDBRestore->isEnabled());
        main->mnuDBRestore->trigger();
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkCLE);
        QVERIFY(restore->isVisible());
        QCOMPARE(restore->windowTitle(), "Database Restore");
        QVERIFY(main->isEnabled());
        QVERIFY(!restore->isModal());

        QTest::mouseClick(restore->Command1, Qt::LeftButton);
        QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);
        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(main->lblkHz->text(), "");
        QVERIFY(!main->cmdQuickLog->isEnabled());
        QVERIFY(!main->cmdAddToLog->isEnabled());
        QVERIFY(!program.windows->isReceptionCommentsLoaded());
        QCOMPARE(program.read("ndb.dat"), drive.read("ndb.bak"));
        QCOMPARE(program.read("Logs/log0.dat"), "");
        QCOMPARE(program.read("Logs/cle.dat"), "");
    }

    void aRestoreKeepsTheLastCopyOfADatabaseThatHasGone()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        // ndb.dat has vanished; the copy of the last automatic backup is all that is left.
        const QByteArray copy = program.read("ndb.dat");
        program.remove("ndb.dat");
        program.write("ndb.bak", copy);
        drive.write("log0.bak", QByteArray(83, 's'));
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkLocation);

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        QVERIFY(trimmedTexts(restore->lstRestoreProgress).contains("Master Database not found."));
        QCOMPARE(program.read("ndb.bak"), copy);
        QVERIFY(!program.exists("ndb.dat"));
        QCOMPARE(program.read("Logs/log0.dat"), QByteArray(83, 's'));
    }

    void leavingTheRestoreWindowEndsTheProgramOnlyAfterASettingsRestore_data()
    {
        QTest::addColumn<bool>("backedUp");
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("restored, Exit") << true << false;
        QTest::newRow("restored, title bar") << true << true;
        QTest::newRow("nothing to restore, Exit") << false << false;
        QTest::newRow("nothing to restore, title bar") << false << true;
    }
    void leavingTheRestoreWindowEndsTheProgramOnlyAfterASettingsRestore()
    {
        QFETCH(bool, backedUp);
        QFETCH(bool, byTitleBar);
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        const QByteArray database = program.read("ndb.dat");
        if (backedUp)
            backUpSettings(program, drive);
        drive.write("ndb.bak", QByteArray(213, 'z'));
        program.state.RecordCount = 99;
        program.state.RegistryRestored = true; // left from an earlier window
        frmRestore *restore = program.windows->restore();
        QVERIFY(!program.state.RegistryRestored);
        restore->showForm();
        restore->setSourceRoot(drive.root());
        restore->chkPreferences->setChecked(true);

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        const QStringList listed = backedUp ? QStringList{"Registry Restored"}
                                            : QStringList{"Registry Restore Error",
                                                          "Error # 53: File not found (" + drive.path("reg.bak") + ")"};
        QCOMPARE(trimmedTexts(restore->lstRestoreProgress), listed);
        QCOMPARE(program.state.RegistryRestored, backedUp);
        // Only the settings were asked for: the database stays, and is counted again.
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(program.read("ndb.bak"), database);
        QCOMPARE(program.state.RecordCount, 2);
        QVERIFY(program.boxes.shown.isEmpty());

        // The settings loaded at the start would overwrite the restored ones at the next
        // save: the program must end, however the window is left.
        closeWindow(restore, restore->cmdExit, byTitleBar);

        QCOMPARE(program.boxes.summary(), backedUp ? "Registry Restore: Registry has been restored. QERN will now "
                                                     "close for settings to take effect."
                                                   : "");
        QCOMPARE(program.windows->hasEnded(), backedUp);
        QVERIFY(!restore->isVisible());
        if (!backedUp)
            QVERIFY(!program.windows->isRestoreLoaded());
    }

    // Restoring the settings is the way out of a damaged settings file: the restore
    // replaces it, keeps it beside, and says so. A link to nothing gets its file.
    void restoringSettingsReplacesADamagedSettingsFile_data()
    {
        QTest::addColumn<SettingsLoss>("loss");
        QTest::newRow("damaged") << SettingsLoss::Damaged;
        QTest::newRow("link to nothing") << SettingsLoss::LinkToNothing;
    }
    void restoringSettingsReplacesADamagedSettingsFile()
    {
        QFETCH(SettingsLoss, loss);
        TestProgram program;
        TempFolder drive;
        backUpThenLoseSettings(program, drive, loss);
        const QByteArray damaged = program.settingsFile();
        QVERIFY(start(program));
        frmRestore *restore = program.windows->restore();
        restore->showForm();
        restore->setSourceRoot(drive.root());
        clickCheckBox(restore->chkPreferences);
        QVERIFY(restore->chkPreferences->isChecked());

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        const QString keptAs = program.settingsPath() + ".damaged";
        if (loss == SettingsLoss::Damaged) {
            QCOMPARE(trimmedTexts(restore->lstRestoreProgress),
                     QStringList({"Registry Restored", "The damaged settings file was kept as " + keptAs}));
            QFile kept(keptAs);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
        } else {
            QCOMPARE(trimmedTexts(restore->lstRestoreProgress), QStringList{"Registry Restored"});
            QVERIFY(!QFile::exists(keptAs));
            QVERIFY(QFileInfo(program.settingsPath()).isSymLink());
        }
        QCOMPARE(program.stored(RegistryKeys::ListeningLocations, "Location(2)"), "Cottage");
        QVERIFY(program.boxes.shown.isEmpty());

        QTest::mouseClick(restore->cmdExit, Qt::LeftButton);
        QVERIFY(program.windows->hasEnded());
    }

    void failingRestoreCopyAbortsAndKeepsTheProgramFile()
    {
        TestProgram program;
        TempFolder drive;
        QVERIFY(start(program));
        const QByteArray database = program.read("ndb.dat");
        drive.write("ndb.bak", QByteArray(213, 'z'));
        program.write("ndb.dat.tmp/blocker", "x"); // the copy's temporary name is a folder
        program.state.RecordCount = 99;
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkCLE);

        restore->Command1_Click();

        QVERIFY(program.boxes.onlyError(". Restore aborted."));
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(trimmedTexts(restore->lstRestoreProgress), QStringList{"Unable to restore CLE/Session file."});
        QVERIFY(restore->cmdExit->isEnabled());
        QCOMPARE(program.state.RecordCount, 99);
    }

    // -----------------------------------------------------------------------------
    // Database sort

    void sortOrdersTheDatabaseAndClosesItsWindow()
    {
        TestProgram program;
        QVERIFY(start(program));
        const QByteArray before = program.read("ndb.dat");

        QVERIFY(SortBeaconDatabase(*program.windows));

        QCOMPARE(program.read("ndb.dat"), before.mid(213) + before.left(213));
        QCOMPARE(program.read("ndb.bak"), before);
        QCOMPARE(program.state.RecordCount, 2);
        deleteUnloadedWindows();
        QVERIFY(!program.windows->isSortProgressLoaded());
        QVERIFY(program.boxes.shown.isEmpty());

        // After an edit the editor's backup is kept.
        program.write("ndb.bak", "before the edit");
        QVERIFY(SortBeaconDatabase(*program.windows, AutomaticBackup::AlreadyTaken));
        QCOMPARE(program.read("ndb.bak"), "before the edit");
    }

    void sortShowsItsProgressWindowAndACloseWaitsForIt_data()
    {
        bothWays("closeMain", "left alone", "main window closed meanwhile");
    }
    void sortShowsItsProgressWindowAndACloseWaitsForIt()
    {
        QFETCH(bool, closeMain);
        TestProgram program;
        QList<Beacon> beacons;
        for (int i = 0; i < 40; ++i)
            beacons.append(beacon("B" + QByteArray::number(i), QByteArray::number(500 - i)));
        frmMain *main = program.startWith(beacons);
        QVERIFY(main);
        program.boxes.shown.clear();
        int maximumSeen = 0;
        QString caption;
        bool closed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (program.windows->isSortProgressLoaded()) {
                frmSortProgress *w = program.windows->sortProgress();
                maximumSeen = w->prgProgress->maximum();
                caption = w->lblSorting->text();
                if (closeMain && !closed) {
                    closed = true;
                    main->close(); // as the title bar's close box
                }
            }
        });
        poll.start(0);

        QVERIFY(SortBeaconDatabase(*program.windows));
        poll.stop();

        QCOMPARE(maximumSeen, 40);
        QCOMPARE(caption, "Sorting Database");
        QCOMPARE(closed, closeMain);
        // The sort runs to its end with every window there; the close comes after it.
        QVERIFY(!program.windows->hasEnded());
        QCOMPARE(program.storedBeacon(1).trimmedText(BeaconField::Ident), "B39");
        QCOMPARE(program.storedBeacon(40).trimmedText(BeaconField::Ident), "B0");
        QCoreApplication::processEvents();
        QCOMPARE(program.windows->hasEnded(), closeMain);
    }

    void failingAutomaticBackupStopsTheSort()
    {
        TestProgram program;
        QVERIFY(start(program));
        const QByteArray before = program.read("ndb.dat");
        program.write("ndb.bak.tmp/blocker", "x");

        QVERIFY(!SortBeaconDatabase(*program.windows));

        QCOMPARE(program.read("ndb.dat"), before);
        QVERIFY(program.boxes.onlyError());
        QVERIFY(!program.windows->isSortProgressLoaded());
    }
};

QTEST_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
