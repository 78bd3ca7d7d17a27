#include "WindowSet.h"

#include <QCoreApplication>
#include <QWidget>

#include "RegistryStore.h"
#include "SharedState.h"
#include "MessageBox.h"
#include "logbook/frmLog.h"
#include "main/frmBrowser.h"
#include "main/frmDisplay.h"
#include "logbook/frmMasterLogClear.h"
#include "logbook/frmReceptionComments.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmListeningReports.h"
#include "editor/frmName.h"
#include "preferences/frmGPSRadar.h"
#include "radar/frmBeaconsPerBearing.h"
#include "radar/frmAuroralOval.h"
#include "reports/frmListeningReportView.h"
#include "reports/frmCLEReport.h"
#include "reports/frmCLEReportView.h"
#include "weblog/frmWeblogImport.h"
#include "startup/frmBackup.h"
#include "startup/frmFileOperation.h"
#include "startup/frmRestore.h"
#include "startup/frmSortProgress.h"
#include "startup/frmSplash.h"

namespace qern {

// Creates a window on its first touch and runs its Form_Load then, as the windows
// of the original were loaded by the first reference to one of their controls.
template <typename Form>
Form *WindowSet::touch(QPointer<Form> &slot)
{
    if (!slot) {
        slot = new Form(*this);
        m_loadOrder.append(slot.data());
        if constexpr (requires(Form *form) { form->Form_Load(); })
            slot->Form_Load();
    }
    return slot.data();
}

WindowSet::WindowSet(SharedState &state, RegistryStore &store, PortLister portLister)
    : m_state(state), m_store(store), m_portLister(std::move(portLister))
{
    m_store.setMessageSink([](const QString &text) { MessageBox::show(text); });
}

WindowSet::~WindowSet()
{
    m_store.setMessageSink({});
    for (qsizetype i = m_loadOrder.size() - 1; i >= 0; --i)
        delete m_loadOrder[i].data();
    m_loadOrder.clear();
}

QStringList WindowSet::serialPorts() const
{
    return m_portLister ? m_portLister() : QStringList();
}

frmSplash *WindowSet::splash()
{
    return touch(m_splash);
}

frmMain *WindowSet::main()
{
    return touch(m_main);
}

frmLocation *WindowSet::location()
{
    return touch(m_location);
}

frmDistanceCircle *WindowSet::distanceCircle()
{
    return touch(m_distanceCircle);
}

frmListeningReports *WindowSet::listeningReports()
{
    return touch(m_listeningReports);
}

frmLog *WindowSet::log()
{
    return touch(m_log);
}

frmName *WindowSet::editor()
{
    return touch(m_editor);
}

frmGPSRadar *WindowSet::gpsRadar()
{
    return touch(m_gpsRadar);
}

frmBeaconsPerBearing *WindowSet::beaconsPerBearing()
{
    return touch(m_beaconsPerBearing);
}

frmAuroralOval *WindowSet::auroralOval()
{
    return touch(m_auroralOval);
}

frmListeningReportView *WindowSet::listeningReportView()
{
    return touch(m_listeningReportView);
}

frmCLEReport *WindowSet::cleReport()
{
    return touch(m_cleReport);
}

frmCLEReportView *WindowSet::cleReportView()
{
    return touch(m_cleReportView);
}

frmWeblogImport *WindowSet::weblogImport()
{
    return touch(m_weblogImport);
}

frmDisplay *WindowSet::display()
{
    return touch(m_display);
}

frmBrowser *WindowSet::browser()
{
    return touch(m_browser);
}

frmReceptionComments *WindowSet::receptionComments()
{
    return touch(m_receptionComments);
}

frmMasterLogClear *WindowSet::masterLogClear()
{
    return touch(m_masterLogClear);
}

frmFileOperation *WindowSet::fileOperation()
{
    return touch(m_fileOperation);
}

frmBackup *WindowSet::backup()
{
    return touch(m_backup);
}

frmRestore *WindowSet::restore()
{
    return touch(m_restore);
}

frmSortProgress *WindowSet::sortProgress()
{
    return touch(m_sortProgress);
}

void WindowSet::unloadSplash()
{
    if (m_splash) {
        m_splash->hide();
        m_splash->deleteLater();
        m_splash.clear();
    }
}

void WindowSet::unloadLog()
{
    unload(m_log);
}

void WindowSet::unloadEditor()
{
    unload(m_editor);
}

void WindowSet::unloadGPSRadar()
{
    unload(m_gpsRadar);
}

void WindowSet::unloadBeaconsPerBearing()
{
    unload(m_beaconsPerBearing);
}

void WindowSet::unloadAuroralOval()
{
    unload(m_auroralOval);
}

void WindowSet::unloadListeningReportView()
{
    unload(m_listeningReportView);
}

void WindowSet::unloadCLEReport()
{
    unload(m_cleReport);
}

void WindowSet::unloadCLEReportView()
{
    unload(m_cleReportView);
}

void WindowSet::unloadWeblogImport()
{
    unload(m_weblogImport);
}

void WindowSet::unloadDisplay()
{
    unload(m_display);
}

void WindowSet::unloadBrowser()
{
    unload(m_browser);
}

void WindowSet::unloadReceptionComments()
{
    unload(m_receptionComments);
}

void WindowSet::unloadMasterLogClear()
{
    unload(m_masterLogClear);
}

void WindowSet::unloadFileOperation()
{
    unload(m_fileOperation);
}

void WindowSet::unloadBackup()
{
    unload(m_backup);
}

void WindowSet::unloadRestore()
{
    unload(m_restore);
}

void WindowSet::unloadSortProgress()
{
    unload(m_sortProgress);
}

// The window may be running the handler that asked: it goes at the next turn of
// the event loop, hidden and forgotten at once.
template <typename Form>
void WindowSet::unload(QPointer<Form> &slot)
{
    if (!slot)
        return;
    QWidget *window = slot.data();
    m_loadOrder.removeAll(QPointer<QWidget>(window));
    window->hide();
    window->deleteLater();
    slot.clear();
}

void WindowSet::returnToMain()
{
    if (m_ended || !m_main)
        return;
    m_main->setEnabled(true);
    m_main->showForm();
}

void WindowSet::endProgram(int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    m_exitCode = exitCode;
    // The handler that asked may still be running: windows go at the next turn of
    // the event loop, hidden at once.
    for (qsizetype i = m_loadOrder.size() - 1; i >= 0; --i) {
        if (QWidget *window = m_loadOrder[i].data()) {
            window->hide();
            window->deleteLater();
        }
    }
    QCoreApplication::exit(exitCode);
}

} // namespace qern
