#include "frmListeningReports.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "NumberText.h"
#include "Preferences.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "reports/frmListeningReportView.h"

namespace qern {

frmListeningReports::frmListeningReports(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmListeningReports"));
    setWindowTitle(QStringLiteral("Listening Reports"));

    cmbListeningLocation = new NameList("cmbListeningLocation");
    auto *form = new QFormLayout;
    form->addRow(tr("Listening Location"), cmbListeningLocation);

    cmdCreate = new QPushButton(tr("Create Report"));
    cmdCreate->setObjectName(QStringLiteral("cmdCreate"));
    cmdExit = new QPushButton(tr("Exit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCreate);
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(buttons);

    connect(cmdCreate, &QPushButton::clicked, this, &frmListeningReports::cmdCreate_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmListeningReports::cmdExit_Click);
}

void frmListeningReports::showForm()
{
    bringToFront(this);
    Form_Activate();
}

void frmListeningReports::Form_Activate()
{
    const RegistryStore &store = m_windows.store();
    cmbListeningLocation->clear();
    for (const QByteArray &name : storedLocationNames(store))
        cmbListeningLocation->addItem(fromWindows1252(name));
    // The location last reported on; the current one when none was stored.
    const QByteArray stored = store.GetRegistryValue(RegistryKeys::ProgramPreferences, "ListeningReportDefaultLocation");
    int index = m_windows.state().CurrentLocationIndex;
    if (!trimBlanks(stored).isEmpty()) {
        const qint64 value = roundToInteger(numericValue(stored));
        if (value >= 0 && value < kLocationCount)
            index = static_cast<int>(value);
    }
    cmbListeningLocation->setCurrentIndex(index);
}

void frmListeningReports::cmdCreate_Click()
{
    const int index = std::max(cmbListeningLocation->currentIndex(), 0);
    m_windows.store().SetRegistryValue(RegistryKeys::ProgramPreferences, kRegistryString,
                                       "ListeningReportDefaultLocation", signedText(index));
    m_windows.listeningReportView()->showForm();
}

void frmListeningReports::cmdExit_Click()
{
    hide();
    m_windows.unloadListeningReportView();
    m_windows.returnToMain();
}

void frmListeningReports::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdExit_Click();
}

} // namespace qern
