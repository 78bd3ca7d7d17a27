#include "frmBeaconsPerBearing.h"

#include <QPushButton>

#include "WindowSet.h"

namespace qern {

frmBeaconsPerBearing::frmBeaconsPerBearing(WindowSet &windows)
    : StandInWindow(windows, {"frmBeaconsPerBearing", QStringLiteral("Comparison Charts"),
                              QStringLiteral("The charts of beacons per degree of bearing and per kHz are not "
                                             "part of this version of QERN."),
                              "cmdExit", QStringLiteral("Exit"), &WindowSet::unloadBeaconsPerBearing}),
      cmdExit(exitButton())
{
    connect(cmdExit, &QPushButton::clicked, this, &frmBeaconsPerBearing::cmdExit_Click);
}

void frmBeaconsPerBearing::Form_Load()
{
    hideMainWindow();
}

void frmBeaconsPerBearing::cmdExit_Click()
{
    exitToMainWindow();
}

} // namespace qern
