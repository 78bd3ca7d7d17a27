#pragma once
// The "Database Restore" window (modeless): copies a backup set back over the
// logbooks, the session log, the settings and the beacon database, after taking the
// automatic backup of the current files. Leaving it after a complete settings
// restore, by "Exit" or the title bar, ends the program, so the restored settings are
// read at the next start.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace qern {

class WindowSet;

class frmRestore : public QWidget {
    Q_OBJECT

public:
    explicit frmRestore(WindowSet &windows);

    QComboBox *drvDrive = nullptr;
    QPushButton *cmdChooseFolder = nullptr;
    QCheckBox *chkLocation = nullptr;
    QCheckBox *chkCLE = nullptr;
    QCheckBox *chkPreferences = nullptr;
    QListWidget *lstRestoreProgress = nullptr;
    QPushButton *Command1 = nullptr; // "Restore"
    QPushButton *cmdExit = nullptr;  // "Exit"

    // The folder the backup set is read from.
    QString sourceRoot() const;
    void setSourceRoot(const QString &folder);

    void showForm();

public slots:
    void Form_Load();
    void Command1_Click();
    void cmdExit_Click();
    void cmdChooseFolder_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void unloadRestore();

    WindowSet &m_windows;
    bool m_unloading = false;
};

} // namespace qern
