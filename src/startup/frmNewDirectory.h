#pragma once
// The new-folder dialog of the path chooser ("New Directory"): creates one folder
// inside the folder the chooser shows. Modal; a name that cannot be created keeps
// it open so that the name can be corrected.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qern {

class frmNewDirectory : public QDialog {
    Q_OBJECT

public:
    // parentFolder: the chooser's folder-list path.
    frmNewDirectory(const QString &parentFolder, QWidget *parent);

    QLabel *Label1 = nullptr;
    QLineEdit *txtNewDir = nullptr;
    QPushButton *Command2 = nullptr; // "OK"
    QPushButton *Command1 = nullptr; // "Cancel"

public slots:
    void Command2_Click();
    void Command1_Click();

private:
    QString m_parentFolder;
};

} // namespace qern
