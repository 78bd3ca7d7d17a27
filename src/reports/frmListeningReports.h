#pragma once
// The listening-report options window: the location to report on, kept as the
// setting ListeningReportDefaultLocation when a report is asked for. Building the
// report itself is not part of this version (the report view says so).

#include <QWidget>

class QComboBox;
class QPushButton;

namespace qern {

class WindowSet;

class frmListeningReports : public QWidget {
    Q_OBJECT

public:
    explicit frmListeningReports(WindowSet &windows);

    QComboBox *cmbListeningLocation = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *cmdExit = nullptr;

    // Shows the window; its activation fills the location list.
    void showForm();

public slots:
    void Form_Activate();
    void cmdCreate_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
