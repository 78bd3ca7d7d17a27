#pragma once
// The map view ("Beacon Radar Map"): one beacon drawn around the listening location
// by Map It, or the Beacon Radar's beacons with their ident labels. Both share the
// picture, the pointer read-out and the label toggle. A view is loaded afresh each
// time it is opened and unloaded by Exit.

#include <QList>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace qern {

class MapCanvas;
class WindowSet;
struct SharedState;

class frmDisplay : public QWidget {
    Q_OBJECT

public:
    explicit frmDisplay(WindowSet &windows);

    // Who opened the view: Exit and the pointer read-out depend on it.
    enum class Use { MapIt, BeaconRadar };
    void setUse(Use use) { m_use = use; }
    Use use() const { return m_use; }

    MapCanvas *picRadar = nullptr;
    QLabel *lblBeacon = nullptr;
    QLabel *lblRange = nullptr;
    QLabel *lblNumberOfBeacons = nullptr;
    QLabel *Label1 = nullptr; // "Mouse Location"
    QLabel *lblMouseKm = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdToggle = nullptr;
    QFrame *shBlocker = nullptr; // covers the radar's legend in the Map It view

    // The radar's legend.
    QLabel *lblLegendDGPS = nullptr;
    QLabel *lblLegendNavtex = nullptr;
    QLabel *lblLegendLogged = nullptr;
    QLabel *lblLegendSession = nullptr;
    QLabel *lblLegendAll = nullptr;
    QFrame *Shape1 = nullptr;
    QFrame *Shape2 = nullptr;
    QFrame *Shape3 = nullptr;
    QFrame *Shape4 = nullptr;
    QFrame *Shape5 = nullptr;

    // lblNDB(0) is the design-time label and is never shown; the radar loads
    // lblNDB(1) onwards on the picture and counts them in RadarLabelCount.
    QList<QLabel *> lblNDB;
    QLabel *loadBeaconLabel();

    void showForm();

    // Draws the whole Map It view and shows the window. latitude and longitude of
    // the beacon in radians; range in the unit shown.
    void DrawMapDisplay(double latitude, double longitude, qint32 range, const QByteArray &ident,
                        const QByteArray &frequency);

    void ToggleBeaconLabels();
    // Writes the read-out of plot position (x, y) into lblMouseKm.
    void DisplayPointer(double x, double y);

public slots:
    void Form_Load();
    void Form_Activate();
    void cmdExit_Click();
    void cmdToggle_Click();
    void picRadar_MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, double x, double y);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();

    WindowSet &m_windows;
    SharedState &m_state;
    Use m_use = Use::MapIt;
};

} // namespace qern
