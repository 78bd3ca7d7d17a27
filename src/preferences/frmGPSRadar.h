#pragma once
// The live GPS radar window. The main window hides itself when it opens this window
// and is shown again by its exit button. Reading the GPS receiver and drawing the
// radar are not part of this version: the window says so.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qern {

class WindowSet;

class frmGPSRadar : public QWidget {
    Q_OBJECT

public:
    explicit frmGPSRadar(WindowSet &windows);

    QLabel *lblNotBuilt = nullptr;
    QPushButton *cmdExit = nullptr;

    void showForm();

public slots:
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
