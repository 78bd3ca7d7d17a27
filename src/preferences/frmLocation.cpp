#include "frmLocation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "Geodesy.h"
#include "NumberText.h"
#include "Preferences.h"
#include "RegistryStore.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/SettingsProcedures.h"
#include "main/frmMain.h"

namespace qern {

namespace {

enum class Entry { Incomplete, Valid, Invalid };

// A coordinate as typed: latitude DDMMSS + N/S, longitude DDDMMSS + E/W (one more
// digit is tolerated before the letter, as the first-run default has it).
Entry checkCoordinate(const QString &typed, bool latitude)
{
    const QString text = typed.trimmed().toUpper();
    const int degreeDigits = latitude ? 2 : 3;
    const int digits = degreeDigits + 4;
    const QString hemispheres = latitude ? QStringLiteral("NS") : QStringLiteral("EW");
    const QRegularExpression complete(QStringLiteral("^(\\d{%1})(\\d\\d)(\\d\\d)\\d{0,%2}([%3])$")
                                          .arg(degreeDigits)
                                          .arg(latitude ? 0 : 1)
                                          .arg(hemispheres));
    const QRegularExpressionMatch match = complete.match(text);
    if (match.hasMatch()) {
        const int degrees = match.captured(1).toInt();
        const int minutes = match.captured(2).toInt();
        const int seconds = match.captured(3).toInt();
        const int maxDegrees = latitude ? 90 : 180;
        if (minutes > 59 || seconds > 59 || degrees > maxDegrees ||
            (degrees == maxDegrees && (minutes > 0 || seconds > 0)))
            return Entry::Invalid;
        return Entry::Valid;
    }
    if (text.size() <= digits) {
        for (const QChar c : text) {
            if (!c.isDigit())
                return Entry::Invalid;
        }
        return Entry::Incomplete;
    }
    if (!latitude && text.size() == digits + 1 && text.back().isDigit()) {
        for (const QChar c : text) {
            if (!c.isDigit())
                return Entry::Invalid;
        }
        return Entry::Incomplete;
    }
    return Entry::Invalid;
}

void paintEntryState(QLineEdit *box, Entry state)
{
    QPalette palette = box->style() ? box->style()->standardPalette() : box->palette();
    if (state == Entry::Invalid)
        palette.setColor(QPalette::Base, QColor(255, 0, 0));
    else if (state == Entry::Incomplete)
        palette.setColor(QPalette::Base, QColor(0x80, 0xFF, 0x80));
    box->setPalette(palette);
}

} // namespace

frmLocation::frmLocation(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmLocation"));
    setWindowTitle(QStringLiteral("Preferences"));
    buildControls();
}

void frmLocation::buildControls()
{
    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };

    tabPreferences1 = new QTabWidget(this);
    name(tabPreferences1, "tabPreferences1");
    // Every tab shown whole: the window is at least as wide as the tab captions.
    tabPreferences1->setUsesScrollButtons(false);
    tabPreferences1->setElideMode(Qt::ElideNone);

    // Station Info
    auto *station = new QWidget;
    auto *stationForm = new QFormLayout(station);
    cmbListeningLocation = new QComboBox;
    name(cmbListeningLocation, "cmbListeningLocation");
    cmbListeningLocation->setEditable(true);
    cmbListeningLocation->setInsertPolicy(QComboBox::NoInsert);
    stationForm->addRow(tr("Listening Location"), cmbListeningLocation);
    txtLatitude = new QLineEdit;
    name(txtLatitude, "txtLatitude");
    txtLatitude->setMaxLength(7);
    txtLatitude->setToolTip(tr("Degrees, minutes, seconds and N or S, e.g. 430000N"));
    stationForm->addRow(tr("Latitude (DDMMSSN)"), txtLatitude);
    txtLongitude = new QLineEdit;
    name(txtLongitude, "txtLongitude");
    txtLongitude->setMaxLength(9);
    txtLongitude->setToolTip(tr("Degrees, minutes, seconds and E or W, e.g. 0800000W"));
    stationForm->addRow(tr("Longitude (DDDMMSSW)"), txtLongitude);
    txtLocator = new QLineEdit;
    name(txtLocator, "txtLocator");
    txtLocator->setReadOnly(true);
    stationForm->addRow(tr("QTH Locator"), txtLocator);
    // One line: the window widens to a longer station name rather than cutting it.
    lblClosestMetar = new QLabel;
    name(lblClosestMetar, "lblClosestMetar");
    lblClosestMetar->setTextFormat(Qt::PlainText);
    stationForm->addRow(tr("Closest METAR"), lblClosestMetar);
    auto *units = new QWidget;
    auto *unitsRow = new QHBoxLayout(units);
    unitsRow->setContentsMargins(0, 0, 0, 0);
    optMetric = new QRadioButton(tr("Kilometres"));
    name(optMetric, "optMetric");
    optImperial = new QRadioButton(tr("Miles"));
    name(optImperial, "optImperial");
    optImperial->setChecked(true);
    unitsRow->addWidget(optMetric);
    unitsRow->addWidget(optImperial);
    unitsRow->addStretch();
    stationForm->addRow(tr("Distances in"), units);
    txtDistanceFilter = new QLineEdit;
    name(txtDistanceFilter, "txtDistanceFilter");
    stationForm->addRow(tr("Distance Filter"), txtDistanceFilter);
    txtDXLogger = new QLineEdit;
    name(txtDXLogger, "txtDXLogger");
    txtDXLogger->setMaxLength(20);
    stationForm->addRow(tr("DX Logger Signature"), txtDXLogger);
    tabPreferences1->addTab(station, QStringLiteral("Station Info"));

    // Mapping Preferences
    auto *mapping = new QWidget;
    auto *mappingColumn = new QVBoxLayout(mapping);
    auto check = [&](const char *objectName, const QString &text) {
        auto *box = new QCheckBox(text);
        name(box, objectName);
        mappingColumn->addWidget(box);
        return box;
    };
    chkStates = check("chkStates", tr("US States/Canadian Provinces"));
    chkBorders = check("chkBorders", tr("Country Borders"));
    chkRivers = check("chkRivers", tr("Rivers"));
    chkLakes = check("chkLakes", tr("Lakes"));
    chkIslands = check("chkIslands", tr("Islands"));
    auto *detailRow = new QHBoxLayout;
    detailRow->addWidget(new QLabel(tr("Map Detail:  Less")));
    HScroll2 = newDetailScrollBar("HScroll2", kDetailMin, kDetailMax);
    HScroll2->setMinimumWidth(160);
    detailRow->addWidget(HScroll2);
    detailRow->addWidget(new QLabel(tr("More")));
    mappingColumn->addLayout(detailRow);
    mappingColumn->addStretch();
    tabPreferences1->addTab(mapping, QStringLiteral("&Mapping Preferences"));

    // GPS Setup
    auto *gps = new QWidget;
    auto *gpsForm = new QFormLayout(gps);
    auto *portRow = new QHBoxLayout;
    cmbPort = new QComboBox;
    name(cmbPort, "cmbPort");
    lblPortName = new QLabel;
    name(lblPortName, "lblPortName");
    portRow->addWidget(cmbPort);
    portRow->addWidget(lblPortName, 1);
    gpsForm->addRow(tr("Port"), portRow);
    cmbSpeed = new QComboBox;
    name(cmbSpeed, "cmbSpeed");
    gpsForm->addRow(tr("Speed"), cmbSpeed);
    cmbParity = new QComboBox;
    name(cmbParity, "cmbParity");
    gpsForm->addRow(tr("Parity, Data, Stop"), cmbParity);
    tabPreferences1->addTab(gps, QStringLiteral("GPS Setup"));

    cmdExit = new QPushButton(tr("Set as default"));
    name(cmdExit, "cmdExit");
    cmdExit->setToolTip(QStringLiteral("Make current settings permanent"));
    cmdJustExit = new QPushButton(tr("Exit"));
    name(cmdJustExit, "cmdJustExit");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    buttons->addWidget(cmdJustExit);

    auto *column = new QVBoxLayout(this);
    column->addWidget(tabPreferences1);
    column->addLayout(buttons);

    connect(cmdExit, &QPushButton::clicked, this, &frmLocation::cmdExit_Click);
    connect(cmdJustExit, &QPushButton::clicked, this, &frmLocation::cmdJustExit_Click);
    connect(cmbListeningLocation, qOverload<int>(&QComboBox::activated), this,
            &frmLocation::cmbListeningLocation_Click);
    connect(txtLatitude, &QLineEdit::textEdited, this, &frmLocation::LocatorCalculate);
    connect(txtLongitude, &QLineEdit::textEdited, this, &frmLocation::LocatorCalculate);
    connect(cmbPort, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        lblPortName->setText(index >= 0 && index < m_portNames.size() ? m_portNames[index] : QString());
    });
}

void frmLocation::Form_Load()
{
    for (const char *speed : kComSpeeds)
        cmbSpeed->addItem(QLatin1String(speed));
    for (int i = 0; i < kComParityCount; ++i)
        cmbParity->addItem(QLatin1String(kComParityItem));
    cmbSpeed->setCurrentIndex(-1);
    cmbParity->setCurrentIndex(-1);

    // The stored choices; an index outside its list selects nothing. The port list is
    // filled by the probe, which comes after.
    const RegistryStore &store = m_windows.store();
    auto storedIndex = [&store](const char *valueName, int count) {
        const StrictResult r = strictToInt32(store.GetRegistryValue(RegistryKeys::ProgramPreferences, valueName));
        return r.ok() && r.value >= 0 && r.value < count ? static_cast<int>(r.value) : -1;
    };
    cmbSpeed->setCurrentIndex(storedIndex("ComSpeed", cmbSpeed->count()));
    cmbParity->setCurrentIndex(storedIndex("ComParity", cmbParity->count()));
}

void frmLocation::showForm()
{
    const int index = cmbListeningLocation->currentIndex() >= 0 ? cmbListeningLocation->currentIndex()
                                                                 : m_state.CurrentLocationIndex;
    showCoordinatesOf(index);
    bringToFront(this);
}

std::array<QByteArray, kLocationCount> frmLocation::locationNames() const
{
    std::array<QByteArray, kLocationCount> names;
    for (int i = 0; i < kLocationCount && i < cmbListeningLocation->count(); ++i)
        names[i] = toWindows1252(cmbListeningLocation->itemText(i));
    return names;
}

QByteArray frmLocation::dxLoggerSignature() const
{
    return toWindows1252(txtDXLogger->text());
}

void frmLocation::setPortNames(const QStringList &names)
{
    m_portNames = names;
    const int index = cmbPort->currentIndex();
    lblPortName->setText(index >= 0 && index < m_portNames.size() ? m_portNames[index] : QString());
}

void frmLocation::showCoordinatesOf(int index)
{
    if (index < 0 || index >= kLocationCount)
        return;
    txtLatitude->setText(fromWindows1252(m_state.LocationLat[index]));
    txtLongitude->setText(fromWindows1252(m_state.LocationLon[index]));
    LocatorCalculate();
}

void frmLocation::cmbListeningLocation_Click(int index)
{
    showCoordinatesOf(index);
}

bool frmLocation::typedCoordinatesValid() const
{
    return checkCoordinate(txtLatitude->text(), true) == Entry::Valid &&
           checkCoordinate(txtLongitude->text(), false) == Entry::Valid;
}

void frmLocation::markCoordinateBoxes()
{
    const Entry latitude = checkCoordinate(txtLatitude->text(), true);
    const Entry longitude = checkCoordinate(txtLongitude->text(), false);
    paintEntryState(txtLatitude, latitude);
    paintEntryState(txtLongitude, longitude);
    // Incomplete coordinates would be stored as a wrong position.
    cmdExit->setEnabled(latitude == Entry::Valid && longitude == Entry::Valid);
}

void frmLocation::LocatorCalculate()
{
    markCoordinateBoxes();
    if (!typedCoordinatesValid()) {
        txtLocator->clear();
        lblClosestMetar->clear();
        return;
    }
    const QthDegrees position = ComputeQTHDegrees(toWindows1252(txtLatitude->text().trimmed().toUpper()),
                                                  toWindows1252(txtLongitude->text().trimmed().toUpper()));
    const double latitude = roundToDecimals(position.latitude, 4);
    const double longitude = roundToDecimals(position.longitude, 4);
    txtLocator->setText(fromWindows1252(MakeLocator(latitude, longitude)));
    lblClosestMetar->setText(fromWindows1252(FindClosestMetar(m_state.folder, latitude, longitude)));
}

void frmLocation::cmdExit_Click()
{
    // A name typed into the list's box renames the selected location. Nothing is saved
    // while it or the signature holds a character the settings cannot.
    const QString typedName = cmbListeningLocation->currentText().trimmed();
    if (!storableText(typedName, QStringLiteral("The location name holds a character that cannot be stored."))) {
        cmbListeningLocation->setFocus();
        return;
    }
    if (!storableText(txtDXLogger->text(),
                      QStringLiteral("The DX logger signature holds a character that cannot be stored."))) {
        txtDXLogger->setFocus();
        return;
    }
    int index = cmbListeningLocation->currentIndex();
    if (index < 0 || index >= kLocationCount)
        index = m_state.CurrentLocationIndex;
    if (typedCoordinatesValid()) {
        m_state.LocationLat[index] = toWindows1252(txtLatitude->text().trimmed().toUpper());
        m_state.LocationLon[index] = toWindows1252(txtLongitude->text().trimmed().toUpper());
    }
    cmbListeningLocation->setItemText(index, typedName.isEmpty() ? QLatin1String(kEmptyLocationName) : typedName);
    cmbListeningLocation->setCurrentIndex(index);

    SavePreferences(m_windows);
    if (m_windows.hasEnded())
        return;
    cmbListeningLocation->setCurrentIndex(index);
    showCoordinatesOf(index);
    // The beacon on display was measured from the location that was current before.
    m_windows.main()->ClearBeaconDisplay();
}

void frmLocation::cmdJustExit_Click()
{
    hide();
    m_windows.returnToMain();
}

void frmLocation::closeEvent(QCloseEvent *event)
{
    // The window stays loaded: its controls hold the settings for the whole run.
    event->ignore();
    cmdJustExit_Click();
}

} // namespace qern
