#include "frmDisplay.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "BeaconRecord.h"
#include "FormSupport.h"
#include "MapCanvas.h"
#include "MapOutline.h"
#include "MessageBox.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"

namespace qern {

namespace {

constexpr int kPictureSide = 600;     // pixels; 9000 twips, on a screen with room for it
constexpr int kSmallestPicture = 240; // what a window made smaller keeps
constexpr int kPanelWidth = 176;      // or what the beacon's caption needs

QColor colourOf(quint32 bgrColour)
{
    const ColourParts parts = colourParts(bgrColour);
    return QColor(parts.red, parts.green, parts.blue);
}

QPen plotPen(quint32 bgrColour)
{
    QPen pen(colourOf(bgrColour));
    pen.setWidth(0);
    pen.setCosmetic(true);
    return pen;
}

void drawCircle(QPainter &painter, const MapCircle &circle)
{
    painter.setPen(plotPen(circle.colour));
    painter.setBrush(circle.filled ? QBrush(colourOf(circle.fillColour)) : QBrush(Qt::NoBrush));
    painter.drawEllipse(circle.centre, circle.radius, circle.radius);
}

void drawOutlines(QPainter &painter, const QList<Polyline> &outlines)
{
    painter.setBrush(Qt::NoBrush);
    for (const Polyline &line : outlines) {
        painter.setPen(plotPen(line.colour));
        if (line.points.size() == 1)
            painter.drawPoint(line.points.first());
        else
            painter.drawPolyline(line.points.constData(), int(line.points.size()));
    }
}

MapLayerSwitches layerSwitchesOf(const frmLocation &preferences)
{
    MapLayerSwitches switches;
    switches.states = checkValue(preferences.chkStates) == 1;
    switches.borders = checkValue(preferences.chkBorders) == 1;
    switches.rivers = checkValue(preferences.chkRivers) == 1;
    switches.lakes = checkValue(preferences.chkLakes) == 1;
    switches.islands = checkValue(preferences.chkIslands) == 1;
    return switches;
}

} // namespace

frmDisplay::frmDisplay(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmDisplay"));
    setWindowTitle(QStringLiteral("Beacon Radar Map"));
    buildControls();
}

void frmDisplay::buildControls()
{
    auto label = [this](const char *objectName, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(objectName));
        return l;
    };
    auto button = [this](const char *objectName, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(objectName));
        b->setMinimumHeight(28);
        b->setAutoDefault(false);
        return b;
    };

    picRadar = new MapCanvas(this);
    picRadar->setObjectName(QStringLiteral("picRadar"));
    picRadar->setMinimumSize(kSmallestPicture, kSmallestPicture);

    lblBeacon = label("lblBeacon", QString());
    lblBeacon->setFont(namedFont(QStringLiteral("Tahoma"), 11, true));
    lblBeacon->setTextFormat(Qt::PlainText);
    // Room for the widest ident and frequency a record holds.
    const QString widestBeacon = QString(layoutOf(BeaconField::Ident).width, QLatin1Char('W')) +
                                 QStringLiteral(" - ") +
                                 QString(layoutOf(BeaconField::Frequency).width, QLatin1Char('0')) +
                                 QStringLiteral(" kHz");
    lblBeacon->setMinimumWidth(std::max(kPanelWidth, captionWidth(lblBeacon, widestBeacon)));
    lblRange = label("lblRange", QString());
    lblNumberOfBeacons = label("lblNumberOfBeacons", QString());
    Label1 = label("Label1", QStringLiteral("Mouse Location"));
    lblMouseKm = label("lblMouseKm", QString());
    for (QLabel *l : {lblRange, lblNumberOfBeacons, lblMouseKm})
        keepRoomWhenHidden(l);

    auto *panel = new QGridLayout;
    panel->setVerticalSpacing(2);
    panel->addWidget(lblBeacon, 0, 0, 1, 2);
    panel->addWidget(lblRange, 1, 0, 1, 2);
    panel->addWidget(lblNumberOfBeacons, 2, 0, 1, 2);
    panel->setRowMinimumHeight(3, 12);
    panel->addWidget(Label1, 4, 0, 1, 2);
    panel->addWidget(lblMouseKm, 5, 0, 1, 2);
    panel->setRowMinimumHeight(6, 20);

    // The radar's legend, under the blocker in the Map It view.
    const int legendTop = 7;
    int row = legendTop;
    auto legend = [&](const char *labelName, const QString &caption, const char *shapeName, QFrame *&shape) {
        shape = new QFrame(this);
        shape->setObjectName(QLatin1String(shapeName));
        shape->setFrameShape(QFrame::Box);
        shape->setFixedSize(12, 12);
        QLabel *l = label(labelName, caption);
        panel->addWidget(shape, row, 0);
        panel->addWidget(l, row, 1);
        ++row;
        return l;
    };
    lblLegendDGPS = legend("lblLegendDGPS", QStringLiteral("DGPS"), "Shape1", Shape1);
    lblLegendNavtex = legend("lblLegendNavtex", QStringLiteral("Navtex"), "Shape2", Shape2);
    lblLegendLogged = legend("lblLegendLogged", QStringLiteral("Logged"), "Shape3", Shape3);
    lblLegendSession = legend("lblLegendSession", QStringLiteral("CLE/Session"), "Shape4", Shape4);
    lblLegendAll = legend("lblLegendAll", QStringLiteral("All"), "Shape5", Shape5);

    shBlocker = new QFrame(this);
    shBlocker->setObjectName(QStringLiteral("shBlocker"));
    shBlocker->setAutoFillBackground(true);
    shBlocker->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    panel->addWidget(shBlocker, legendTop, 0, row - legendTop, 2);
    shBlocker->hide();

    auto *design = new QLabel(picRadar);
    design->setObjectName(QStringLiteral("lblNDB"));
    design->setAttribute(Qt::WA_TransparentForMouseEvents);
    design->hide();
    lblNDB.append(design);

    cmdToggle = button("cmdToggle", QStringLiteral("Toggle Calls"));
    cmdExit = button("cmdExit", QStringLiteral("Exit"));
    panel->setRowStretch(row, 1);
    panel->addWidget(cmdToggle, row + 1, 0, 1, 2);
    panel->addWidget(cmdExit, row + 2, 0, 1, 2);
    panel->setColumnStretch(1, 1);

    auto *halves = new QHBoxLayout(this);
    halves->setContentsMargins(8, 8, 8, 8);
    halves->setSpacing(12);
    halves->addWidget(picRadar, 1);
    halves->addLayout(panel);

    // The picture as large as designed, or as the screen has room for beside the panel;
    // the window can be made smaller or larger, the picture staying square.
    const QSize room = roomOnScreen(this);
    picRadar->setPreferredSide(kSmallestPicture);
    const int besidePanel = room.width() - (sizeHint().width() - kSmallestPicture);
    const QMargins margins = halves->contentsMargins();
    const int belowTitle = room.height() - margins.top() - margins.bottom();
    picRadar->setPreferredSide(std::clamp(std::min(besidePanel, belowTitle), kSmallestPicture, kPictureSide));
    resize(sizeHint());

    connect(cmdExit, &QPushButton::clicked, this, &frmDisplay::cmdExit_Click);
    connect(cmdToggle, &QPushButton::clicked, this, &frmDisplay::cmdToggle_Click);
    connect(picRadar, &MapCanvas::MouseMove, this, &frmDisplay::picRadar_MouseMove);
}

QLabel *frmDisplay::loadBeaconLabel()
{
    QLabel *design = lblNDB.first();
    auto *l = new QLabel(picRadar);
    l->setObjectName(design->objectName());
    l->setFont(design->font());
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->hide();
    lblNDB.append(l);
    return l;
}

void frmDisplay::showForm()
{
    bringToFront(this);
    Form_Activate();
}

void frmDisplay::Form_Load()
{
    m_windows.main()->hide();
    lblRange->hide();
    lblNumberOfBeacons->hide();
}

void frmDisplay::Form_Activate()
{
    setWindowTitle(QStringLiteral("Beacon Radar centered on ") +
                   m_windows.location()->cmbListeningLocation->itemText(m_state.CurrentLocationIndex));
}

void frmDisplay::DrawMapDisplay(double latitude, double longitude, qint32 range, const QByteArray &ident,
                                const QByteArray &frequency)
{
    cmdToggle->setEnabled(false);
    cmdExit->setEnabled(false);
    shBlocker->show();
    shBlocker->raise();

    frmMain *main = m_windows.main();
    frmLocation *preferences = m_windows.location();
    MapViewRequest request;
    request.latitudeRad = latitude;
    request.longitudeRad = longitude;
    request.range = range;
    request.ident = ident;
    request.frequency = frequency;
    request.txtDistance = toWindows1252(main->txtDistance->text());
    request.txtBearing = toWindows1252(main->txtBearing->text());
    if (m_state.CurrentLocationIndex >= 0 && m_state.CurrentLocationIndex < kLocationCount) {
        request.locationLat = m_state.LocationLat[m_state.CurrentLocationIndex];
        request.locationLon = m_state.LocationLon[m_state.CurrentLocationIndex];
    }
    request.imperial = preferences->optImperial->isChecked();
    request.detail = detailValue(preferences->HScroll2);
    request.layers = layerSwitchesOf(*preferences);

    const MapView view = qern::DrawMapDisplay(m_state.folder, request);

    lblBeacon->setText(fromWindows1252(view.lblBeacon));
    lblRange->show();
    lblNumberOfBeacons->hide();
    lblRange->setText(fromWindows1252(view.lblRange));
    lblNumberOfBeacons->setText(fromWindows1252(view.lblNumberOfBeacons));

    picRadar->draw([&view](QPainter &painter) {
        drawCircle(painter, view.disc);
        drawOutlines(painter, view.outlines);
    });
    // A missing or unreadable layer is left out; the others and the marks are drawn.
    for (const MapLayerResult &layer : view.layers) {
        if (layer.hasMessage())
            MessageBox::show(layer.messageText(), layer.messageTitle());
    }

    cmdExit->setEnabled(true);
    lblRange->show();
    lblNumberOfBeacons->show();

    picRadar->draw([&view](QPainter &painter) {
        for (const MapCircle &mark : view.marks)
            drawCircle(painter, mark);
        for (const MapSegment &segment : view.cross) {
            painter.setPen(plotPen(segment.colour));
            painter.drawLine(segment.from, segment.to);
        }
    });

    showForm();
    main->picGeneratingImage->hide();
    letEventsRun();
}

void frmDisplay::ToggleBeaconLabels()
{
    const bool visible = qern::ToggleBeaconLabels(m_state.BeaconLabelsHidden);
    // Only labels that exist on this view: a count left from an earlier radar view
    // must not reach past them.
    const qsizetype count = std::min<qsizetype>(m_state.RadarLabelCount, lblNDB.size() - 1);
    for (qsizetype i = 1; i <= count; ++i)
        lblNDB[i]->setVisible(visible);
}

void frmDisplay::DisplayPointer(double x, double y)
{
    const bool radarView = m_use == Use::BeaconRadar;
    const QByteArray radarRange =
        radarView ? toWindows1252(m_windows.distanceCircle()->txtRange->text()) : QByteArray();
    const qint32 range = PointerRange(radarView, radarRange, m_state.MapRange);
    const PointerReadout readout =
        qern::DisplayPointer(x, y, range, m_windows.location()->optMetric->isChecked());
    lblMouseKm->setVisible(readout.visible);
    lblMouseKm->setText(fromWindows1252(readout.caption));
}

void frmDisplay::picRadar_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, double x, double y)
{
    DisplayPointer(x, y);
}

void frmDisplay::cmdToggle_Click()
{
    ToggleBeaconLabels();
}

void frmDisplay::cmdExit_Click()
{
    frmMain *main = m_windows.main();
    main->commands().setArmed(main->cmdMapIt, true);
    const bool openedByMapIt = m_use == Use::MapIt;
    m_windows.unloadDisplay();
    if (openedByMapIt)
        m_windows.returnToMain();
}

void frmDisplay::closeEvent(QCloseEvent *event)
{
    // The title bar's close box is Exit, and like Exit it waits for the drawing.
    event->ignore();
    if (cmdExit->isEnabled())
        cmdExit_Click();
}

} // namespace qern
