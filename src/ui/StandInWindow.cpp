#include "StandInWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "WindowSet.h"
#include "main/frmMain.h"

namespace qern {

StandInWindow::StandInWindow(WindowSet &windows, const Kind &kind) : m_windows(windows), m_unload(kind.unload)
{
    setObjectName(QLatin1String(kind.objectName));
    setWindowTitle(kind.title);

    lblNotBuilt = new QLabel(kind.notBuiltText);
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);
    m_exit = new QPushButton(kind.exitCaption);
    m_exit->setObjectName(QLatin1String(kind.exitButtonName));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_exit);
    auto *column = new QVBoxLayout(this);
    column->addWidget(lblNotBuilt);
    column->addLayout(buttons);
    resize(400, 120);
}

void StandInWindow::showForm()
{
    bringToFront(this);
}

void StandInWindow::hideMainWindow()
{
    m_windows.main()->hide();
}

void StandInWindow::exitToMainWindow()
{
    m_windows.returnToMain();
    (m_windows.*m_unload)();
}

void StandInWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    exitToMainWindow();
}

} // namespace qern
