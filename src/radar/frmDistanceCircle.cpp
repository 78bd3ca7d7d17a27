#include "frmDistanceCircle.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "NumberText.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "startup/frmFileOperation.h"

namespace qern {

frmDistanceCircle::frmDistanceCircle(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmDistanceCircle"));
    setWindowTitle(QStringLiteral("Beacon Radar"));

    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };
    auto check = [&](QLayout *layout, const char *objectName, const QString &text) {
        auto *box = new QCheckBox(text);
        name(box, objectName);
        layout->addWidget(box);
        return box;
    };

    auto *features = new QGroupBox(tr("Map Features"));
    auto *featureColumn = new QVBoxLayout(features);
    chkLakes = check(featureColumn, "chkLakes", QStringLiteral("Lakes"));
    chkStates = check(featureColumn, "chkStates", QStringLiteral("US States/Canadian Provinces"));
    chkIslands = check(featureColumn, "chkIslands", QStringLiteral("Islands"));
    chkRivers = check(featureColumn, "chkRivers", QStringLiteral("Rivers"));
    chkBorders = check(featureColumn, "chkBorders", QStringLiteral("Borders"));
    featureColumn->addWidget(new QLabel(QStringLiteral("MAP DETAIL")));
    auto *detailRow = new QHBoxLayout;
    detailRow->addWidget(new QLabel(QStringLiteral("Less")));
    HSDetail = newDetailScrollBar("HSDetail", kDetailMin, kDetailMax);
    HSDetail->setMinimumWidth(140);
    detailRow->addWidget(HSDetail);
    detailRow->addWidget(new QLabel(QStringLiteral("More")));
    featureColumn->addLayout(detailRow);

    auto *beacons = new QGroupBox(tr("Beacons"));
    auto *beaconColumn = new QVBoxLayout(beacons);
    chkShowAll = check(beaconColumn, "chkShowAll", QStringLiteral("Show All Beacons"));
    chkShowLogged = check(beaconColumn, "chkShowLogged", QStringLiteral("Show Logged Beacons"));
    chkShowSession = check(beaconColumn, "chkShowSession", QStringLiteral("Show CLE/Session Beacons"));
    chkShowDGPS = check(beaconColumn, "chkShowDGPS", QStringLiteral("Show DGPS stations"));
    chkShowNavtex = check(beaconColumn, "chkShowNavtex", QStringLiteral("Show Navtex Stations"));
    beaconColumn->addStretch();

    auto *groups = new QHBoxLayout;
    groups->addWidget(features);
    groups->addWidget(beacons);

    auto *form = new QFormLayout;
    txtRange = new QLineEdit;
    name(txtRange, "txtRange");
    form->addRow(tr("Range"), txtRange);
    auto *fileRow = new QHBoxLayout;
    txtBeaconRadar = new QLineEdit;
    name(txtBeaconRadar, "txtBeaconRadar");
    cmdBeaconReport = new QPushButton(QStringLiteral("..."));
    name(cmdBeaconReport, "cmdBeaconReport");
    fileRow->addWidget(txtBeaconRadar, 1);
    fileRow->addWidget(cmdBeaconReport);
    form->addRow(tr("Radar text file"), fileRow);

    cmdSavePrefs = new QPushButton(QStringLiteral("Save as Default"));
    name(cmdSavePrefs, "cmdSavePrefs");
    cmdExit = new QPushButton(QStringLiteral("Exit"));
    name(cmdExit, "cmdExit");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSavePrefs);
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout(this);
    column->addLayout(groups);
    column->addLayout(form);
    column->addLayout(buttons);

    connect(cmdSavePrefs, &QPushButton::clicked, this, &frmDistanceCircle::cmdSavePrefs_Click);
    connect(cmdBeaconReport, &QPushButton::clicked, this, &frmDistanceCircle::cmdBeaconReport_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmDistanceCircle::cmdExit_Click);
}

void frmDistanceCircle::showForm()
{
    bringToFront(this);
}

void frmDistanceCircle::cmdSavePrefs_Click()
{
    const std::optional<QByteArray> path = storableText(
        txtBeaconRadar->text(), QStringLiteral("The file name holds characters that cannot be stored."));
    if (!path)
        return;
    RegistryStore &store = m_windows.store();
    RegistryStore::Batch batch(store);
    auto number = [&store](const char *valueName, int value) {
        store.SetRegistryValue(RegistryKeys::RadarPreferences, kRegistryNumber, valueName, digitsText(value));
    };
    number("RadarLakes", checkValue(chkLakes));
    number("RadarStates", checkValue(chkStates));
    number("RadarIslands", checkValue(chkIslands));
    number("RadarRivers", checkValue(chkRivers));
    number("RadarBorders", checkValue(chkBorders));
    number("RadarDetail", detailValue(HSDetail));
    number("RadarAll", checkValue(chkShowAll));
    number("RadarLogged", checkValue(chkShowLogged));
    number("RadarSession", checkValue(chkShowSession));
    number("RadarDGPS", checkValue(chkShowDGPS));
    number("RadarNavtex", checkValue(chkShowNavtex));
    store.SetRegistryValue(RegistryKeys::FilePath, kRegistryString, "BeaconRadarPath", *path);
    batch.finish();
}

void frmDistanceCircle::cmdBeaconReport_Click()
{
    const SharedState &state = m_windows.state();
    openPathChooser(m_windows, txtBeaconRadar, 4, fromWindows1252(state.BeaconRadarFolder),
                    fromWindows1252(state.BeaconRadarFile));
}

void frmDistanceCircle::cmdExit_Click()
{
    hide();
    m_windows.returnToMain();
}

void frmDistanceCircle::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdExit_Click();
}

} // namespace qern
