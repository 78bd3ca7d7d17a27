#pragma once
// The windows of one run of QERN. A window is created hidden the first time it is
// touched, and its Form_Load runs then; it stays loaded until it is unloaded or the
// program ends. The program ends only through the main window.

#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;

namespace qern {

struct SharedState;
class RegistryStore;
class frmSplash;
class frmMain;
class frmLocation;
class frmDistanceCircle;
class frmListeningReports;
class frmLog;
class frmName;
class frmGPSRadar;
class frmBeaconsPerBearing;
class frmAuroralOval;
class frmListeningReportView;
class frmCLEReport;
class frmCLEReportView;
class frmWeblogImport;
class frmDisplay;
class frmBrowser;
class frmReceptionComments;
class frmMasterLogClear;
class frmFileOperation;
class frmBackup;
class frmRestore;
class frmSortProgress;

class WindowSet {
public:
    // The serial ports found, in the order ports 1 to 4 are numbered.
    using PortLister = std::function<QStringList()>;

    WindowSet(SharedState &state, RegistryStore &store, PortLister portLister = {});
    ~WindowSet();
    WindowSet(const WindowSet &) = delete;
    WindowSet &operator=(const WindowSet &) = delete;

    SharedState &state() { return m_state; }
    RegistryStore &store() { return m_store; }
    QStringList serialPorts() const;

    // Touching a window creates it (hidden) and runs its Form_Load once.
    frmSplash *splash();
    frmMain *main();
    frmLocation *location();
    frmDistanceCircle *distanceCircle();
    frmListeningReports *listeningReports();
    frmLog *log();
    frmName *editor();
    frmGPSRadar *gpsRadar();
    frmBeaconsPerBearing *beaconsPerBearing();
    frmAuroralOval *auroralOval();
    frmListeningReportView *listeningReportView();
    frmCLEReport *cleReport();
    frmCLEReportView *cleReportView();
    frmWeblogImport *weblogImport();
    frmDisplay *display();
    frmBrowser *browser();
    frmReceptionComments *receptionComments();
    frmMasterLogClear *masterLogClear();
    frmFileOperation *fileOperation();
    frmBackup *backup();
    frmRestore *restore();
    frmSortProgress *sortProgress();

    bool isSplashLoaded() const { return !m_splash.isNull(); }
    bool isMainLoaded() const { return !m_main.isNull(); }
    bool isLocationLoaded() const { return !m_location.isNull(); }
    bool isDistanceCircleLoaded() const { return !m_distanceCircle.isNull(); }
    bool isListeningReportsLoaded() const { return !m_listeningReports.isNull(); }
    bool isLogLoaded() const { return !m_log.isNull(); }
    bool isEditorLoaded() const { return !m_editor.isNull(); }
    bool isGPSRadarLoaded() const { return !m_gpsRadar.isNull(); }
    bool isBeaconsPerBearingLoaded() const { return !m_beaconsPerBearing.isNull(); }
    bool isAuroralOvalLoaded() const { return !m_auroralOval.isNull(); }
    bool isListeningReportViewLoaded() const { return !m_listeningReportView.isNull(); }
    bool isCLEReportLoaded() const { return !m_cleReport.isNull(); }
    bool isCLEReportViewLoaded() const { return !m_cleReportView.isNull(); }
    bool isWeblogImportLoaded() const { return !m_weblogImport.isNull(); }
    bool isDisplayLoaded() const { return !m_display.isNull(); }
    bool isBrowserLoaded() const { return !m_browser.isNull(); }
    bool isReceptionCommentsLoaded() const { return !m_receptionComments.isNull(); }
    bool isMasterLogClearLoaded() const { return !m_masterLogClear.isNull(); }
    bool isFileOperationLoaded() const { return !m_fileOperation.isNull(); }
    bool isBackupLoaded() const { return !m_backup.isNull(); }
    bool isRestoreLoaded() const { return !m_restore.isNull(); }
    bool isSortProgressLoaded() const { return !m_sortProgress.isNull(); }

    void unloadSplash();
    // The next touch loads a fresh log viewer.
    void unloadLog();
    void unloadEditor();
    void unloadGPSRadar();
    void unloadBeaconsPerBearing();
    void unloadAuroralOval();
    void unloadListeningReportView();
    void unloadCLEReport();
    void unloadCLEReportView();
    void unloadWeblogImport();
    // The next touch loads a fresh window.
    void unloadDisplay();
    void unloadBrowser();
    void unloadReceptionComments();
    void unloadMasterLogClear();
    void unloadFileOperation();
    void unloadBackup();
    void unloadRestore();
    void unloadSortProgress();

    // A window of ours hands control back to the main window: it is enabled, shown
    // and activated (its Form_Activate runs), the focus in the ident box.
    void returnToMain();

    // Ends the program: every loaded window is unloaded, last loaded first, and the
    // event loop (when it runs) quits with exitCode.
    void endProgram(int exitCode = 0);
    bool hasEnded() const { return m_ended; }
    int exitCode() const { return m_exitCode; }

private:
    SharedState &m_state;
    RegistryStore &m_store;
    PortLister m_portLister;
    template <typename Form> Form *touch(QPointer<Form> &slot);
    template <typename Form> void unload(QPointer<Form> &slot);

    QList<QPointer<QWidget>> m_loadOrder; // first loaded first
    QPointer<frmSplash> m_splash;
    QPointer<frmMain> m_main;
    QPointer<frmLocation> m_location;
    QPointer<frmDistanceCircle> m_distanceCircle;
    QPointer<frmListeningReports> m_listeningReports;
    QPointer<frmLog> m_log;
    QPointer<frmName> m_editor;
    QPointer<frmGPSRadar> m_gpsRadar;
    QPointer<frmBeaconsPerBearing> m_beaconsPerBearing;
    QPointer<frmAuroralOval> m_auroralOval;
    QPointer<frmListeningReportView> m_listeningReportView;
    QPointer<frmCLEReport> m_cleReport;
    QPointer<frmCLEReportView> m_cleReportView;
    QPointer<frmWeblogImport> m_weblogImport;
    QPointer<frmDisplay> m_display;
    QPointer<frmBrowser> m_browser;
    QPointer<frmReceptionComments> m_receptionComments;
    QPointer<frmMasterLogClear> m_masterLogClear;
    QPointer<frmFileOperation> m_fileOperation;
    QPointer<frmBackup> m_backup;
    QPointer<frmRestore> m_restore;
    QPointer<frmSortProgress> m_sortProgress;
    bool m_ended = false;
    int m_exitCode = 0;
};

} // namespace qern
