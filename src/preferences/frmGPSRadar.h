#pragma once
// The live GPS radar window. The main window hides itself when it opens this window
// and is shown again by its exit button. Reading the GPS receiver and drawing the
// radar are not part of this version: the window says so.

#include "StandInWindow.h"

namespace qern {

class frmGPSRadar : public StandInWindow {
    Q_OBJECT

public:
    explicit frmGPSRadar(WindowSet &windows);

    QPushButton *cmdExit = nullptr;

public slots:
    void cmdExit_Click();
};

} // namespace qern
