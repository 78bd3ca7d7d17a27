#pragma once
// The "Preferences" window. At run time it holds the listening-location names, the
// units, the map layers, the distance-filter radius, the logger signature and the
// serial-port choices: the settings loader fills its controls at start-up, "Set as
// default" writes them back, and other windows read the units and the names here.

#include <QWidget>

#include <array>

#include "SharedState.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace qern {

class WindowSet;

class frmLocation : public QWidget {
    Q_OBJECT

public:
    explicit frmLocation(WindowSet &windows);

    // The range of HScroll2: an outline point is drawn when its level is above it.
    static constexpr int kDetailMin = 0;
    static constexpr int kDetailMax = 10;

    QTabWidget *tabPreferences1 = nullptr;

    // "Station Info"
    QComboBox *cmbListeningLocation = nullptr;
    QLineEdit *txtLatitude = nullptr;  // "430000N": degrees, minutes, seconds, N or S
    QLineEdit *txtLongitude = nullptr; // "0800000W": degrees, minutes, seconds, E or W
    QLineEdit *txtLocator = nullptr;
    QLabel *lblClosestMetar = nullptr;
    QRadioButton *optMetric = nullptr;
    QRadioButton *optImperial = nullptr;
    QLineEdit *txtDistanceFilter = nullptr;
    QLineEdit *txtDXLogger = nullptr;

    // "Mapping Preferences"
    QCheckBox *chkStates = nullptr;
    QCheckBox *chkBorders = nullptr;
    QCheckBox *chkRivers = nullptr;
    QCheckBox *chkLakes = nullptr;
    QCheckBox *chkIslands = nullptr;
    QScrollBar *HScroll2 = nullptr;

    // "GPS Setup"
    QComboBox *cmbPort = nullptr;
    QLabel *lblPortName = nullptr;
    QComboBox *cmbSpeed = nullptr;
    QComboBox *cmbParity = nullptr;

    QPushButton *cmdExit = nullptr;     // "Set as default"
    QPushButton *cmdJustExit = nullptr; // "Exit"

    // What other windows read of this one.
    std::array<QByteArray, kLocationCount> locationNames() const; // List(i)
    QByteArray dxLoggerSignature() const;

    // The names of the ports listed in cmbPort, item for item.
    void setPortNames(const QStringList &names);

    void showForm();

    // Works out the locator and the nearest weather station from the typed
    // coordinates; both stay empty while the coordinates are incomplete.
    void LocatorCalculate();
    // The typed coordinates in their stored form, when they are complete and valid.
    bool typedCoordinatesValid() const;

public slots:
    void Form_Load();
    void cmdExit_Click();
    void cmdJustExit_Click();
    void cmbListeningLocation_Click(int index);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void showCoordinatesOf(int index);
    void markCoordinateBoxes();

    WindowSet &m_windows;
    SharedState &m_state;
    QStringList m_portNames;
};

} // namespace qern
