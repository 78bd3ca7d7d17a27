#include "frmAuroralOval.h"

#include <QPushButton>

#include "WindowSet.h"

namespace qern {

frmAuroralOval::frmAuroralOval(WindowSet &windows)
    : StandInWindow(windows, {"frmAuroralOval", QStringLiteral("Auroral Oval Status"),
                              QStringLiteral("The auroral-oval images are not part of this version of QERN."),
                              "cmdClose", QStringLiteral("Close"), &WindowSet::unloadAuroralOval}),
      cmdClose(exitButton())
{
    connect(cmdClose, &QPushButton::clicked, this, &frmAuroralOval::cmdClose_Click);
}

void frmAuroralOval::Form_Load()
{
    hideMainWindow();
}

void frmAuroralOval::cmdClose_Click()
{
    exitToMainWindow();
}

} // namespace qern
