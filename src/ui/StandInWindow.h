#pragma once
// A window that stands in for one whose contents are not part of this version: it
// says so in lblNotBuilt and has one button that leaves it. The main window is
// hidden while it is open (by the window itself or by its opener); leaving shows
// the main window again and unloads this one.

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace qern {

class WindowSet;

class StandInWindow : public QWidget {
    Q_OBJECT

public:
    QLabel *lblNotBuilt = nullptr;

    void showForm();

protected:
    struct Kind {
        const char *objectName;
        QString title;
        QString notBuiltText;
        const char *exitButtonName;
        QString exitCaption;
        void (WindowSet::*unload)();
    };
    StandInWindow(WindowSet &windows, const Kind &kind);

    QPushButton *exitButton() const { return m_exit; }
    void hideMainWindow();
    void exitToMainWindow();

    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
    void (WindowSet::*m_unload)();
    QPushButton *m_exit = nullptr;
};

} // namespace qern
