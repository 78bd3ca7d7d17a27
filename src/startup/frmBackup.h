#pragma once
// The "Backup" window (modal): copies the logbooks, the session log, the settings
// and the beacon database to the root of a chosen volume, or to any folder the user
// picks instead (the root of "/" is rarely writable). Each step lists its outcome.

#include <QDialog>

#include "BackupSet.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace qern {

class WindowSet;

// The target list shared by the backup and restore windows: the home folder, then
// the mounted volumes, then any folder picked with the "Folder..." button. Item
// data holds the folder.
void fillBackupRoots(QComboBox *list);
// Adds folder (when it is not listed yet) and selects it.
void selectBackupRoot(QComboBox *list, const QString &folder);
QString chosenBackupRoot(const QComboBox *list);
// The "Folder..." button: any folder the user picks becomes the list's choice.
void chooseBackupFolder(QWidget *parent, const QString &caption, QComboBox *list);

// What the three component boxes of either window ask for.
BackupComponents checkedComponents(const QCheckBox *logbooks, const QCheckBox *session,
                                   const QCheckBox *preferences);
// A run's status lines; the settings step's failure line carries its reason as a tip.
void listRunStatus(QListWidget *list, const BackupSetRun &run, const QString &registryErrorLine);

class frmBackup : public QDialog {
    Q_OBJECT

public:
    explicit frmBackup(WindowSet &windows);

    QComboBox *drvBackup = nullptr;
    QPushButton *cmdChooseFolder = nullptr;
    QCheckBox *chkLocation = nullptr;
    QCheckBox *chkCLE = nullptr;
    QCheckBox *chkPreferences = nullptr;
    QListWidget *lstBackupStatus = nullptr;
    QPushButton *cmdOK = nullptr;   // "Backup"
    QPushButton *cmdExit = nullptr; // "Exit"

    // The folder the backup set goes to.
    QString targetRoot() const;
    void setTargetRoot(const QString &folder);

public slots:
    void Form_Load();
    void cmdOK_Click();
    void cmdExit_Click();
    void cmdChooseFolder_Click();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    bool m_unloading = false;
};

} // namespace qern
