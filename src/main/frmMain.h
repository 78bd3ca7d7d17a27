#pragma once
// The main window: the look-up line, the beacon on display, the commands that act
// on it, the clocks and the menus. Every other window is reached from here, and
// the program ends when this window is unloaded.

#include <QMainWindow>

#include "BeaconDatabase.h"
#include "FormSupport.h"

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;

namespace qern {

class NearbyListModel;
class WindowSet;
struct SharedState;
struct IntegrityResult;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(WindowSet &windows);
    ~frmMain() override;

    // Look-up
    QLineEdit *txtIdent = nullptr;
    QPushButton *cmdLookUp = nullptr;
    QLabel *lblDistanceFilter = nullptr;
    QPushButton *cmdDistanceFilter = nullptr;

    // Beacon details
    QLineEdit *txtCountry = nullptr;
    QLineEdit *txtLocation = nullptr;
    QLineEdit *txtPower = nullptr;
    QLineEdit *txtLat = nullptr;
    QLineEdit *txtLon = nullptr;
    QLineEdit *txtLocator = nullptr;
    QLineEdit *txtDistance = nullptr;
    QLineEdit *txtBearing = nullptr;
    QLineEdit *txtCurrent = nullptr;
    QLineEdit *txtCycle = nullptr;
    QLineEdit *txtUSB = nullptr;
    QLineEdit *txtLSB = nullptr;
    QLineEdit *txtComments = nullptr;
    QLabel *lblkHz = nullptr;
    QLabel *lblDAID = nullptr;

    // Stepping through matches
    QScrollBar *scrBeaconNumber = nullptr;
    QLabel *lblEntryNumber = nullptr;
    QLabel *lblFound = nullptr;

    // Logged information
    QLabel *lblLogged = nullptr;
    QLabel *lblGotLogged = nullptr;
    QListWidget *lstGotLogged = nullptr;
    QLabel *lblAlreadyLogged = nullptr;

    // Beacon actions
    QPushButton *cmdAddToLog = nullptr;
    QPushButton *cmdQuickLog = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdViewLog = nullptr;
    QPushButton *cmdViewSession = nullptr;
    QPushButton *cmdMapIt = nullptr;
    QPushButton *cmdNearby = nullptr;
    QPushButton *cmdExit = nullptr;

    // Nearby panel
    QListView *lstNearbyBeacons = nullptr;
    QLineEdit *txtCoverage = nullptr;
    QLabel *lblCoverage = nullptr;
    QLabel *lblSearch = nullptr;
    QPushButton *cmdUpdateNearby = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *picBeaconList = nullptr;

    // Map progress
    QLabel *picGeneratingImage = nullptr;

    // Clocks
    QLabel *lblUTC = nullptr;
    QLabel *lblLocal = nullptr;
    QTimer *tmrTimeDate = nullptr;

    // Menus
    QAction *mnuPreferences = nullptr;
    QMenu *mnuTools = nullptr;
    QMenu *mnuBeaconRadar = nullptr;
    QAction *mnuDistanceCircle = nullptr;
    QAction *mnuDynamic = nullptr;
    QMenu *mnuDatabase = nullptr;
    QAction *mnuDBBackup = nullptr;
    QAction *mnuDBRestore = nullptr;
    QAction *mnuComparison = nullptr;
    QAction *mnuNAO = nullptr;
    QAction *cmdListeningReports = nullptr;
    QMenu *mnuLogFunctions = nullptr;
    QMenu *mnuLogClear = nullptr;
    QAction *mnuSessionClr = nullptr;
    QAction *mnuMasterClear = nullptr;
    QAction *mnuWeblogImport = nullptr;
    QAction *mnuStatistics = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuCnts = nullptr;

    // What the program asks of each command, and whether what it opens exists yet.
    CommandGate &commands() { return m_commands; }

    // Shows the window and runs its activation, as when it first appears or a
    // window of ours hands control back to it.
    void showForm();

    // The procedures of the beacon area. text: the look-up text as typed;
    // frequency: empty, or the frequency of the match to show; viewed: the beacon
    // the window handing control back had on display, shown when it is among the
    // matches with that frequency.
    void SearchBeacons(const QString &text, const QByteArray &frequency, bool filterOn,
                       const ShownBeacon &viewed = {});
    void ShowBeacon(qint64 recNo);
    void ClearBeaconDisplay();
    // The beacon on display, as Quick Log checks it before writing; empty when none.
    const ShownBeacon &shownBeacon() const { return m_shownBeacon; }
    // ndb.dat was sorted again: the look-up's record numbers no longer hold, so the
    // match stepper goes until the next look-up, and the beacon on display is
    // followed to its new record.
    void databaseSorted();

    // The integrity check's window side: its message, and the commands it disables
    // (enabled again when a later check passes).
    void CheckDatabaseIntegrity();
    // Counts the database (after the integrity check when checkFirst) and applies
    // the counts to the commands whose data would be empty.
    void GatherDatabaseStatistics(bool checkFirst);

    // What "New/Change" hands the beacon editor: the beacon on display, or a new
    // record after the last one.
    void SetEditorRequest();

    // Lists the beacons within radius (in the unit shown) of the centre given as
    // the coordinate boxes show it ("45 30 00 N", "075 42 10 W").
    void FindNearbyBeacons(double radius, const QByteArray &centreLat, const QByteArray &centreLon);

public slots:
    void Form_Load();
    void Form_Activate();
    void Form_GotFocus();

    void cmdLookUp_Click();
    void txtIdent_KeyPress_Enter();
    void cmdDistanceFilter_Click();
    void scrBeaconNumber_Change(int value);
    void txtLat_Click();
    void txtLon_Click();
    void lblGotLogged_MouseMove();
    void hideLoggedList();
    void tmrTimeDate_Timer();
    void cmdExit_Click();

    void mnuPreferences_Click();
    void mnuDistanceCircle_Click();
    void cmdListeningReports_Click();
    void mnuStatistics_Click();
    void mnuAbout_Click();
    void cmdViewLog_Click();
    void cmdViewSession_Click();
    void mnuCnts_Click();

    void cmdNearby_Click();
    void cmdUpdateNearby_Click();
    // Enter (13) rebuilds the list and is swallowed (KeyAscii becomes 0).
    void txtCoverage_KeyPress(int &KeyAscii);
    void Command1_Click();
    void cmdMapIt_Click();

    void cmdQuickLog_Click();
    void cmdAddToLog_Click();
    void mnuSessionClr_Click();
    void mnuMasterClear_Click();
    void mnuDBBackup_Click();
    void mnuDBRestore_Click();

    void cmdUpdate_Click();
    void mnuDynamic_Click();
    void mnuComparison_Click();
    void mnuNAO_Click();
    void mnuWeblogImport_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void setNearbyPanelShown(bool shown);
    void markUnavailableCommands();
    void refreshClocks();
    void refreshTitle();
    void setMatchStepperVisible(bool visible);
    void applyIntegrityCheck(const IntegrityResult &result);
    void disableAfterFailedCheck(bool touchBackupItems);
    void enableAfterPassedCheck();
    void focusIdent();
    void forgetSearchMatches();
    void showBeaconAgain();
    void followShownBeacon(bool showAgain);
    void connectNearbyMapAndHelp();
    void connectLogging();
    void connectEditorAndNeighbours();

    WindowSet &m_windows;
    SharedState &m_state;
    CommandGate m_commands;
    bool m_integrityFailed = false;
    ShownBeacon m_shownBeacon;
    int m_windowWidth = 0; // worked out from the captions in buildControls
    NearbyListModel *m_nearbyLines = nullptr; // what lstNearbyBeacons shows
    QWidget *m_nearbyPanel = nullptr; // covered while the window is short
    // The centre of the nearby list, taken at the last "Show Nearby Beacons".
    QByteArray NearbyCentreLat;
    QByteArray NearbyCentreLon;
};

} // namespace qern
