#pragma once
// The auroral-oval viewer. Loading it hides the main window; its close button shows the
// main window again. The images themselves are not part of this version: the window
// says so.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qern {

class WindowSet;

class frmAuroralOval : public QWidget {
    Q_OBJECT

public:
    explicit frmAuroralOval(WindowSet &windows);

    QLabel *lblNotBuilt = nullptr;
    QPushButton *cmdClose = nullptr;

    void showForm();

public slots:
    void Form_Load();
    void cmdClose_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
