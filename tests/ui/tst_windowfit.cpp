// Every window of the program as it first opens, at the default font and at a font a
// quarter larger: no caption of a label, button, tab, group or menu is cut, and no
// control lies outside its window.

#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTimer>

#include <functional>

#include "editor/frmName.h"
#include "logbook/PrintedLog.h"
#include "logbook/frmLog.h"
#include "logbook/frmMasterLogClear.h"
#include "logbook/frmReceptionComments.h"
#include "main/frmBrowser.h"
#include "main/frmDisplay.h"
#include "preferences/frmGPSRadar.h"
#include "preferences/frmLocation.h"
#include "radar/frmAuroralOval.h"
#include "radar/frmBeaconsPerBearing.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmCLEReport.h"
#include "reports/frmCLEReportView.h"
#include "reports/frmListeningReportView.h"
#include "reports/frmListeningReports.h"
#include "startup/frmBackup.h"
#include "startup/frmFileOperation.h"
#include "startup/frmNewDirectory.h"
#include "startup/frmRestore.h"
#include "startup/frmSortProgress.h"
#include "weblog/frmWeblogImport.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

QString describe(const QWidget *w)
{
    QString text;
    if (auto *label = qobject_cast<const QLabel *>(w))
        text = label->text();
    else if (auto *button = qobject_cast<const QAbstractButton *>(w))
        text = button->text();
    else if (auto *group = qobject_cast<const QGroupBox *>(w))
        text = group->title();
    const QString name = w->objectName().isEmpty() ? QLatin1String(w->metaObject()->className()) : w->objectName();
    return text.isEmpty() ? name : QStringLiteral("%1 \"%2\"").arg(name, text);
}

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The rectangle a label lays its text out in, as QLabel works it out.
QRect labelTextRect(const QLabel *label)
{
    QRect rect = label->contentsRect();
    const int margin = label->margin();
    rect.adjust(margin, margin, -margin, -margin);
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
        if (align & Qt::AlignLeft)
            rect.setLeft(rect.left() + indent);
        if (align & Qt::AlignRight)
            rect.setRight(rect.right() - indent);
        if (align & Qt::AlignTop)
            rect.setTop(rect.top() + indent);
        if (align & Qt::AlignBottom)
            rect.setBottom(rect.bottom() - indent);
    }
    return rect;
}

QString labelClipped(const QLabel *label)
{
    if (label->text().isEmpty() || !label->pixmap().isNull())
        return {};
    const QRect room = labelTextRect(label);
    // Centring would only add a rounding error to the size.
    int flags = int(label->alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter));
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    // Wrapped text is laid out in the label's width; a word wider than that still shows.
    const QRect layoutRoom(0, 0, label->wordWrap() ? room.width() : 100000, 100000);
    const QSize needed = label->fontMetrics().boundingRect(layoutRoom, flags, label->text()).size();
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return QStringLiteral("%1 needs %2, has %3").arg(describe(label), sizeText(needed), sizeText(room.size()));
}

QStyleOptionButton buttonOption(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (auto *push = qobject_cast<const QPushButton *>(button)) {
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

// A button's caption (and icon) against the part of the button the style draws it in;
// a push button also keeps the style's margin around its caption.
QString buttonClipped(const QAbstractButton *button)
{
    if (button->text().isEmpty())
        return {};
    QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull())
        needed = QSize(needed.width() + button->iconSize().width() + 4,
                       std::max(needed.height(), button->iconSize().height()));
    QStyle *style = button->style();
    const QStyleOptionButton option = buttonOption(button);
    QRect room;
    if (qobject_cast<const QPushButton *>(button)) {
        room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        needed.rwidth() += style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    } else if (qobject_cast<const QCheckBox *>(button)) {
        room = style->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
    } else if (qobject_cast<const QRadioButton *>(button)) {
        room = style->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
    } else {
        room = button->rect();
        needed = button->sizeHint();
    }
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return QStringLiteral("%1 needs %2, has %3").arg(describe(button), sizeText(needed), sizeText(room.size()));
}

// Tabs, group titles, menu titles and a calendar's month shown whole: the widget is
// at least as large as it asks to be.
QString barClipped(const QWidget *w)
{
    QSize needed;
    if (qobject_cast<const QCalendarWidget *>(w))
        needed = w->minimumSizeHint();
    else if (auto *tabs = qobject_cast<const QTabBar *>(w))
        needed = tabs->sizeHint();
    else if (auto *group = qobject_cast<const QGroupBox *>(w))
        needed = group->minimumSizeHint();
    else if (auto *menus = qobject_cast<const QMenuBar *>(w))
        needed = QSize(menus->sizeHint().width(), 0);
    else
        return {};
    if (needed.width() <= w->width() && needed.height() <= w->height())
        return {};
    return QStringLiteral("%1 needs %2, has %3").arg(describe(w), sizeText(needed), sizeText(w->size()));
}

// Widgets that scroll inside a list or a view lie beyond it by design.
bool scrollsInsideAView(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (auto *area = qobject_cast<const QAbstractScrollArea *>(p->parentWidget()); area && area->viewport() == p)
            return true;
    }
    return false;
}

struct Opened {
    QWidget *window = nullptr;
    // The main window covers its nearby panel by making itself shorter: a control wholly
    // below its bottom edge is covered, not cut.
    bool coversBelow = false;
};

QStringList clippedIn(const Opened &opened)
{
    QWidget *window = opened.window;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList problems;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window) || scrollsInsideAView(w, window))
            continue;
        const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        const bool covered = opened.coversBelow && inWindow.top() >= window->height();
        if (!covered && (!window->rect().contains(inWindow) || !w->parentWidget()->rect().contains(w->geometry())))
            problems << QStringLiteral("%1 at %2,%3 %4 lies outside the window %5")
                            .arg(describe(w))
                            .arg(inWindow.x())
                            .arg(inWindow.y())
                            .arg(sizeText(inWindow.size()), sizeText(window->size()));
        if (covered)
            continue;
        QString clipped;
        if (auto *label = qobject_cast<const QLabel *>(w))
            clipped = labelClipped(label);
        else if (auto *button = qobject_cast<const QAbstractButton *>(w))
            clipped = buttonClipped(button);
        else
            clipped = barClipped(w);
        if (!clipped.isEmpty())
            problems << clipped;
    }
    return problems;
}

// What a modal window shows is checked while its exec() runs; leave closes it.
QStringList clippedInModal(const std::function<void()> &open, const std::function<void(QWidget *)> &leave)
{
    QStringList problems{QStringLiteral("the modal window did not open")};
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        problems = clippedIn({modal});
        leave(modal);
    });
    open();
    return problems;
}

// Opens a window from the main window, as the user would, and says what is cut in it.
using Opener = std::function<QStringList(TestProgram &, frmMain *)>;

// The program started with one beacon logged here and in the session, shown in the
// main window; a serial port is found, so the GPS items are there too.
frmMain *startShowingLoggedBeacon(TestProgram &program)
{
    program.ports = {QStringLiteral("ttyS0")};
    Beacon logged = beacon("ABC", "338", 1);
    program.write("ndb.dat", inSession(logged));
    program.write("Logs/log0.dat", logEntry("ABC", "338", "1015", "20260301", "heard well"));
    program.write("Logs/cle.dat", sessionEntry("ABC", "338", "1015", "20260301", "heard well", true));
    frmMain *main = program.startToMain();
    if (main)
        typeAndEnter(main, QStringLiteral("ABC"));
    return main;
}

QStringList clippedInShown(QWidget *window, bool coversBelow = false)
{
    if (!window || window->isHidden())
        return {QStringLiteral("the window did not open")};
    return clippedIn({window, coversBelow});
}

// A short list of fixed choices shows every row without scrolling.
QStringList rowsHidden(const QListWidget *list)
{
    QStringList problems;
    for (int i = 0; i < list->count(); ++i) {
        if (!list->viewport()->rect().contains(list->visualItemRect(list->item(i))))
            problems << QStringLiteral("%1 row \"%2\" is not shown whole").arg(list->objectName(), list->item(i)->text());
    }
    return problems;
}

void click(QWidget *control, QPoint at)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, at);
}

QStringList clippedInTabs(QWidget *window, QTabWidget *tabs)
{
    QStringList problems;
    for (int i = 0; i < tabs->count(); ++i) {
        click(tabs->tabBar(), tabs->tabBar()->tabRect(i).center());
        problems << clippedInShown(window);
    }
    return problems;
}

void click(QWidget *control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}

const QList<std::pair<const char *, Opener>> &windowOpeners()
{
    static const QList<std::pair<const char *, Opener>> openers = {
        {"main window", [](TestProgram &, frmMain *main) { return clippedInShown(main, true); }},
        {"main window with the nearby panel",
         [](TestProgram &, frmMain *main) {
             click(main->cmdNearby);
             return clippedInShown(main);
         }},
        {"preferences",
         [](TestProgram &program, frmMain *main) {
             // First shown while no station can be named, as the window is at its
             // narrowest; then the station named for coordinates typed afterwards.
             const QByteArray stations = program.read(QStringLiteral("Metar.txt"));
             program.remove(QStringLiteral("Metar.txt"));
             main->mnuPreferences->trigger();
             frmLocation *preferences = program.windows->location();
             QStringList problems = clippedInTabs(preferences, preferences->tabPreferences1);
             program.write(QStringLiteral("Metar.txt"), stations);
             preferences->txtLatitude->clear();
             QTest::keyClicks(preferences->txtLatitude, QStringLiteral("335646S"));
             preferences->txtLongitude->clear();
             QTest::keyClicks(preferences->txtLongitude, QStringLiteral("1511038E"));
             if (!preferences->lblClosestMetar->text().startsWith(QLatin1String("YSSY")))
                 problems << QStringLiteral("no station named: ") + preferences->lblClosestMetar->text();
             return problems << clippedInTabs(preferences, preferences->tabPreferences1);
         }},
        {"beacon radar",
         [](TestProgram &program, frmMain *main) {
             main->mnuDistanceCircle->trigger();
             return clippedInShown(program.windows->distanceCircle());
         }},
        {"path chooser",
         [](TestProgram &program, frmMain *main) {
             main->mnuDistanceCircle->trigger();
             click(program.windows->distanceCircle()->cmdBeaconReport);
             return clippedInShown(program.windows->fileOperation());
         }},
        {"new-folder dialog",
         [](TestProgram &program, frmMain *main) {
             main->mnuDistanceCircle->trigger();
             click(program.windows->distanceCircle()->cmdBeaconReport);
             return clippedInModal([&] { click(program.windows->fileOperation()->cmdNewDir); },
                                   [](QWidget *dialog) { click(static_cast<frmNewDirectory *>(dialog)->Command1); });
         }},
        {"listening reports",
         [](TestProgram &program, frmMain *main) {
             main->cmdListeningReports->trigger();
             return clippedInShown(program.windows->listeningReports());
         }},
        {"listening report view",
         [](TestProgram &program, frmMain *main) {
             main->cmdListeningReports->trigger();
             click(program.windows->listeningReports()->cmdCreate);
             frmListeningReportView *view = program.windows->listeningReportView();
             return clippedInShown(view) << rowsHidden(view->lstSortBy);
         }},
        {"log viewer",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewLog);
             return clippedInShown(program.windows->log());
         }},
        {"log viewer with its calendar",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewLog);
             click(program.windows->log()->cmdCalendar);
             return clippedInShown(program.windows->log());
         }},
        {"session viewer",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewSession);
             return clippedInShown(program.windows->log());
         }},
        {"session report",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewSession);
             click(program.windows->log()->cmdExport);
             return clippedInShown(program.windows->cleReport());
         }},
        {"session report view",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewSession);
             click(program.windows->log()->cmdExport);
             click(program.windows->cleReport()->Command3);
             frmCLEReportView *view = program.windows->cleReportView();
             return clippedInShown(view) << rowsHidden(view->lstSortBy);
         }},
        // Shown while a printer prints the log.
        {"printing",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdViewLog);
             frmPrintProgress progress(program.windows->log());
             progress.lblProgress->setText(QStringLiteral("Line 1 of 1"));
             progress.show();
             return clippedInShown(&progress);
         }},
        {"reception dialog",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdAddToLog);
             return clippedInShown(program.windows->receptionComments());
         }},
        {"reception dialog with its calendar",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdAddToLog);
             click(program.windows->receptionComments()->cmdDateSelect);
             return clippedInShown(program.windows->receptionComments());
         }},
        {"beacon editor",
         [](TestProgram &, frmMain *main) {
             return clippedInModal([&] { click(main->cmdUpdate); },
                                   [](QWidget *editor) { click(static_cast<frmName *>(editor)->Command1); });
         }},
        // Shown while the database sorts.
        {"sorting",
         [](TestProgram &program, frmMain *) {
             program.windows->sortProgress()->showForm();
             return clippedInShown(program.windows->sortProgress());
         }},
        {"map view",
         [](TestProgram &program, frmMain *main) {
             click(main->cmdMapIt);
             return clippedInShown(program.windows->display());
         }},
        {"help",
         [](TestProgram &program, frmMain *main) {
             main->mnuCnts->trigger();
             return clippedInShown(program.windows->browser());
         }},
        {"master log clear",
         [](TestProgram &, frmMain *main) {
             return clippedInModal([&] { main->mnuMasterClear->trigger(); },
                                   [](QWidget *window) { click(static_cast<frmMasterLogClear *>(window)->cmdExit); });
         }},
        {"backup",
         [](TestProgram &, frmMain *main) {
             return clippedInModal([&] { main->mnuDBBackup->trigger(); },
                                   [](QWidget *window) { click(static_cast<frmBackup *>(window)->cmdExit); });
         }},
        {"restore",
         [](TestProgram &program, frmMain *main) {
             main->mnuDBRestore->trigger();
             return clippedInShown(program.windows->restore());
         }},
        {"GPS radar",
         [](TestProgram &program, frmMain *main) {
             main->mnuDynamic->trigger();
             return clippedInShown(program.windows->gpsRadar());
         }},
        {"comparison charts",
         [](TestProgram &program, frmMain *main) {
             main->mnuComparison->trigger();
             return clippedInShown(program.windows->beaconsPerBearing());
         }},
        {"auroral oval",
         [](TestProgram &program, frmMain *main) {
             main->mnuNAO->trigger();
             return clippedInShown(program.windows->auroralOval());
         }},
        {"weblog",
         [](TestProgram &program, frmMain *main) {
             main->mnuWeblogImport->trigger();
             return clippedInShown(program.windows->weblogImport());
         }},
    };
    return openers;
}

} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_defaultFont = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_defaultFont); }

    void everyWindowShowsAllItHolds_data()
    {
        QTest::addColumn<int>("window"); // -1: the start-up window
        QTest::addColumn<double>("fontScale");
        for (double scale : {1.0, 1.25}) {
            QTest::addRow("start-up window, font x%.2f", scale) << -1 << scale;
            for (int i = 0; i < windowOpeners().size(); ++i)
                QTest::addRow("%s, font x%.2f", windowOpeners()[i].first, scale) << i << scale;
        }
    }
    void everyWindowShowsAllItHolds()
    {
        QFETCH(int, window);
        QFETCH(double, fontScale);
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * fontScale);
        QApplication::setFont(font);

        TestProgram program;
        QStringList problems;
        if (window < 0) {
            program.start();
            problems = clippedInShown(program.windows->splash());
        } else {
            frmMain *main = startShowingLoggedBeacon(program);
            QVERIFY(main);
            problems = windowOpeners()[window].second(program, main);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("\n"))));
    }

private:
    QFont m_defaultFont;
};

QTEST_MAIN(WindowFitTest)
#include "tst_windowfit.moc"
