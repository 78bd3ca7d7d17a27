#include "frmSplash.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "MessageBox.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "StartupFiles.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/SettingsProcedures.h"
#include "main/frmMain.h"

namespace qern {

namespace {

// The title picture: a beacon mast sending rings over a night-blue field.
QPixmap titlePicture()
{
    QPixmap picture(380, 110);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, picture.height());
    sky.setColorAt(0, QColor(10, 24, 64));
    sky.setColorAt(1, QColor(30, 70, 130));
    painter.fillRect(picture.rect(), sky);

    const QPointF top(60, 40);
    painter.setPen(QPen(QColor(230, 230, 230), 3));
    painter.drawLine(QPointF(45, 100), top);
    painter.drawLine(QPointF(75, 100), top);
    painter.setPen(QPen(QColor(255, 200, 60), 2));
    for (int ring = 1; ring <= 3; ++ring) {
        const double r = 12.0 * ring;
        painter.drawArc(QRectF(top.x() - r, top.y() - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
    }
    painter.setPen(Qt::white);
    painter.setFont(namedFont(QStringLiteral("Tahoma"), 30, true));
    painter.drawText(QRectF(120, 10, 250, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QERN"));
    painter.setFont(namedFont(QStringLiteral("Tahoma"), 10));
    painter.drawText(QRectF(122, 65, 250, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("NDB  \u00b7  DGPS  \u00b7  Navtex"));
    return picture;
}

void showAll(const QStringList &messages, const QString &title)
{
    for (const QString &text : messages)
        MessageBox::show(text, title);
}

} // namespace

frmSplash::frmSplash(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("QERN"));
    const QFont tahoma = namedFont(QStringLiteral("Tahoma"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(titlePicture());

    Label4 = new QLabel(QStringLiteral("QERN 6.2"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(namedFont(QStringLiteral("Tahoma"), 14, true));
    lblRevision = new QLabel(QStringLiteral("Rev. 2"), this);
    lblRevision->setObjectName(QStringLiteral("lblRevision"));
    lblRevision->setFont(tahoma);
    Label6 = new QLabel(tr("A logbook for listeners who hunt long- and medium-wave radio beacons."), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setFont(tahoma);
    Label6->setWordWrap(true);
    lblChecking = new QLabel(this);
    lblChecking->setObjectName(QStringLiteral("lblChecking"));
    lblChecking->setFont(tahoma);
    lblChecking->setMinimumHeight(20);

    cmdContinue = new QPushButton(QStringLiteral("Click to continue"), this);
    cmdContinue->setObjectName(QStringLiteral("cmdContinue"));

    auto *versionRow = new QHBoxLayout;
    versionRow->addWidget(Label4);
    versionRow->addStretch();
    versionRow->addWidget(lblRevision);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(cmdContinue);
    auto *column = new QVBoxLayout(this);
    column->addWidget(Image1);
    column->addLayout(versionRow);
    column->addWidget(Label6);
    column->addWidget(lblChecking);
    column->addLayout(buttonRow);

    connect(cmdContinue, &QPushButton::clicked, this, &frmSplash::cmdContinue_Click);
}

void frmSplash::Form_Load()
{
    SharedState &state = m_windows.state();
    // Missing tables are reported and start-up goes on; the main window's own check
    // decides whether the program can run without them.
    showAll(loadLookupTables(state), QStringLiteral("Error"));
    cmdContinue->setEnabled(false);
    showAll(ensureDataFolders(state.folder), QStringLiteral("Error"));

    RegistryStore &store = m_windows.store();
    if (!store.baseKeyExists()) {
        MessageBox::show(QStringLiteral("Welcome to QERN. Please set your preferences in the Preferences menu."),
                         QStringLiteral("Welcome"));
        WriteDefaultPreferences(store);
    } else if (!store.isReadable()) {
        // Not a first run: the user's settings are there and are never written over.
        MessageBox::show(store.loadError().messageText() + QStringLiteral("\r\n") +
                             QLatin1String(store.loadErrorWayOut()),
                         QStringLiteral("Error"));
    } else {
        state.UserName = store.GetRegistryValue(RegistryKeys::UserInfo, "User Name");
        state.UserCallSign = store.GetRegistryValue(RegistryKeys::UserInfo, "Call Sign");
    }
    letEventsRun();
}

void frmSplash::showForm()
{
    bringToFront(this);
    letEventsRun();
    Form_Activate();
}

void frmSplash::Form_Activate()
{
    if (m_activated)
        return;
    m_activated = true;

    LoadPreferences(m_windows);
    if (m_windows.hasEnded())
        return;
    lblChecking->setText(QStringLiteral("Checking NDB Database Integrity..."));
    letEventsRun();
    m_windows.main()->GatherDatabaseStatistics(true);
    lblChecking->clear();
    letEventsRun();
    cmdContinue->setEnabled(true);
}

void frmSplash::cmdContinue_Click()
{
    if (m_continued)
        return;
    m_continued = true;
    frmMain *main = m_windows.main();
    const QScreen *screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        const QRect frame = main->frameGeometry();
        const double top = (area.height() - frame.height()) / 5.0;
        const double left = (area.width() - frame.width()) / 2.0;
        main->move(area.x() + static_cast<int>(left), area.y() + static_cast<int>(top));
    }
    main->showForm();
    m_windows.unloadSplash();
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    // Before the database is counted nothing may interrupt; afterwards closing the
    // window ends the program, through the main window as every ending does.
    event->ignore();
    if (cmdContinue->isEnabled() && !m_continued)
        m_windows.main()->cmdExit_Click();
}

} // namespace qern
