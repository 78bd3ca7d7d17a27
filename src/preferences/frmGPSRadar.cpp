#include "frmGPSRadar.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "WindowSet.h"

namespace qern {

frmGPSRadar::frmGPSRadar(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmGPSRadar"));
    setWindowTitle(QStringLiteral("GPS Radar"));

    lblNotBuilt = new QLabel(QStringLiteral("The live GPS radar is not part of this version of QERN: "
                                            "no GPS position is read and no radar is drawn."));
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);
    cmdExit = new QPushButton(QStringLiteral("Exit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto *column = new QVBoxLayout(this);
    column->addWidget(lblNotBuilt);
    column->addLayout(buttons);
    resize(400, 120);

    connect(cmdExit, &QPushButton::clicked, this, &frmGPSRadar::cmdExit_Click);
}

void frmGPSRadar::showForm()
{
    show();
    raise();
    activateWindow();
}

void frmGPSRadar::cmdExit_Click()
{
    m_windows.returnToMain();
    m_windows.unloadGPSRadar();
}

void frmGPSRadar::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdExit_Click();
}

} // namespace qern
