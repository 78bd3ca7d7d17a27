#pragma once
// The "Beacon Radar" window: it holds the radar's settings in its controls (the
// settings loader fills them at start-up, "Save as Default" writes them back).

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace qern {

class WindowSet;

class frmDistanceCircle : public QWidget {
    Q_OBJECT

public:
    explicit frmDistanceCircle(WindowSet &windows);

    static constexpr int kDetailMin = 0;
    static constexpr int kDetailMax = 10;

    // Map features
    QCheckBox *chkLakes = nullptr;
    QCheckBox *chkStates = nullptr;
    QCheckBox *chkIslands = nullptr;
    QCheckBox *chkRivers = nullptr;
    QCheckBox *chkBorders = nullptr;
    QScrollBar *HSDetail = nullptr;

    // Beacons shown
    QCheckBox *chkShowAll = nullptr;
    QCheckBox *chkShowLogged = nullptr;
    QCheckBox *chkShowSession = nullptr;
    QCheckBox *chkShowDGPS = nullptr;
    QCheckBox *chkShowNavtex = nullptr;

    QLineEdit *txtRange = nullptr;
    QLineEdit *txtBeaconRadar = nullptr;
    QPushButton *cmdBeaconReport = nullptr;
    QPushButton *cmdSavePrefs = nullptr;
    QPushButton *cmdExit = nullptr;

    void showForm();

public slots:
    void cmdSavePrefs_Click();
    void cmdBeaconReport_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WindowSet &m_windows;
};

} // namespace qern
