#pragma once
// The path chooser ("Path Setting"): a drive list (the mounted volumes), a folder
// list, a file list and a file-name box, through which another window picks a
// folder or an output file. It is modeless; "Set Path" writes the result into the
// asking window's text box and closes, "Exit" closes with no result.
//
// A window asks for a path through openPathChooser (below); the opener goes on
// running and the result arrives later in its box.
//
// The target box receives what "Set Path" writes in modes 3 to 8 (mode 3 also sets
// WeblogFolder, mode 4 BeaconRadarFolder); in modes 5 to 8 the chooser also reads it
// on activation to start in the folder of the file it names (the home folder when
// it is empty).

#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

#include "FileIo.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace qern {

class WindowSet;
struct SharedState;

// Loads the chooser and shows it for target, the box "Set Path" writes into, in mode
// (FileOperationMode, 1 .. 8). It starts in startFolder (the program folder when
// that cannot be shown) and with fileName in its file box, when given.
void openPathChooser(WindowSet &windows, QLineEdit *target, int mode,
                     const std::optional<QString> &startFolder = std::nullopt,
                     const std::optional<QString> &fileName = std::nullopt);

class frmFileOperation : public QWidget {
    Q_OBJECT

public:
    explicit frmFileOperation(WindowSet &windows);

    QComboBox *lstDrive = nullptr;
    QListWidget *lstDirectory = nullptr;
    QListWidget *lstFile = nullptr;
    QLineEdit *txtFileName = nullptr;
    QPushButton *cmdNewDir = nullptr;
    QPushButton *Command1 = nullptr; // "Set Path"
    QPushButton *Command2 = nullptr; // "Exit"
    QLabel *lblPath = nullptr;

    // The folder on show (lstDirectory.Path): no trailing "/" except at a volume root.
    QString directoryPath() const { return m_folder; }
    // Moves the folder list (and with it the file list); fails, changing nothing,
    // when the folder does not exist or cannot be read.
    FileError setDirectoryPath(const QString &folder);
    // The opener's preset: false when the folder cannot be shown.
    bool presetFolder(const QString &folder);
    // The opener's text box that "Set Path" writes into.
    void setTarget(QLineEdit *box);
    QLineEdit *target() const { return m_target.data(); }
    QString filePattern() const { return m_pattern; }

    // The mount points the drive list offers (the machine's when never set).
    void setVolumeRoots(const QStringList &roots);

    // Shows the chooser modeless and runs its activation.
    void showForm();

public slots:
    void Form_Activate();
    void lstDrive_Change(int index);
    void lstDirectory_Change();
    void lstFile_Click(QListWidgetItem *item);
    void cmdNewDir_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void fillDrives();
    void fillFolderList();
    void selectDriveOfFolder();
    void openFolderItem(QListWidgetItem *item);
    void applyModeRules();
    void unloadChooser();

    WindowSet &m_windows;
    SharedState &m_state;
    QPointer<QLineEdit> m_target;
    QStringList m_volumes;
    QStringList m_fixedVolumes;
    QString m_folder;
    QString m_pattern;
    bool m_leftForOtherWindow = false;
    bool m_unloading = false;
};

} // namespace qern
