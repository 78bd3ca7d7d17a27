#include "frmAuroralOval.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "WindowSet.h"
#include "main/frmMain.h"

namespace qern {

frmAuroralOval::frmAuroralOval(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmAuroralOval"));
    setWindowTitle(QStringLiteral("Auroral Oval Status"));

    lblNotBuilt = new QLabel(QStringLiteral("The auroral-oval images are not part of this version of QERN."));
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);
    cmdClose = new QPushButton(QStringLiteral("Close"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *column = new QVBoxLayout(this);
    column->addWidget(lblNotBuilt);
    column->addLayout(buttons);
    resize(400, 120);

    connect(cmdClose, &QPushButton::clicked, this, &frmAuroralOval::cmdClose_Click);
}

void frmAuroralOval::showForm()
{
    show();
    raise();
    activateWindow();
}

void frmAuroralOval::Form_Load()
{
    m_windows.main()->hide();
}

void frmAuroralOval::cmdClose_Click()
{
    m_windows.returnToMain();
    m_windows.unloadAuroralOval();
}

void frmAuroralOval::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdClose_Click();
}

} // namespace qern
