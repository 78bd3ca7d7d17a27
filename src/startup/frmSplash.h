#pragma once
// The start-up window: it loads the tables, makes sure the folders and logbooks
// exist, greets a first-time user and writes the defaults; when it becomes active
// it loads the settings and checks and counts the database, then lets the user
// continue to the main window.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qern {

class WindowSet;

class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(WindowSet &windows);

    QPushButton *cmdContinue = nullptr;
    QLabel *lblChecking = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *lblRevision = nullptr;
    QLabel *Image1 = nullptr;

    // Shows the window, lets it paint, and runs its activation (once).
    void showForm();

public slots:
    void Form_Load();
    void Form_Activate();
    void cmdContinue_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    bool m_activated = false;
    bool m_continued = false;
};

} // namespace qern
