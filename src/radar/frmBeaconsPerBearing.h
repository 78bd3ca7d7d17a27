#pragma once
// The comparison charts window. Loading it hides the main window; its exit button shows
// the main window again. The charts themselves are not part of this version: the
// window says so.

#include "StandInWindow.h"

namespace qern {

class frmBeaconsPerBearing : public StandInWindow {
    Q_OBJECT

public:
    explicit frmBeaconsPerBearing(WindowSet &windows);

    QPushButton *cmdExit = nullptr;

public slots:
    void Form_Load();
    void cmdExit_Click();
};

} // namespace qern
