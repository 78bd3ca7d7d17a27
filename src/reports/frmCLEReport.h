#pragma once
// The session (CLE) report options window, opened by the log viewer in session mode,
// which hides itself meanwhile. Its 13 options and the kHz limits are kept in the
// setting CLEReportSettings. What the options select belongs to the session report
// itself, which is not part of this version: the window says so.

#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qern {

class WindowSet;

class frmCLEReport : public QWidget {
    Q_OBJECT

public:
    explicit frmCLEReport(WindowSet &windows);

    QLabel *lblNotBuilt = nullptr;
    QList<QCheckBox *> chkOption; // 13
    QLineEdit *txtLowerKHz = nullptr;
    QLineEdit *txtUpperKHz = nullptr;
    QPushButton *Command3 = nullptr; // "Create Report"
    QPushButton *Command2 = nullptr; // "Close"

    void showForm();

public slots:
    void Form_Load();
    void Command3_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    bool m_leaving = false;
};

} // namespace qern
