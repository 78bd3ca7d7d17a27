#include "frmGPSRadar.h"

#include <QPushButton>

#include "WindowSet.h"

namespace qern {

frmGPSRadar::frmGPSRadar(WindowSet &windows)
    : StandInWindow(windows, {"frmGPSRadar", QStringLiteral("GPS Radar"),
                              QStringLiteral("The live GPS radar is not part of this version of QERN: "
                                             "no GPS position is read and no radar is drawn."),
                              "cmdExit", QStringLiteral("Exit"), &WindowSet::unloadGPSRadar}),
      cmdExit(exitButton())
{
    connect(cmdExit, &QPushButton::clicked, this, &frmGPSRadar::cmdExit_Click);
}

void frmGPSRadar::cmdExit_Click()
{
    exitToMainWindow();
}

} // namespace qern
