#include "frmBackup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "BackupSet.h"
#include "FormSupport.h"
#include "MessageBox.h"
#include "PathChoice.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "preferences/frmLocation.h"

namespace qern {

namespace {

QString cleanedFolder(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

void fillBackupRoots(QComboBox *list)
{
    list->clear();
    list->addItem(QDir::homePath(), cleanedFolder(QDir::homePath()));
    for (const QString &root : mountedVolumeRoots()) {
        const QStorageInfo volume(root);
        const QString label = volume.displayName() != root ? QStringLiteral("%1  [%2]").arg(root, volume.displayName())
                                                           : root;
        if (list->findData(cleanedFolder(root)) < 0)
            list->addItem(label, cleanedFolder(root));
    }
    list->setCurrentIndex(0);
}

void selectBackupRoot(QComboBox *list, const QString &folder)
{
    const QString cleaned = cleanedFolder(folder);
    int index = list->findData(cleaned);
    if (index < 0) {
        list->addItem(cleaned, cleaned);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

QString chosenBackupRoot(const QComboBox *list)
{
    return list->currentData().toString();
}

void chooseBackupFolder(QWidget *parent, const QString &caption, QComboBox *list)
{
    const QString folder =
        QFileDialog::getExistingDirectory(parent, caption, chosenBackupRoot(list), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        selectBackupRoot(list, folder);
}

BackupComponents checkedComponents(const QCheckBox *logbooks, const QCheckBox *session,
                                   const QCheckBox *preferences)
{
    return {checkValue(logbooks) == 1, checkValue(session) == 1, checkValue(preferences) == 1};
}

void listRunStatus(QListWidget *list, const BackupSetRun &run, const QString &registryErrorLine)
{
    for (const QString &line : run.statusLines) {
        auto *item = new QListWidgetItem(line, list);
        if (run.registryError.failed() && line == registryErrorLine)
            item->setToolTip(run.registryError.messageText());
    }
}

frmBackup::frmBackup(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmBackup"));
    setWindowTitle(QStringLiteral("Backup"));
    setModal(true);

    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };

    // A folder of the user's may be deeper than the window is wide.
    drvBackup = new FolderList("drvBackup");
    drvBackup->setParent(this);
    cmdChooseFolder = new QPushButton(tr("Folder..."), this);
    name(cmdChooseFolder, "cmdChooseFolder");
    cmdChooseFolder->setToolTip(tr("Back up to a folder of your choice"));
    chkLocation = new QCheckBox(QStringLiteral("Listening Logs"), this);
    name(chkLocation, "chkLocation");
    chkCLE = new QCheckBox(QStringLiteral("CLE/Session"), this);
    name(chkCLE, "chkCLE");
    chkPreferences = new QCheckBox(QStringLiteral("Preferences"), this);
    name(chkPreferences, "chkPreferences");
    lstBackupStatus = new QListWidget(this);
    name(lstBackupStatus, "lstBackupStatus");
    wrapRowsToWidth(lstBackupStatus);
    cmdOK = new QPushButton(QStringLiteral("Backup"), this);
    name(cmdOK, "cmdOK");
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    name(cmdExit, "cmdExit");
    for (QPushButton *button : {cmdChooseFolder, cmdOK, cmdExit})
        button->setAutoDefault(false);

    auto *driveRow = new QHBoxLayout;
    driveRow->addWidget(drvBackup, 1);
    driveRow->addWidget(cmdChooseFolder);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("Backup to drive"), this));
    column->addLayout(driveRow);
    column->addWidget(new QLabel(QStringLiteral("Select components to be backed up"), this));
    column->addWidget(chkLocation);
    column->addWidget(chkCLE);
    column->addWidget(chkPreferences);
    column->addWidget(lstBackupStatus, 1);
    column->addLayout(buttons);
    resize(twipsToPixels(6000), twipsToPixels(6000));

    connect(cmdOK, &QPushButton::clicked, this, &frmBackup::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmBackup::cmdExit_Click);
    connect(cmdChooseFolder, &QPushButton::clicked, this, &frmBackup::cmdChooseFolder_Click);
}

void frmBackup::Form_Load()
{
    // Every run takes all 16 logbooks when "Listening Logs" is ticked.
    fillBackupRoots(drvBackup);
}

QString frmBackup::targetRoot() const
{
    return chosenBackupRoot(drvBackup);
}

void frmBackup::setTargetRoot(const QString &folder)
{
    selectBackupRoot(drvBackup, folder);
}

void frmBackup::cmdChooseFolder_Click()
{
    chooseBackupFolder(this, tr("Backup to folder"), drvBackup);
}

void frmBackup::cmdOK_Click()
{
    lstBackupStatus->clear();
    SharedState &state = m_windows.state();
    const BackupSetRun run =
        BackupToFolder(state.folder, targetRoot(), checkedComponents(chkLocation, chkCLE, chkPreferences),
                       m_windows.location()->locationNames(), m_windows.store());
    listRunStatus(lstBackupStatus, run, QStringLiteral("Registry Backup Error"));
    if (run.failed())
        MessageBox::show(backupAbortedText(run.error), QStringLiteral("Error"));
}

void frmBackup::cmdExit_Click()
{
    if (m_unloading)
        return;
    m_unloading = true;
    done(QDialog::Rejected);
    m_windows.unloadBackup();
}

void frmBackup::reject()
{
    cmdExit_Click();
}

void frmBackup::closeEvent(QCloseEvent *event)
{
    event->accept();
    cmdExit_Click();
}

} // namespace qern
