#include "frmRestore.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "BackupSet.h"
#include "FormSupport.h"
#include "MessageBox.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "frmBackup.h"
#include "editor/frmName.h"
#include "logbook/frmLog.h"
#include "logbook/frmReceptionComments.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"

namespace qern {

frmRestore::frmRestore(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Database Restore"));

    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };

    // A folder of the user's may be deeper than the window is wide.
    drvDrive = new FolderList("drvDrive");
    drvDrive->setParent(this);
    cmdChooseFolder = new QPushButton(tr("Folder..."), this);
    name(cmdChooseFolder, "cmdChooseFolder");
    cmdChooseFolder->setToolTip(tr("Restore from a folder of your choice"));
    chkLocation = new QCheckBox(QStringLiteral("All Listening Logs"), this);
    name(chkLocation, "chkLocation");
    chkCLE = new QCheckBox(QStringLiteral("CLE/Session"), this);
    name(chkCLE, "chkCLE");
    chkPreferences = new QCheckBox(QStringLiteral("Preferences"), this);
    name(chkPreferences, "chkPreferences");
    lstRestoreProgress = new QListWidget(this);
    name(lstRestoreProgress, "lstRestoreProgress");
    wrapRowsToWidth(lstRestoreProgress);
    Command1 = new QPushButton(QStringLiteral("Restore"), this);
    name(Command1, "Command1");
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    name(cmdExit, "cmdExit");

    auto *driveRow = new QHBoxLayout;
    driveRow->addWidget(drvDrive, 1);
    driveRow->addWidget(cmdChooseFolder);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("Restore from drive:"), this));
    column->addLayout(driveRow);
    column->addWidget(chkLocation);
    column->addWidget(chkCLE);
    column->addWidget(chkPreferences);
    column->addWidget(lstRestoreProgress, 1);
    column->addLayout(buttons);
    resize(twipsToPixels(6000), twipsToPixels(6000));

    connect(Command1, &QPushButton::clicked, this, &frmRestore::Command1_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmRestore::cmdExit_Click);
    connect(cmdChooseFolder, &QPushButton::clicked, this, &frmRestore::cmdChooseFolder_Click);
}

void frmRestore::Form_Load()
{
    fillBackupRoots(drvDrive);
    m_windows.state().RegistryRestored = false;
}

void frmRestore::showForm()
{
    bringToFront(this);
}

QString frmRestore::sourceRoot() const
{
    return chosenBackupRoot(drvDrive);
}

void frmRestore::setSourceRoot(const QString &folder)
{
    selectBackupRoot(drvDrive, folder);
}

void frmRestore::cmdChooseFolder_Click()
{
    chooseBackupFolder(this, tr("Restore from folder"), drvDrive);
}

void frmRestore::Command1_Click()
{
    cmdExit->setEnabled(false);
    lstRestoreProgress->clear();
    SharedState &state = m_windows.state();
    const BackupSetRun run =
        RestoreFromFolder(state.folder, sourceRoot(), checkedComponents(chkLocation, chkCLE, chkPreferences),
                          m_windows.location()->locationNames(), m_windows.store());
    if (run.RegistryRestored)
        state.RegistryRestored = *run.RegistryRestored;
    listRunStatus(lstRestoreProgress, run, QStringLiteral("Registry Restore Error"));
    // The restored records stand in another order: no beacon stays armed at a number
    // that now holds another one.
    if (run.databaseRestored)
        m_windows.main()->ClearBeaconDisplay();
    // Nor do the windows that can be open beside this one keep record or entry numbers
    // of replaced files.
    if (run.databaseRestored && m_windows.isEditorLoaded())
        m_windows.editor()->filesReplaced();
    if (run.databaseRestored && m_windows.isReceptionCommentsLoaded())
        m_windows.receptionComments()->filesReplaced();
    if (run.autoBackupTaken && m_windows.isLogLoaded())
        m_windows.log()->filesReplaced();
    if (run.failed()) {
        MessageBox::show(restoreAbortedText(run.error), QStringLiteral("Error"));
        cmdExit->setEnabled(true);
        return;
    }
    // A restored database is checked too: the check is what enables the look-up
    // again after a damaged database was replaced.
    m_windows.main()->GatherDatabaseStatistics(run.databaseRestored);
    cmdExit->setEnabled(true);
}

void frmRestore::cmdExit_Click()
{
    if (m_windows.state().RegistryRestored) {
        MessageBox::show(QStringLiteral("Registry has been restored. QERN will now close for settings to take effect."),
                         QStringLiteral("Registry Restore"));
        m_windows.endProgram(0);
        return;
    }
    unloadRestore();
}

void frmRestore::unloadRestore()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_windows.unloadRestore();
}

void frmRestore::closeEvent(QCloseEvent *event)
{
    // The title bar is "Exit": after a settings restore the program must end, or a
    // later save of the settings loaded at the start would undo the restore.
    event->ignore();
    if (cmdExit->isEnabled())
        cmdExit_Click();
}

} // namespace qern
