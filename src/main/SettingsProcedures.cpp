#include "SettingsProcedures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include "ClockTexts.h"
#include "FormSupport.h"
#include "MessageBox.h"
#include "NumberText.h"
#include "Preferences.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmListeningReports.h"

namespace qern {

namespace {

constexpr int kGpsSetupTab = 2;

QStringList portsToOffer(const WindowSet &windows)
{
    return windows.serialPorts().mid(0, kMaxGpsPorts);
}

void applyCheck(QCheckBox *box, const CheckValue &value)
{
    if (value)
        setCheckValue(box, *value);
}

void applyDetail(QScrollBar *bar, const std::optional<int> &value)
{
    if (value)
        setDetailValue(bar, *value);
}

} // namespace

void ProbeComPorts(WindowSet &windows)
{
    SharedState &state = windows.state();
    frmMain *main = windows.main();
    if (windows.hasEnded())
        return;
    frmLocation *preferences = windows.location();

    state.GpsPortFound = false;
    main->commands().setArmed(main->mnuDynamic, false);
    preferences->tabPreferences1->setTabEnabled(kGpsSetupTab, false);
    preferences->cmbPort->clear();

    const QStringList ports = portsToOffer(windows);
    for (int n = 1; n <= ports.size(); ++n) {
        preferences->tabPreferences1->setTabEnabled(kGpsSetupTab, true);
        state.GpsPortFound = true;
        main->commands().setArmed(main->mnuDynamic, true);
        preferences->cmbPort->addItem(QString::number(n));
    }
    preferences->cmbPort->setCurrentIndex(-1);
    preferences->setPortNames(ports);
}

void LoadPreferences(WindowSet &windows)
{
    ProbeComPorts(windows);
    if (windows.hasEnded())
        return;

    SharedState &state = windows.state();
    const RegistryStore &store = windows.store();
    frmLocation *preferences = windows.location();

    PreferencesContext context;
    context.portsFound = portsToOffer(windows);
    context.currentLocationIndex = state.CurrentLocationIndex;
    context.showDetailMin = frmLocation::kDetailMin;
    context.showDetailMax = frmLocation::kDetailMax;
    context.radarDetailMin = frmDistanceCircle::kDetailMin;
    context.radarDetailMax = frmDistanceCircle::kDetailMax;
    const LoadedPreferences loaded = qern::LoadPreferences(store, context);

    state.LocationLat = loaded.LocationLat;
    state.LocationLon = loaded.LocationLon;
    if (loaded.CurrentLocationIndex)
        state.CurrentLocationIndex = *loaded.CurrentLocationIndex;
    state.LocationName = loaded.LocationName;
    state.BeaconLatitudeDeg = loaded.BeaconLatitudeDeg;
    state.BeaconLongitudeDeg = loaded.BeaconLongitudeDeg;
    state.LocationLocator = loaded.LocationLocator;

    if (loaded.GpsPortFound) {
        if (loaded.ComPortIndex)
            preferences->cmbPort->setCurrentIndex(*loaded.ComPortIndex);
        if (loaded.ComSpeedIndex)
            preferences->cmbSpeed->setCurrentIndex(*loaded.ComSpeedIndex);
        if (loaded.ComParityIndex)
            preferences->cmbParity->setCurrentIndex(*loaded.ComParityIndex);
    }

    windows.listeningReports()->cmbListeningLocation->clear();

    // Filled into an empty list, so running the loader again never doubles the names.
    preferences->cmbListeningLocation->clear();
    for (const QByteArray &item : loaded.LocationListItems)
        preferences->cmbListeningLocation->addItem(fromWindows1252(item));
    preferences->cmbListeningLocation->setCurrentIndex(state.CurrentLocationIndex);
    preferences->txtDXLogger->setText(fromWindows1252(loaded.DXLoggerSignature));

    applyCheck(preferences->chkLakes, loaded.ShowLakes);
    applyCheck(preferences->chkStates, loaded.ShowStates);
    applyCheck(preferences->chkIslands, loaded.ShowIslands);
    applyCheck(preferences->chkRivers, loaded.ShowRivers);
    applyCheck(preferences->chkBorders, loaded.ShowBorders);
    preferences->optMetric->setChecked(loaded.Metric);
    preferences->optImperial->setChecked(!loaded.Metric);

    if (loaded.DistanceFilterValue)
        state.DistanceFilterValue = *loaded.DistanceFilterValue;
    if (loaded.DistanceFilterEnabled)
        state.DistanceFilterEnabled = *loaded.DistanceFilterEnabled;
    if (loaded.DistanceFilterOn)
        state.DistanceFilterOn = *loaded.DistanceFilterOn;
    preferences->txtDistanceFilter->setText(fromWindows1252(digitsText(state.DistanceFilterValue)));

    applyDetail(preferences->HScroll2, loaded.ShowDetail);
    state.WeblogFolder = loaded.WeblogFolder;

    frmDistanceCircle *radar = windows.distanceCircle();
    applyCheck(radar->chkLakes, loaded.RadarLakes);
    applyCheck(radar->chkStates, loaded.RadarStates);
    applyCheck(radar->chkIslands, loaded.RadarIslands);
    applyCheck(radar->chkRivers, loaded.RadarRivers);
    applyCheck(radar->chkBorders, loaded.RadarBorders);
    applyDetail(radar->HSDetail, loaded.RadarDetail);
    applyCheck(radar->chkShowAll, loaded.RadarAll);
    applyCheck(radar->chkShowLogged, loaded.RadarLogged);
    applyCheck(radar->chkShowDGPS, loaded.RadarDGPS);
    applyCheck(radar->chkShowNavtex, loaded.RadarNavtex);
    applyCheck(radar->chkShowSession, loaded.RadarSession);
    if (loaded.BeaconRadarFolder)
        state.BeaconRadarFolder = *loaded.BeaconRadarFolder;
    if (loaded.BeaconRadarFile)
        state.BeaconRadarFile = *loaded.BeaconRadarFile;
    radar->txtBeaconRadar->setText(fromWindows1252(loaded.txtBeaconRadar));

    RefreshClockTexts(state);

    // A store that cannot be read was reported once at start-up; every setting
    // failing after it would only repeat that.
    if (store.isReadable()) {
        for (const ConversionError &error : loaded.errors)
            MessageBox::show(error.description);
    }
}

void SavePreferences(WindowSet &windows)
{
    SharedState &state = windows.state();
    frmLocation *preferences = windows.location();

    PreferencesToSave values;
    values.LocationLat = state.LocationLat;
    values.LocationLon = state.LocationLon;
    const std::array<QByteArray, kLocationCount> names = preferences->locationNames();
    std::copy(names.begin(), names.end(), values.LocationListItems.begin());
    values.selectedLocationIndex = preferences->cmbListeningLocation->currentIndex();
    values.DXLoggerSignature = preferences->dxLoggerSignature();
    values.DistanceFilterText = toWindows1252(preferences->txtDistanceFilter->text());
    values.DistanceFilterEnabled = state.DistanceFilterEnabled;
    values.ShowLakes = checkValue(preferences->chkLakes);
    values.ShowStates = checkValue(preferences->chkStates);
    values.ShowIslands = checkValue(preferences->chkIslands);
    values.ShowRivers = checkValue(preferences->chkRivers);
    values.ShowBorders = checkValue(preferences->chkBorders);
    values.Metric = preferences->optMetric->isChecked();
    values.ShowDetail = detailValue(preferences->HScroll2);
    values.ComPortIndex = preferences->cmbPort->currentIndex();
    values.ComSpeedIndex = preferences->cmbSpeed->currentIndex();
    values.ComParityIndex = preferences->cmbParity->currentIndex();

    qern::SavePreferences(windows.store(), values);
    preferences->cmbListeningLocation->clear();
    LoadPreferences(windows);
}

} // namespace qern
