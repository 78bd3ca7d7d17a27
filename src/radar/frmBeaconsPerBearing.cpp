#include "frmBeaconsPerBearing.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "WindowSet.h"
#include "main/frmMain.h"

namespace qern {

frmBeaconsPerBearing::frmBeaconsPerBearing(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmBeaconsPerBearing"));
    setWindowTitle(QStringLiteral("Comparison Charts"));

    lblNotBuilt = new QLabel(QStringLiteral("The charts of beacons per degree of bearing and per kHz are not part of this version of QERN."));
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

    connect(cmdExit, &QPushButton::clicked, this, &frmBeaconsPerBearing::cmdExit_Click);
}

void frmBeaconsPerBearing::showForm()
{
    show();
    raise();
    activateWindow();
}

void frmBeaconsPerBearing::Form_Load()
{
    m_windows.main()->hide();
}

void frmBeaconsPerBearing::cmdExit_Click()
{
    m_windows.returnToMain();
    m_windows.unloadBeaconsPerBearing();
}

void frmBeaconsPerBearing::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdExit_Click();
}

} // namespace qern
