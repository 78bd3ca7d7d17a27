#pragma once
// The session (CLE) report view: its sort key and order, and the output file the
// report would be saved to, each kept as a setting. Building, sorting, printing and
// saving the report itself are not part of this version: the window says so.

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qern {

class WindowSet;

class frmCLEReportView : public QWidget {
    Q_OBJECT

public:
    explicit frmCLEReportView(WindowSet &windows);

    QLabel *lblNotBuilt = nullptr;
    QListWidget *lstSortBy = nullptr;
    QRadioButton *optAscending = nullptr;
    QRadioButton *optDescending = nullptr;
    QPushButton *cmdSort = nullptr;

    QRadioButton *optText = nullptr;
    QRadioButton *optExcel = nullptr;
    QLineEdit *txtFileName = nullptr;
    QPushButton *Command3 = nullptr;  // the path chooser
    QPushButton *cmdSaveAs = nullptr; // presets the last file name
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClose = nullptr;

    void showForm();

public slots:
    void Form_Load();
    void cmdSort_Click();
    void cmdSaveAs_Click();
    void cmdSave_Click();
    void Command3_Click();
    void cmdClose_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
