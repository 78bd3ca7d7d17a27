#pragma once
// The weblog exchange window ("NDB Weblog Import/Export"): the listening location and
// the folder of stations.js and log.js, which it keeps as the setting WeblogPath.
// Reading and writing those files is not part of this version: the import button stays
// disabled and the window says so.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qern {

class WindowSet;

class frmWeblogImport : public QWidget {
    Q_OBJECT

public:
    explicit frmWeblogImport(WindowSet &windows);

    QComboBox *cmbListeningLocation = nullptr;
    QLineEdit *txtWeblog = nullptr;
    QPushButton *cmdWeblogImport = nullptr; // the path chooser
    QPushButton *cmdSavePrefs = nullptr;
    QLabel *lblNotBuilt = nullptr;
    QPushButton *cmdImportToQERN = nullptr;
    QPushButton *Command1 = nullptr; // "Exit"

    void showForm();

public slots:
    void Form_Load();
    void cmdSavePrefs_Click();
    void cmdWeblogImport_Click();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
