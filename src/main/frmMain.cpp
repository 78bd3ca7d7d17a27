#include "frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "BeaconDatabase.h"
#include "BeaconDisplay.h"
#include "Geodesy.h"
#include "LogMaintenance.h"
#include "MapOutline.h"
#include "ClockTexts.h"
#include "MessageBox.h"
#include "Nearby.h"
#include "NearbyListModel.h"
#include "ReceptionWrite.h"
#include "NumberText.h"
#include "Search.h"
#include "SharedState.h"
#include "Statistics.h"
#include "Text.h"
#include "WindowSet.h"
#include "editor/frmName.h"
#include "preferences/frmGPSRadar.h"
#include "radar/frmAuroralOval.h"
#include "radar/frmBeaconsPerBearing.h"
#include "weblog/frmWeblogImport.h"
#include "logbook/frmMasterLogClear.h"
#include "logbook/frmReceptionComments.h"
#include "frmBrowser.h"
#include "frmDisplay.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmListeningReports.h"
#include "logbook/frmLog.h"
#include "startup/frmBackup.h"
#include "startup/frmRestore.h"

namespace qern {

namespace {

constexpr int kDesignedWidth = 800; // wider only when captions need it
constexpr int kShortHeightTwips = 4992; // the nearby panel covered
constexpr int kTallHeightTwips = 7404; // the nearby panel uncovered
constexpr int kClockIntervalMs = 10000;

const QString kTitlePrefix = QStringLiteral("QERN v6.2 - ");

// The ident box selects its whole text whenever it gets the focus, so a new look-up
// types over the last one.
class IdentBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        setSelection(0, text().size());
    }
};

QString fromBytes(const QByteArray &bytes)
{
    return fromWindows1252(bytes);
}

// Hands Enter in a text box to a KeyPress handler, which swallows the key by
// setting its code to 0.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QObject *parent, std::function<void(int &)> keyPress)
        : QObject(parent), m_keyPress(std::move(keyPress))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                int keyAscii = 13;
                m_keyPress(keyAscii);
                return keyAscii == 0;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int &)> m_keyPress;
};

// A window that hands control back names its beacon by ident and frequency, which
// namesakes and duplicates share: the match to show is the record holding the beacon
// viewed there, followed when it has moved. nullopt when no one match is that beacon,
// or when ndb.dat cannot be read (error says why).
std::optional<qsizetype> positionOfViewed(const ProgramFolder &folder, const QList<qint64> &matches,
                                          const ShownBeacon &viewed, FileError *error)
{
    BeaconRecord record;
    const BeaconCheck check = readShownBeacon(folder, viewed, &record);
    qint64 number = viewed.recordNumber;
    if ((*error = check.error))
        return std::nullopt;
    if (check.moved) {
        const FoundBeacon found = findShownBeacon(folder, viewed);
        if ((*error = found.error) || !found.found())
            return std::nullopt;
        number = found.recordNumber;
    }
    const qsizetype at = matches.indexOf(number);
    return at < 0 ? std::nullopt : std::optional<qsizetype>(at);
}

// The look-up is for the beacon viewed (the editor's boxes may hold another one, typed
// and not saved).
bool looksUpViewed(const ShownBeacon &viewed, const QByteArray &text, const QByteArray &frequency)
{
    return !viewed.isEmpty() && !frequency.isEmpty() && trimBlanks(viewed.frequency) == frequency &&
           upperCase(StripSemicolonSuffix(trimBlanks(viewed.ident))) == upperCase(trimBlanks(text));
}

} // namespace

frmMain::frmMain(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildControls();
    buildMenus();
    markUnavailableCommands();
    connectNearbyMapAndHelp();
    connectLogging();
    connectEditorAndNeighbours();
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    setCentralWidget(central);

    // Created in the order the Tab key visits them, then laid out: each control as large as
    // designed, or as its caption needs in the font of the day; the window grows to hold them.
    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };
    auto label = [&](const char *objectName, const QString &text, int w, QWidget *parent) {
        auto *l = new QLabel(text, parent);
        name(l, objectName);
        setDesignedSize(l, w);
        return l;
    };
    auto captions = [&](const QStringList &texts, int w) {
        QList<QLabel *> labels;
        for (const QString &text : texts) {
            labels << new QLabel(text, central);
            setDesignedSize(labels.last(), w);
        }
        return labels;
    };
    auto field = [&](const char *objectName, int w) {
        auto *e = new QLineEdit(central);
        name(e, objectName);
        e->setReadOnly(true);
        e->setMinimumWidth(w);
        showTextFromStart(e);
        return e;
    };
    auto button = [&](const char *objectName, const QString &text, int w, QWidget *parent) {
        auto *b = new QPushButton(text, parent);
        name(b, objectName);
        setDesignedSize(b, w, 26);
        b->setAutoDefault(false);
        return b;
    };
    // A framed notice over the window while something long runs; hidden until then.
    auto notice = [&](const char *objectName, const QString &text, QWidget *parent) {
        QLabel *l = label(objectName, text, 0, parent);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::Box);
        l->setAutoFillBackground(true);
        setDesignedSize(l, 220, 30);
        l->resize(l->minimumSize());
        l->hide();
        return l;
    };

    // Look-up line
    QLabel *identCaption = captions({tr("Ident / kHz")}, 70).first();
    txtIdent = new IdentBox(central);
    name(txtIdent, "txtIdent");
    setBoxWidth(txtIdent, 110, QStringLiteral("WWWWWWW"));
    txtIdent->setToolTip(QStringLiteral("Use $ as prefix for NAVTEX, # for DGPS"));
    cmdLookUp = button("cmdLookUp", tr("&Look Up"), 80, central);
    lblDistanceFilter = label("lblDistanceFilter", QStringLiteral("Distance Filter"), 90, central);
    cmdDistanceFilter = button("cmdDistanceFilter", QStringLiteral("OFF"), 48, central);
    lblUTC = label("lblUTC", QString(), 232, central);
    lblLocal = label("lblLocal", QString(), 232, central);
    for (QLabel *clock : {lblUTC, lblLocal})
        keepClockWidth(clock);

    lblkHz = label("lblkHz", QString(), 300, central);
    lblkHz->setFont(namedFont(QStringLiteral("Tahoma"), 11, true));
    setDesignedSize(lblkHz, 300);
    lblkHz->setTextFormat(Qt::PlainText); // an ident is never markup
    lblDAID = label("lblDAID", QStringLiteral("DAID"), 40, central);
    keepRoomWhenHidden(lblDAID);
    scrBeaconNumber = new QScrollBar(Qt::Horizontal, central);
    name(scrBeaconNumber, "scrBeaconNumber");
    scrBeaconNumber->setFixedWidth(200);
    scrBeaconNumber->setFocusPolicy(Qt::NoFocus); // its GotFocus only hands the focus back
    keepRoomWhenHidden(scrBeaconNumber);
    lblEntryNumber = label("lblEntryNumber", QString(), 40, central);
    lblEntryNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    keepRoomWhenHidden(lblEntryNumber);
    lblFound = label("lblFound", QString(), 70, central);
    keepRoomWhenHidden(lblFound);

    // Beacon details: two columns of six rows, then the comments.
    const QList<QLabel *> leftCaptions = captions({QStringLiteral("Country"), QStringLiteral("Location"),
                                                   QStringLiteral("Power / TX Class"), QStringLiteral("Latitude"),
                                                   QStringLiteral("Longitude"), QStringLiteral("QTH Locator"),
                                                   QStringLiteral("Comments")},
                                                  105);
    txtCountry = field("txtCountry", 265);
    txtLocation = field("txtLocation", 265);
    txtPower = field("txtPower", 265);
    txtLat = field("txtLat", 265);
    txtLon = field("txtLon", 265);
    txtLocator = field("txtLocator", 265);
    const QList<QLabel *> rightCaptions = captions({QStringLiteral("Distance"), QStringLiteral("Bearing"),
                                                    QStringLiteral("Data As Of"), QStringLiteral("Ident Cycle"),
                                                    QStringLiteral("Mod Offset")},
                                                   90);
    txtDistance = field("txtDistance", 306);
    txtBearing = field("txtBearing", 306);
    txtCurrent = field("txtCurrent", 306);
    txtCycle = field("txtCycle", 306);
    txtUSB = field("txtUSB", 150);
    txtLSB = field("txtLSB", 150);
    txtComments = field("txtComments", 0);

    // The coordinates switch to their dotted form when clicked.
    txtLat->installEventFilter(this);
    txtLon->installEventFilter(this);

    // Where the beacon was logged.
    lblLogged = label("lblLogged", QString(), 420, central);
    lblLogged->setMouseTracking(true);
    lblLogged->installEventFilter(this);
    lblGotLogged = label("lblGotLogged", tr("Logged at..."), 150, central);
    lblGotLogged->setMouseTracking(true);
    lblGotLogged->installEventFilter(this);
    keepRoomWhenHidden(lblGotLogged);
    lstGotLogged = new QListWidget(central);
    name(lstGotLogged, "lstGotLogged");
    lstGotLogged->setMouseTracking(true);
    lstGotLogged->viewport()->setMouseTracking(true);
    lstGotLogged->viewport()->installEventFilter(this);
    lstGotLogged->setFocusPolicy(Qt::NoFocus);
    // It opens over the right-hand details and takes no room of its own.
    lstGotLogged->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    lstGotLogged->setMinimumSize(0, 0);

    // Commands on the beacon on display.
    // Captioned "Log It" as soon as the window loads: that is the caption it needs room for.
    cmdAddToLog = button("cmdAddToLog", QStringLiteral("&Add To Log"), 70, central);
    cmdAddToLog->setMinimumWidth(std::max(70, captionWidth(cmdAddToLog, QStringLiteral("Log It"))));
    cmdAddToLog->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    cmdQuickLog = button("cmdQuickLog", QStringLiteral("QLog"), 60, central);
    cmdQuickLog->setToolTip(QStringLiteral("Quick Log"));
    cmdUpdate = button("cmdUpdate", QStringLiteral("&New/Change"), 90, central);
    cmdUpdate->setToolTip(QStringLiteral("Change Beacon Info"));
    cmdViewLog = button("cmdViewLog", QStringLiteral("View &Log"), 80, central);
    cmdViewSession = button("cmdViewSession", QStringLiteral("View &Session"), 95, central);
    cmdMapIt = button("cmdMapIt", QStringLiteral("Show &Beacon on Map"), 140, central);
    cmdMapIt->setToolTip(QStringLiteral("Show Beacon on Great Circle Map"));
    cmdNearby = button("cmdNearby", QStringLiteral("S&how Nearby Beacons"), 150, central);
    cmdExit = button("cmdExit", QStringLiteral("E&xit"), 60, central);
    cmdExit->setToolTip(QStringLiteral("Exit Program"));

    // The nearby panel, below the short height: uncovered when the window grows tall.
    m_nearbyPanel = new QWidget(central);
    m_nearbyPanel->setObjectName(QStringLiteral("nearbyPanel"));
    // Its caption names the beacon: room for the widest ident and frequency, no more,
    // so that the search count beside it has room too.
    lblCoverage = label("lblCoverage", QString(), 0, m_nearbyPanel);
    lblCoverage->setMinimumWidth(
        captionWidth(lblCoverage, QStringLiteral("Coverage radius from WWWWWWW-0000.0 kHz (km)")));
    txtCoverage = new QLineEdit(m_nearbyPanel);
    name(txtCoverage, "txtCoverage");
    setBoxWidth(txtCoverage, 60, QStringLiteral("00000"));
    cmdUpdateNearby = button("cmdUpdateNearby", QStringLiteral("Update"), 70, m_nearbyPanel);
    Command1 = button("Command1", QStringLiteral("Hide"), 60, m_nearbyPanel);
    // Room for the count of the largest database.
    lblSearch = label("lblSearch", QString(), 170, m_nearbyPanel);
    lblSearch->setMinimumWidth(
        std::max(lblSearch->minimumWidth(), captionWidth(lblSearch, fromBytes(nearbySearchCaption(99999)))));
    lstNearbyBeacons = new QListView(m_nearbyPanel);
    m_nearbyLines = new NearbyListModel(lstNearbyBeacons);
    lstNearbyBeacons->setModel(m_nearbyLines);
    name(lstNearbyBeacons, "lstNearbyBeacons");
    lstNearbyBeacons->setMinimumHeight(94);
    lstNearbyBeacons->setFont(fixedListFont());
    lstNearbyBeacons->setUniformItemSizes(true); // thousands of lines, laid out as one
    lblAlreadyLogged = label("lblAlreadyLogged", QStringLiteral("***  Beacons Already Logged"), 300, m_nearbyPanel);
    keepRoomWhenHidden(lblAlreadyLogged);
    picBeaconList = notice("picBeaconList", QStringLiteral("Generating Beacon List"), m_nearbyPanel);
    picGeneratingImage = notice("picGeneratingImage", QStringLiteral("Generating Image"), central);

    auto *lookUp = new QHBoxLayout;
    lookUp->setSpacing(2);
    lookUp->addWidget(identCaption);
    lookUp->addWidget(txtIdent);
    lookUp->addSpacing(4);
    lookUp->addWidget(cmdLookUp);
    lookUp->addSpacing(12);
    lookUp->addWidget(lblDistanceFilter);
    lookUp->addWidget(cmdDistanceFilter);
    lookUp->addStretch();
    auto *clocks = new QVBoxLayout;
    clocks->setSpacing(0);
    clocks->addWidget(lblUTC);
    clocks->addWidget(lblLocal);
    lookUp->addLayout(clocks);

    auto *stepper = new QHBoxLayout;
    stepper->addWidget(lblkHz);
    stepper->addWidget(lblDAID);
    stepper->addWidget(scrBeaconNumber);
    stepper->addWidget(lblEntryNumber);
    stepper->addWidget(lblFound);
    stepper->addStretch();

    auto *details = new QGridLayout;
    details->setHorizontalSpacing(2);
    details->setVerticalSpacing(2);
    for (int row = 0; row < leftCaptions.size(); ++row)
        details->addWidget(leftCaptions[row], row, 0);
    for (int row = 0; row < rightCaptions.size(); ++row)
        details->addWidget(rightCaptions[row], row, 3);
    const QList<QLineEdit *> leftFields = {txtCountry, txtLocation, txtPower, txtLat, txtLon, txtLocator};
    for (int row = 0; row < leftFields.size(); ++row)
        details->addWidget(leftFields[row], row, 1);
    const QList<QLineEdit *> rightFields = {txtDistance, txtBearing, txtCurrent, txtCycle};
    for (int row = 0; row < rightFields.size(); ++row)
        details->addWidget(rightFields[row], row, 4);
    auto *offsets = new QHBoxLayout;
    offsets->setSpacing(6);
    offsets->addWidget(txtUSB);
    offsets->addWidget(txtLSB);
    details->addLayout(offsets, 4, 4);
    details->addWidget(txtComments, 6, 1, 1, 4);
    details->setColumnMinimumWidth(2, 10);
    details->addWidget(lstGotLogged, 3, 3, 3, 2);

    auto *logged = new QHBoxLayout;
    logged->addWidget(lblLogged);
    logged->addSpacing(10);
    logged->addWidget(lblGotLogged);
    logged->addStretch();

    auto *commands = new QHBoxLayout;
    commands->setSpacing(5);
    for (QPushButton *b :
         {cmdAddToLog, cmdQuickLog, cmdUpdate, cmdViewLog, cmdViewSession, cmdMapIt, cmdNearby, cmdExit})
        commands->addWidget(b);
    commands->addStretch();

    auto *coverage = new QHBoxLayout;
    coverage->setSpacing(4);
    coverage->addWidget(lblCoverage);
    coverage->addWidget(txtCoverage);
    coverage->addWidget(cmdUpdateNearby);
    coverage->addWidget(Command1);
    coverage->addSpacing(4);
    coverage->addWidget(lblSearch);
    coverage->addStretch();
    auto *list = new QGridLayout;
    list->addWidget(lstNearbyBeacons, 0, 0);
    list->addWidget(picBeaconList, 0, 0, Qt::AlignCenter);
    auto *nearby = new QVBoxLayout(m_nearbyPanel);
    nearby->setContentsMargins(0, 4, 0, 0);
    nearby->setSpacing(2);
    nearby->addLayout(coverage);
    nearby->addLayout(list, 1);
    nearby->addWidget(lblAlreadyLogged);

    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(8, 4, 8, 4);
    column->setSpacing(2);
    column->addLayout(lookUp);
    column->addLayout(stepper);
    column->addLayout(details);
    column->addLayout(logged);
    column->addLayout(commands);
    column->addStretch();
    column->addWidget(m_nearbyPanel, 1);
    lstGotLogged->raise();
    picGeneratingImage->raise();
    m_windowWidth = std::max(kDesignedWidth, central->minimumSizeHint().width());

    tmrTimeDate = new QTimer(this);
    tmrTimeDate->setObjectName(QStringLiteral("tmrTimeDate"));
    tmrTimeDate->setInterval(kClockIntervalMs);

    connect(cmdLookUp, &QPushButton::clicked, this, &frmMain::cmdLookUp_Click);
    connect(txtIdent, &QLineEdit::returnPressed, this, &frmMain::txtIdent_KeyPress_Enter);
    connect(cmdDistanceFilter, &QPushButton::clicked, this, &frmMain::cmdDistanceFilter_Click);
    connect(scrBeaconNumber, &QScrollBar::valueChanged, this, &frmMain::scrBeaconNumber_Change);
    connect(tmrTimeDate, &QTimer::timeout, this, &frmMain::tmrTimeDate_Timer);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);

    setNearbyPanelShown(false);
}

// The window covers its nearby panel by being short. Its heights are the designed ones,
// or what the font of the day needs above the panel, and with it.
void frmMain::setNearbyPanelShown(bool shown)
{
    m_nearbyPanel->setVisible(shown);
    const int designed = twipsToPixels(shown ? kTallHeightTwips : kShortHeightTwips);
    setFixedSize(m_windowWidth, std::max(designed, minimumSizeHint().height()));
}

void frmMain::buildMenus()
{
    auto action = [](QMenu *menu, const char *objectName, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QLatin1String(objectName));
        return a;
    };
    auto submenu = [](QMenu *parent, const char *objectName, const QString &text) {
        QMenu *m = parent->addMenu(text);
        m->setObjectName(QLatin1String(objectName));
        m->menuAction()->setObjectName(QLatin1String(objectName) + QStringLiteral("Action"));
        return m;
    };

    QMenuBar *bar = menuBar();
    mnuPreferences = bar->addAction(QStringLiteral("&Preferences"));
    mnuPreferences->setObjectName(QStringLiteral("mnuPreferences"));

    mnuTools = bar->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuBeaconRadar = submenu(mnuTools, "mnuBeaconRadar", QStringLiteral("Beacon Radar"));
    mnuDistanceCircle = action(mnuBeaconRadar, "mnuDistanceCircle", QStringLiteral("Static (Home Location)"));
    mnuDynamic = action(mnuBeaconRadar, "mnuDynamic", QStringLiteral("Dynamic (GPS Required)"));
    mnuDatabase = submenu(mnuTools, "mnuDatabase", QStringLiteral("Database"));
    mnuDBBackup = action(mnuDatabase, "mnuDBBackup", QStringLiteral("Backup"));
    mnuDBRestore = action(mnuDatabase, "mnuDBRestore", QStringLiteral("Restore"));
    mnuComparison = action(mnuTools, "mnuComparison", QStringLiteral("Comparison Charts"));
    mnuNAO = action(mnuTools, "mnuNAO", QStringLiteral("Auroral Oval Status"));
    cmdListeningReports = action(mnuTools, "cmdListeningReports", QStringLiteral("Listening Reports"));

    mnuLogFunctions = bar->addMenu(QStringLiteral("Log &Functions"));
    mnuLogFunctions->setObjectName(QStringLiteral("mnuLogFunctions"));
    mnuLogClear = submenu(mnuLogFunctions, "mnuLogClear", QStringLiteral("Log Clear"));
    mnuSessionClr = action(mnuLogClear, "mnuSessionClr", QStringLiteral("Session Clear"));
    mnuMasterClear = action(mnuLogClear, "mnuMasterClear", QStringLiteral("Master Log Clear"));
    mnuWeblogImport = action(mnuLogFunctions, "mnuWeblogImport", QStringLiteral("NDB Weblog"));
    mnuStatistics = action(mnuLogFunctions, "mnuStatistics", QStringLiteral("Log Statistics"));

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = action(mnuHelp, "mnuAbout", QStringLiteral("About"));
    mnuCnts = action(mnuHelp, "mnuCnts", QStringLiteral("Help Contents"));

    connect(mnuPreferences, &QAction::triggered, this, &frmMain::mnuPreferences_Click);
    connect(mnuDistanceCircle, &QAction::triggered, this, &frmMain::mnuDistanceCircle_Click);
    connect(cmdListeningReports, &QAction::triggered, this, &frmMain::cmdListeningReports_Click);
    connect(mnuStatistics, &QAction::triggered, this, &frmMain::mnuStatistics_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(cmdViewLog, &QPushButton::clicked, this, &frmMain::cmdViewLog_Click);
    connect(cmdViewSession, &QPushButton::clicked, this, &frmMain::cmdViewSession_Click);
    connect(mnuDBBackup, &QAction::triggered, this, &frmMain::mnuDBBackup_Click);
    connect(mnuDBRestore, &QAction::triggered, this, &frmMain::mnuDBRestore_Click);
}

// Commands whose window or procedure has not been built yet stay disabled, whatever
// the search and the statistics ask of them.
void frmMain::markUnavailableCommands()
{
    for (QObject *command : std::initializer_list<QObject *>{})
        m_commands.setAvailable(command, false);
}

void frmMain::showForm()
{
    bringToFront(this);
    Form_Activate();
}

// ---------------------------------------------------------------------------------
// Loading and activation

void frmMain::Form_Load()
{
    setNearbyPanelShown(false);
    lblGotLogged->hide();
    lstGotLogged->hide();
    refreshTitle();
    ClearBeaconDisplay();

    m_commands.setArmed(cmdNearby, false);
    lblDAID->hide();
    m_state.CurrentDAID = 0;
    m_state.LogRecordLength = 83;

    m_commands.setArmed(cmdAddToLog, false);
    m_commands.setArmed(cmdQuickLog, false);
    cmdAddToLog->setText(QStringLiteral("Log It"));
    lblLogged->hide();

    m_commands.setArmed(cmdMapIt, false);
    scrBeaconNumber->setEnabled(false);
    scrBeaconNumber->hide();
    lblEntryNumber->hide();

    const ProgramFolder &folder = m_state.folder;
    int tablesFound = 0;
    for (const char *table : {"state.dat", "region.dat", "country.dat"})
        tablesFound += fileExists(folder.path(QLatin1String(table))) ? 1 : 0;
    if (tablesFound != 3) {
        MessageBox::show(QStringLiteral("Country, State/Province and Region data missing."),
                         QStringLiteral("Load Error"));
        m_windows.endProgram(1);
        return;
    }

    int mapsFound = 0;
    for (const char *map : {"coast.pnt", "lake.pnt", "island.pnt", "river.pnt", "mapper.pnt", "prov.pnt",
                            "state.pnt", "country.pnt"})
        mapsFound += fileExists(folder.path(QStringLiteral("maps/") + QLatin1String(map))) ? 1 : 0;
    if (mapsFound != 8) {
        MessageBox::show(QStringLiteral("Map components missing. Your mapping options may be severely restricted."),
                         QStringLiteral("Load Error"));
    }

    tmrTimeDate->start();
}

void frmMain::Form_Activate()
{
    if (m_windows.hasEnded())
        return;
    m_state.LogFileName = MakeLogFileName(m_state.CurrentLocationIndex);
    cmdDistanceFilter->setText(m_state.DistanceFilterEnabled == 1 ? QStringLiteral("ON") : QStringLiteral("OFF"));
    refreshTitle();
    refreshClocks();

    const bool positionUnknown =
        numericValueOfText(txtLat->text()) == 0 && numericValueOfText(txtLon->text()) == 0;
    m_commands.setArmed(cmdMapIt, !positionUnknown);
    m_commands.setArmed(cmdNearby, !positionUnknown);

    setEnabled(true);
    focusIdent();
}

void frmMain::Form_GotFocus()
{
    m_state.RecordCount = databaseRecordCount(m_state.folder);
    focusIdent();
}

void frmMain::refreshTitle()
{
    const int index = m_state.CurrentLocationIndex;
    setWindowTitle(kTitlePrefix + m_windows.location()->cmbListeningLocation->itemText(index));
}

void frmMain::refreshClocks()
{
    refreshClockLabels(m_state, lblUTC, lblLocal);
}

void frmMain::tmrTimeDate_Timer()
{
    refreshClocks();
}

void frmMain::focusIdent()
{
    if (txtIdent->isEnabled())
        txtIdent->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------
// Look-up

void frmMain::cmdLookUp_Click()
{
    m_commands.setArmed(cmdNearby, false);
    SearchBeacons(txtIdent->text(), QByteArray(), m_state.DistanceFilterOn);
}

void frmMain::txtIdent_KeyPress_Enter()
{
    // The look-up button is disabled while the database is damaged; Enter obeys it.
    if (!cmdLookUp->isEnabled())
        return;
    lblEntryNumber->hide();
    lblFound->hide();
    SearchBeacons(txtIdent->text(), QByteArray(), m_state.DistanceFilterOn);
}

void frmMain::cmdDistanceFilter_Click()
{
    // Any stored value other than 1 counts as off, so the button always turns it on.
    m_state.DistanceFilterEnabled = m_state.DistanceFilterEnabled == 1 ? 0 : 1;
    m_state.DistanceFilterOn = m_state.DistanceFilterEnabled == 1;
    cmdDistanceFilter->setText(m_state.DistanceFilterOn ? QStringLiteral("ON") : QStringLiteral("OFF"));
    focusIdent();
}

void frmMain::setMatchStepperVisible(bool visible)
{
    scrBeaconNumber->setEnabled(visible);
    scrBeaconNumber->setVisible(visible);
    lblEntryNumber->setVisible(visible);
    lblFound->setVisible(visible);
}

// A typed character that no ident can hold (outside Windows-1252) stands for this
// byte, so it matches nothing instead of turning into the "?" wildcard.
static constexpr char kUnmatchableByte = '\x01';

void frmMain::SearchBeacons(const QString &text, const QByteArray &frequency, bool filterOn,
                            const ShownBeacon &viewed)
{
    ClearBeaconDisplay();
    txtIdent->setEnabled(false);
    cmdLookUp->setEnabled(false);
    lblEntryNumber->hide();

    const SearchContext context =
        SearchContext::fromState(m_state, m_windows.location()->optMetric->isChecked());
    const SearchResult result =
        qern::SearchBeacons(m_state.folder, toWindows1252(text, nullptr, kUnmatchableByte), frequency, filterOn,
                            context);

    m_state.SearchMatches = result.found() ? result.matches : QList<qint64>();
    m_state.SearchMatchCount = result.searchMatchCount();

    SearchOutcome outcome = result.outcome;
    std::optional<qsizetype> shownMatch = result.shownMatch;
    if (result.found() && looksUpViewed(viewed, toWindows1252(text), frequency)) {
        FileError error;
        shownMatch = positionOfViewed(m_state.folder, result.matches, viewed, &error);
        if (error.failed())
            MessageBox::show(error.messageText(), QStringLiteral("Error"));
        if (!shownMatch) {
            // Gone, or not to be told from its namesakes: no beacon rather than a guess.
            outcome = SearchOutcome::FrequencyNotAmongMatches;
            m_state.SearchMatches.clear();
            m_state.SearchMatchCount = 0;
        }
    }

    switch (outcome) {
    case SearchOutcome::Found: {
        const qint64 count = result.matches.size();
        const int shownPosition = static_cast<int>(*shownMatch) + 1;
        {
            const QSignalBlocker blocker(scrBeaconNumber);
            if (count > 1) {
                lblFound->setText(fromBytes("/" + signedText(count)));
                scrBeaconNumber->setRange(1, static_cast<int>(std::min<qint64>(count, INT_MAX)));
                scrBeaconNumber->setValue(shownPosition);
                lblEntryNumber->setText(QString::number(shownPosition));
                m_commands.setArmed(cmdNearby, false);
            }
            setMatchStepperVisible(count > 1);
        }
        m_commands.setArmed(cmdAddToLog, true);
        m_commands.setArmed(cmdQuickLog, true);
        lblkHz->show();
        ShowBeacon(result.matches[*shownMatch]);
        txtIdent->clear();
        break;
    }
    case SearchOutcome::FrequencyNotAmongMatches:
        // Nothing to show: the beacon that was on display is no longer armed for logging.
        m_commands.setArmed(cmdAddToLog, false);
        m_commands.setArmed(cmdQuickLog, false);
        break;
    case SearchOutcome::NotFound:
        ClearBeaconDisplay();
        lblFound->clear();
        m_commands.setArmed(cmdAddToLog, false);
        m_commands.setArmed(cmdQuickLog, false);
        lblGotLogged->hide();
        MessageBox::show(result.messageText(), result.messageTitle());
        break;
    case SearchOutcome::EmptyText:
    case SearchOutcome::WildcardsOnly:
    case SearchOutcome::BadPattern:
    case SearchOutcome::ReadError:
        MessageBox::show(result.messageText(), result.messageTitle());
        break;
    }

    // A database the integrity check found damaged keeps the look-up disabled.
    m_commands.setArmed(cmdLookUp, !m_integrityFailed);
    txtIdent->setEnabled(true);
    focusIdent();
}

void frmMain::scrBeaconNumber_Change(int value)
{
    lblEntryNumber->setText(QString::number(value));
    if (value >= 1 && value <= m_state.SearchMatches.size() && value <= m_state.SearchMatchCount)
        ShowBeacon(m_state.SearchMatches[value - 1]);
}

// ---------------------------------------------------------------------------------
// Beacon display

void frmMain::ShowBeacon(qint64 recNo)
{
    frmLocation *preferences = m_windows.location();
    const DisplayContext context = DisplayContext::fromState(
        m_state, &m_state.Countries, &m_state.States, preferences->optImperial->isChecked(),
        preferences->locationNames(), preferences->dxLoggerSignature());
    const BeaconDisplay display = qern::ShowBeacon(m_state.folder, recNo, context);

    if (display.cleared) {
        ClearBeaconDisplay();
        if (display.error.failed())
            MessageBox::show(display.error.messageText(), QStringLiteral("Error"));
        return;
    }
    display.applyTo(m_state);
    m_shownBeacon = display.shown;

    lblDAID->setVisible(display.lblDAIDVisible);
    txtComments->setText(fromBytes(display.txtComments));
    txtUSB->setText(fromBytes(display.txtUSB));
    txtLSB->setText(fromBytes(display.txtLSB));
    txtCycle->setText(fromBytes(display.txtCycle));
    lblkHz->setText(fromBytes(display.lblkHz));
    lblkHz->show();
    txtCountry->setText(fromBytes(display.txtCountry));

    lstGotLogged->clear();
    for (const QByteArray &line : display.lstGotLogged)
        lstGotLogged->addItem(fromBytes(line));
    lblLogged->setText(fromBytes(display.lblLoggedCaption));
    lblLogged->setVisible(display.lblLoggedVisible);
    lblGotLogged->setVisible(display.lblGotLoggedVisible);

    txtLocation->setText(fromBytes(display.txtLocation));
    txtPower->setText(fromBytes(display.txtPower));
    txtLat->setText(fromBytes(display.txtLat));
    txtLon->setText(fromBytes(display.txtLon));
    txtCurrent->setText(fromBytes(display.txtCurrent));
    txtLocator->setText(fromBytes(display.txtLocator));
    txtDistance->setText(fromBytes(display.txtDistance));
    txtBearing->setText(fromBytes(display.txtBearing));
    m_commands.setArmed(cmdMapIt, display.cmdMapItEnabled);
    m_commands.setArmed(cmdNearby, display.cmdNearbyEnabled);

    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(fromBytes(display.clipboardLine));
    }
    if (display.logbookError.failed())
        MessageBox::show(display.logbookError.messageText(), QStringLiteral("Error"));
}

void frmMain::ClearBeaconDisplay()
{
    lblkHz->clear();
    for (QLineEdit *box : {txtCountry, txtLocation, txtPower, txtLat, txtLon, txtLocator, txtDistance, txtBearing,
                           txtCycle, txtUSB, txtLSB, txtCurrent, txtComments})
        box->clear();
    lblDAID->hide();
    scrBeaconNumber->hide();
    lblEntryNumber->hide();
    lblFound->hide();
    lblLogged->hide();
    for (QObject *command : std::initializer_list<QObject *>{cmdAddToLog, cmdQuickLog, cmdMapIt, cmdNearby})
        m_commands.setArmed(command, false);
    clearBeaconState(m_state);
    m_shownBeacon = {};
    lblGotLogged->hide();
}

void frmMain::forgetSearchMatches()
{
    m_state.SearchMatches.clear();
    setMatchStepperVisible(false);
}

void frmMain::databaseSorted()
{
    forgetSearchMatches();
    // The sort moves records whole: the beacon on display is followed to its record.
    if (!m_shownBeacon.isEmpty())
        followShownBeacon(false);
}

// Its record holds another beacon now: the beacon is shown where it stands.
void frmMain::showBeaconAgain()
{
    forgetSearchMatches();
    followShownBeacon(true);
}

// The beacon on display is followed to the one record holding it now (shown there
// again when showAgain); the display is cleared when none or several do. A read error
// is told, and the display stays as it is.
void frmMain::followShownBeacon(bool showAgain)
{
    const FoundBeacon found = findShownBeacon(m_state.folder, m_shownBeacon);
    if (found.error.failed()) {
        MessageBox::show(found.error.messageText(), QStringLiteral("Error"));
        return;
    }
    if (!found.found())
        ClearBeaconDisplay();
    else if (showAgain)
        ShowBeacon(found.recordNumber);
    else
        m_shownBeacon.recordNumber = found.recordNumber;
}

void frmMain::txtLat_Click()
{
    const QByteArray &t = m_state.BeaconLatitudeText;
    if (txtLat->text().isEmpty())
        return;
    txtLat->setText(fromBytes(t.mid(1, 2) + "." + t.mid(3, 2) + "." + t.mid(5, 2) + "." + t.left(1)));
}

void frmMain::txtLon_Click()
{
    const QByteArray &t = m_state.BeaconLongitudeText;
    if (txtLon->text().isEmpty())
        return;
    txtLon->setText(fromBytes(t.mid(1, 3) + "." + t.mid(4, 2) + "." + t.mid(6, 2) + "." + t.left(1)));
}

void frmMain::lblGotLogged_MouseMove()
{
    lstGotLogged->show();
    lstGotLogged->raise();
}

void frmMain::hideLoggedList()
{
    lstGotLogged->hide();
}

// ---------------------------------------------------------------------------------
// Integrity check and statistics

void frmMain::disableAfterFailedCheck(bool touchBackupItems)
{
    if (touchBackupItems) {
        m_commands.setArmed(mnuDBBackup, false);
        m_commands.setArmed(mnuDBRestore, true);
    }
    for (QObject *command : std::initializer_list<QObject *>{cmdLookUp, cmdUpdate, mnuLogClear->menuAction(),
                                                               mnuWeblogImport, mnuDistanceCircle})
        m_commands.setArmed(command, false);
    m_integrityFailed = true;
}

void frmMain::enableAfterPassedCheck()
{
    for (QObject *command : std::initializer_list<QObject *>{mnuDBBackup, cmdLookUp, cmdUpdate,
                                                               mnuLogClear->menuAction(), mnuWeblogImport,
                                                               mnuDistanceCircle})
        m_commands.setArmed(command, true);
    m_integrityFailed = false;
}

void frmMain::CheckDatabaseIntegrity()
{
    applyIntegrityCheck(qern::CheckDatabaseIntegrity(m_state.folder, m_state.RecordCount));
}

void frmMain::applyIntegrityCheck(const IntegrityResult &result)
{
    m_state.RecordCount = result.recordCount;
    if (result.ok()) {
        if (m_integrityFailed)
            enableAfterPassedCheck();
        return;
    }
    MessageBox::show(result.message(), QStringLiteral("Error"));
    disableAfterFailedCheck(result.verdict == IntegrityVerdict::RecordsMismatched);
}

void frmMain::GatherDatabaseStatistics(bool checkFirst)
{
    std::array<QByteArray, kStatisticsLocations> names;
    const std::array<QByteArray, kLocationCount> listed = m_windows.location()->locationNames();
    std::copy(listed.begin(), listed.end(), names.begin());

    // The check and the count share one read of the database.
    DatabaseStatistics statistics;
    if (checkFirst) {
        CheckedStatistics checked = CheckAndGatherStatistics(m_state.folder, names, m_state.CurrentLocationIndex,
                                                             m_state.RecordCount, letEventsRun);
        applyIntegrityCheck(checked.integrity);
        statistics = std::move(checked.statistics);
    } else {
        statistics = qern::GatherDatabaseStatistics(m_state.folder, names, m_state.CurrentLocationIndex, letEventsRun);
    }

    m_state.RecordCount = statistics.RecordCount;
    if (statistics.databaseMissing)
        MessageBox::show(QStringLiteral("NDB Database not found. Try restoring from a backup."),
                         QStringLiteral("Missing Database"));
    else if (statistics.readError.failed())
        MessageBox::show(statistics.readError.messageText(), QStringLiteral("Error"));

    if (statistics.LoggedCountHere)
        m_state.LoggedCountHere = *statistics.LoggedCountHere;
    if (statistics.cmdViewLogEnabled)
        m_commands.setArmed(cmdViewLog, *statistics.cmdViewLogEnabled);
    if (statistics.cmdViewSessionEnabled) {
        m_commands.setArmed(cmdViewSession, *statistics.cmdViewSessionEnabled);
        m_commands.setArmed(mnuSessionClr, *statistics.cmdViewSessionEnabled);
    }
    m_state.StatisticsText1 = statistics.StatisticsText1;
    m_state.StatisticsText2 = statistics.StatisticsText2;
    m_state.StatisticsText3 = statistics.StatisticsText3;
    m_commands.setArmed(mnuMasterClear, statistics.mnuMasterClearEnabled);
    if (m_windows.isMasterLogClearLoaded())
        m_windows.masterLogClear()->applyStatistics(statistics);
}

void frmMain::mnuStatistics_Click()
{
    GatherDatabaseStatistics(false);
    const QByteArray text = m_state.StatisticsText1 + '\r' + m_state.StatisticsText2 + '\r' + m_state.StatisticsText3;
    MessageBox::show(fromBytes(text), QStringLiteral("QERN Statistics               "));
}

void frmMain::mnuAbout_Click()
{
    MessageBox::show(QStringLiteral("QERN - the beacon hunter's logbook, version 6.2\r"
                                    "Written by the QERN developers; write to them through the project's issue tracker\r"
                                    "Visit the QERN project's web site for updates\r"
                                    "Beacon data: X-Plane navigation data (2013.10) by Robin A. Peel, GPL\r"),
                     QStringLiteral("About..."));
}

// ---------------------------------------------------------------------------------
// Other windows

void frmMain::SetEditorRequest()
{
    if (m_state.SearchMatchCount > 0 && !m_shownBeacon.isEmpty()) {
        m_state.EditRecordNumber = m_shownBeacon.recordNumber;
        m_state.NewRecordFlag = 0;
    } else {
        m_state.NewRecordFlag = 1;
        m_state.EditRecordNumber = databaseRecordCount(m_state.folder) + 1;
    }
    m_state.EditorOpenedFromMain = true;
}

void frmMain::mnuPreferences_Click()
{
    setEnabled(false);
    letEventsRun();
    m_windows.location()->showForm();
}

void frmMain::mnuDistanceCircle_Click()
{
    m_windows.distanceCircle()->showForm();
    setEnabled(false);
}

void frmMain::mnuDBBackup_Click()
{
    m_windows.backup()->exec();
}

void frmMain::mnuDBRestore_Click()
{
    m_windows.restore()->showForm();
}

void frmMain::cmdListeningReports_Click()
{
    setEnabled(false);
    m_windows.listeningReports()->showForm();
}

void frmMain::cmdViewLog_Click()
{
    m_state.LogSelectCurrent = !m_state.CurrentFrequency.isEmpty();
    m_state.LogViewMode = kLogViewLogbook;
    m_windows.log()->showForm();
    hide();
}

void frmMain::cmdViewSession_Click()
{
    m_state.LogViewMode = kLogViewSession;
    m_windows.log()->showForm();
    hide();
}

void frmMain::cmdExit_Click()
{
    m_windows.endProgram(0);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Form_Unload: closing the main window ends the program, nothing is saved.
    event->accept();
    m_windows.endProgram(0);
}

void frmMain::focusInEvent(QFocusEvent *event)
{
    QMainWindow::focusInEvent(event);
    Form_GotFocus();
}

// ---------------------------------------------------------------------------------
// Logging and clearing logs

void frmMain::connectLogging()
{
    connect(cmdQuickLog, &QPushButton::clicked, this, &frmMain::cmdQuickLog_Click);
    connect(cmdAddToLog, &QPushButton::clicked, this, &frmMain::cmdAddToLog_Click);
    connect(mnuSessionClr, &QAction::triggered, this, &frmMain::mnuSessionClr_Click);
    connect(mnuMasterClear, &QAction::triggered, this, &frmMain::mnuMasterClear_Click);
}

void frmMain::cmdQuickLog_Click()
{
    if (m_shownBeacon.isEmpty())
        return;
    refreshClocks();

    ClockTexts clock;
    clock.UTCTimeText = m_state.UTCTimeText;
    clock.UTCDateText = m_state.UTCDateText;
    const ReceptionResult result =
        writeReception(m_state.folder, m_shownBeacon, m_state.CurrentLocationIndex,
                       quickLogInput(m_shownBeacon.ident, m_shownBeacon.frequency, clock));
    if (result.beaconMoved) {
        showBeaconAgain();
        MessageBox::show(QLatin1String(kBeaconMovedText), QStringLiteral("Error"));
        focusIdent();
        return;
    }
    if (result.error) {
        MessageBox::show(result.messageText(), QStringLiteral("Error"));
        focusIdent();
        return;
    }

    GatherDatabaseStatistics(true);
    ShowBeacon(m_shownBeacon.recordNumber);
    focusIdent();
}

void frmMain::cmdAddToLog_Click()
{
    setEnabled(false);
    m_windows.receptionComments()->showForm();
}

void frmMain::mnuSessionClr_Click()
{
    const MsgAnswer answer =
        MessageBox::show(QLatin1String(kSessionClearQuestion), QLatin1String(kSessionClearQuestionTitle),
                         MsgButtons::YesNo, MsgIcon::Critical);
    if (answer != MsgAnswer::Yes) {
        MessageBox::show(QLatin1String(kSessionNotClearedText));
        return;
    }
    const SessionClearResult result = clearSession(m_state.folder);
    // Recounted unless the files are as they were (a database that is missing or
    // cannot be read would be told twice).
    if (!result.error || !result.takenBack.confirmed())
        GatherDatabaseStatistics(false);
    if (result.error)
        MessageBox::show(result.messageText(), QStringLiteral("Error"));
    else
        MessageBox::show(QLatin1String(kSessionClearedText));
}

void frmMain::mnuMasterClear_Click()
{
    // Loaded first, so that the statistics write its boxes.
    frmMasterLogClear *window = m_windows.masterLogClear();
    GatherDatabaseStatistics(true);
    window->showModal();
    m_windows.returnToMain();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == txtLat)
            txtLat_Click();
        else if (watched == txtLon)
            txtLon_Click();
    } else if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == lblGotLogged) {
            lblGotLogged_MouseMove();
            return true; // unhandled, it would reach the window below and close the list again
        }
        if (watched == lblLogged || watched == centralWidget() || watched == lstGotLogged->viewport())
            hideLoggedList();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// Nearby beacons, the map and the help page

void frmMain::connectNearbyMapAndHelp()
{
    connect(cmdNearby, &QPushButton::clicked, this, &frmMain::cmdNearby_Click);
    connect(cmdUpdateNearby, &QPushButton::clicked, this, &frmMain::cmdUpdateNearby_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(cmdMapIt, &QPushButton::clicked, this, &frmMain::cmdMapIt_Click);
    connect(mnuCnts, &QAction::triggered, this, &frmMain::mnuCnts_Click);
    txtCoverage->installEventFilter(
        new EnterKeyFilter(txtCoverage, [this](int &keyAscii) { txtCoverage_KeyPress(keyAscii); }));
}

void frmMain::cmdNearby_Click()
{
    m_nearbyLines->clear();
    lblSearch->setText(QStringLiteral(" ")); // no count for a list being rebuilt
    picBeaconList->show();
    picBeaconList->raise();
    NearbyCentreLat = toWindows1252(txtLat->text());
    NearbyCentreLon = toWindows1252(txtLon->text());
    setNearbyPanelShown(true);

    const bool imperial = m_windows.location()->optImperial->isChecked();
    lblCoverage->setText(fromBytes(nearbyCoverageCaption(m_state.ShownIdent, m_state.ShownFrequency, imperial)));
    txtCoverage->setText(fromBytes(proposedNearbyRadius(imperial)));

    letEventsRun();
    FindNearbyBeacons(numericValueOfText(txtCoverage->text()), NearbyCentreLat, NearbyCentreLon);
    focusIdent();
}

void frmMain::cmdUpdateNearby_Click()
{
    picBeaconList->show();
    picBeaconList->raise();
    m_commands.setArmed(cmdUpdateNearby, false);
    m_nearbyLines->clear();
    lblSearch->setText(QStringLiteral(" "));
    letEventsRun();
    FindNearbyBeacons(numericValueOfText(txtCoverage->text()), NearbyCentreLat, NearbyCentreLon);
}

void frmMain::txtCoverage_KeyPress(int &KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    cmdUpdateNearby_Click();
}

void frmMain::Command1_Click()
{
    setNearbyPanelShown(false);
    focusIdent();
}

void frmMain::FindNearbyBeacons(double radius, const QByteArray &centreLat, const QByteArray &centreLon)
{
    lblAlreadyLogged->hide();

    // No event runs during the build, so no command can reach the database meanwhile
    // and no click the list; the list is then filled in one step. (Disabling it for
    // that time would change nothing the user sees, yet cost a relayout of its lines.)
    const NearbyContext context = NearbyContext::fromState(m_state, &m_state.Countries, &m_state.States,
                                                           m_windows.location()->optImperial->isChecked());
    NearbyResult result = qern::FindNearbyBeacons(m_state.folder, radius, centreLat, centreLon, context);

    // After a failure the panel is usable again, so the user can retry.
    m_commands.setArmed(cmdUpdateNearby, true);
    picBeaconList->hide();
    if (result.hasMessage()) {
        m_nearbyLines->clear();
        lblSearch->setText(QStringLiteral(" "));
        MessageBox::show(result.messageText(), result.messageTitle());
        return;
    }
    lblSearch->setText(fromBytes(result.lblSearchCaption()));
    lblAlreadyLogged->setVisible(result.loggedFlag);
    m_nearbyLines->setLines(std::move(result));
    letEventsRun();
}

void frmMain::cmdMapIt_Click()
{
    const QWidget *client = centralWidget();
    picGeneratingImage->move((client->width() - picGeneratingImage->width()) / 2,
                             (client->height() - picGeneratingImage->height()) / 2);
    picGeneratingImage->show();
    picGeneratingImage->raise();
    letEventsRun();

    frmDisplay *display = m_windows.display(); // its Form_Load hides this window
    display->setUse(frmDisplay::Use::MapIt);
    display->shBlocker->show();
    display->cmdToggle->hide();
    m_commands.setArmed(cmdMapIt, false);

    m_state.MapRange = mapRangeForDistance(toWindows1252(txtDistance->text()));
    display->DrawMapDisplay(m_state.BeaconLatitudeDeg / kDegreesPerRadian, m_state.BeaconLongitudeDeg / kDegreesPerRadian,
                            m_state.MapRange, m_state.ShownIdent, m_state.ShownFrequency);
}

void frmMain::mnuCnts_Click()
{
    hide();
    m_state.BrowserTitle = QStringLiteral("QERN Help");
    m_state.BrowserURL = m_state.folder.path(QStringLiteral("help.htm"));
    m_windows.browser()->showForm();
}

// ---------------------------------------------------------------------------------
// The beacon editor and the windows of the tools and weblog menus

void frmMain::connectEditorAndNeighbours()
{
    connect(cmdUpdate, &QPushButton::clicked, this, &frmMain::cmdUpdate_Click);
    connect(mnuDynamic, &QAction::triggered, this, &frmMain::mnuDynamic_Click);
    connect(mnuComparison, &QAction::triggered, this, &frmMain::mnuComparison_Click);
    connect(mnuNAO, &QAction::triggered, this, &frmMain::mnuNAO_Click);
    connect(mnuWeblogImport, &QAction::triggered, this, &frmMain::mnuWeblogImport_Click);
}

void frmMain::cmdUpdate_Click()
{
    SetEditorRequest();
    frmName *editor = m_windows.editor(); // its Form_Load reads the request
    editor->Command1->setEnabled(true);
    editor->showModal();
}

void frmMain::mnuDynamic_Click()
{
    m_windows.gpsRadar()->showForm();
    hide();
}

void frmMain::mnuComparison_Click()
{
    m_windows.beaconsPerBearing()->showForm();
}

void frmMain::mnuNAO_Click()
{
    m_windows.auroralOval()->showForm();
}

void frmMain::mnuWeblogImport_Click()
{
    m_windows.weblogImport()->showForm();
    setEnabled(false);
}

} // namespace qern
