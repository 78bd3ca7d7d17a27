#pragma once
// The auroral-oval viewer. Loading it hides the main window; its close button shows the
// main window again. The images themselves are not part of this version: the window
// says so.

#include "StandInWindow.h"

namespace qern {

class frmAuroralOval : public StandInWindow {
    Q_OBJECT

public:
    explicit frmAuroralOval(WindowSet &windows);

    QPushButton *cmdClose = nullptr;

public slots:
    void Form_Load();
    void cmdClose_Click();
};

} // namespace qern
