#pragma once
// The comparison charts window. Loading it hides the main window; its exit button shows
// the main window again. The charts themselves are not part of this version: the
// window says so.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qern {

class WindowSet;

class frmBeaconsPerBearing : public QWidget {
    Q_OBJECT

public:
    explicit frmBeaconsPerBearing(WindowSet &windows);

    QLabel *lblNotBuilt = nullptr;
    QPushButton *cmdExit = nullptr;

    void showForm();

public slots:
    void Form_Load();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
