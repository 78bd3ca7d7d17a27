// Every window of the program as it first opens, at the default font and at a font a
// quarter larger, with ordinary texts and with every text of the user's at its longest:
// no caption of a label, button, tab, group or menu is cut, a caption too long for any
// window shows elided with its whole text at hand, no control lies outside its window,
// and every window fits a screen of 1024x768 with its title bar. Run on a display scaled
// by a quarter, the screen holds that many fewer pixels of the windows, and the default
// font is the only one tried.

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QtMath>

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

// A long text in a failure message: its length and its ends.
QString brief(const QString &text)
{
    if (text.size() <= 80)
        return QLatin1Char('"') + text + QLatin1Char('"');
    return QStringLiteral("\"%1...%2\" (%3 characters)").arg(text.left(30), text.right(30)).arg(text.size());
}

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
    return text.isEmpty() ? name : name + QLatin1Char(' ') + brief(text);
}

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The caption as the user reads it: a button's "&&" is one ampersand, "&x" underlines x.
QString shownText(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    auto *button = qobject_cast<const QAbstractButton *>(w);
    if (!button)
        return {};
    const QString caption = button->text();
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

// Where the whole of an elided caption is at hand: its tool tip (as it reads, should it be
// markup), or a message box's details.
QString textBehind(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget()) {
        if (auto *box = qobject_cast<const QMessageBox *>(p))
            return box->detailedText();
    }
    const QString tip = w->toolTip();
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

const QChar kEllipsis(0x2026);

// shown is whole with one or more runs of it, each at least a character, put as an ellipsis.
bool isElidedFormOf(const QString &shown, const QString &whole)
{
    const QStringList kept = shown.split(kEllipsis);
    if (kept.size() < 2 || !whole.startsWith(kept.first()) || !whole.endsWith(kept.last()))
        return false;
    qsizetype at = kept.first().size();
    for (qsizetype i = 1; i + 1 < kept.size(); ++i) {
        const qsizetype found = whole.indexOf(kept[i], at + 1);
        if (found < 0)
            return false;
        at = found + kept[i].size();
    }
    return at < whole.size() - kept.last().size();
}

QString elisionHidden(const QWidget *w)
{
    const QString shown = shownText(w);
    if (!shown.contains(kEllipsis) || isElidedFormOf(shown, textBehind(w)))
        return {};
    return QStringLiteral("%1 is elided without its whole text at hand (%2)")
        .arg(w->objectName(), brief(textBehind(w)));
}

// A caption that shows a text of the user's: one bounded by its record field or table
// shows exactly that; a name that fits the room its window has on the screen shows whole
// within the caption; an unbounded one may be elided when its whole is at hand.
struct LongCaption {
    enum Whole { Exactly, Within, OrElided };
    QString control; // object name
    QString text;
    Whole whole = Exactly;
};

// What the row started the program with, and the captions it expects to meet.
struct RowData {
    QString station = QStringLiteral("YSSY"); // nearest to the position typed in Preferences
    QList<LongCaption> captions;
    QSet<QString> met;
};

RowData &row()
{
    static RowData data;
    return data;
}

QString longCaptionWrong(const QWidget *w)
{
    QStringList problems;
    const QString shown = shownText(w);
    for (const LongCaption &expected : std::as_const(row().captions)) {
        // A window may show the caption empty before it has a value, as Preferences does
        // its station until a position is typed.
        if (w->objectName() != expected.control || shown.isEmpty())
            continue;
        row().met.insert(expected.control);
        if (auto *label = qobject_cast<const QLabel *>(w); label && label->textFormat() != Qt::PlainText)
            problems << expected.control + QStringLiteral(" would show the user's text as markup");
        const bool whole = expected.whole == LongCaption::Exactly ? shown == expected.text
                                                                  : shown.contains(expected.text);
        const bool elided = expected.whole == LongCaption::OrElided && isElidedFormOf(shown, textBehind(w)) &&
                            textBehind(w).contains(expected.text);
        if (!whole && !elided)
            problems << QStringLiteral("%1 shows %2 for %3").arg(expected.control, brief(shown), brief(expected.text));
    }
    return problems.join(QLatin1Char('\n'));
}

// The title bar and borders a window manager puts around a window, in the screen's own pixels.
constexpr int kTitleBarPixels = 32;

// The window with its title bar on the screen it opens on, less the screen's panels.
QString tooLargeForItsScreen(const QWidget *window)
{
    const QScreen *screen = window->screen();
    QSize framed = window->frameGeometry().size();
    framed.rheight() += qCeil(kTitleBarPixels / screen->devicePixelRatio());
    const QSize room = screen->availableGeometry().size();
    if (framed.width() <= room.width() && framed.height() <= room.height())
        return {};
    return QStringLiteral("%1 needs %2 with its title bar, the screen has %3")
        .arg(describe(window), sizeText(framed), sizeText(room));
}

// A message box is as wide as its title needs in the title bar, in the title font, beside
// the window's icon and its three buttons there.
QString titleCut(const QWidget *window)
{
    if (!qobject_cast<const QMessageBox *>(window))
        return {};
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const int needed = QFontMetrics(font).horizontalAdvance(window->windowTitle()) +
                       4 * window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (needed <= window->width())
        return {};
    return QStringLiteral("the title %1 needs %2 px, the box is %3 wide")
        .arg(brief(window->windowTitle()))
        .arg(needed)
        .arg(window->width());
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

// A closed list shows its choice whole, or elided with the whole in its tool tip.
QString listClipped(const QComboBox *list)
{
    if (list->isEditable() || list->currentText().isEmpty())
        return {};
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.frame = list->hasFrame();
    option.currentText = list->currentText();
    option.iconSize = list->iconSize();
    const QRect room = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    const int needed = list->fontMetrics().horizontalAdvance(list->currentText());
    if (needed <= room.width() || textBehind(list) == list->currentText())
        return {};
    return QStringLiteral("%1 %2 needs %3, has %4")
        .arg(list->objectName(), brief(list->currentText()))
        .arg(needed)
        .arg(room.width());
}

// A read-only box shows its text whole, or from its start with the whole in its tool tip.
QString boxClipped(const QLineEdit *box)
{
    if (!box->isReadOnly() || box->text().isEmpty())
        return {};
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const int room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box).width() - 4;
    const int needed = box->fontMetrics().horizontalAdvance(box->text());
    if (needed <= room || (textBehind(box) == box->text() && box->cursorPosition() == 0))
        return {};
    return QStringLiteral("%1 %2 needs %3, has %4").arg(box->objectName(), brief(box->text())).arg(needed).arg(room);
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
    for (const QString &problem : {tooLargeForItsScreen(window), titleCut(window)}) {
        if (!problem.isEmpty())
            problems << problem;
    }
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
        else if (auto *list = qobject_cast<const QComboBox *>(w))
            clipped = listClipped(list);
        else if (auto *box = qobject_cast<const QLineEdit *>(w))
            clipped = boxClipped(box);
        else
            clipped = barClipped(w);
        for (const QString &problem : {clipped, elisionHidden(w), longCaptionWrong(w)}) {
            if (!problem.isEmpty())
                problems << problem;
        }
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

QByteArray wide(int length)
{
    return QByteArray(length, 'W');
}

// A location's name of 24 letters, as long as many are: the windows that show it have room for it.
const QString kNamedLocation = QStringLiteral("Wolverhampton Marsh Road");

// The captions that show the location's name, each as it reads with the name.
QList<std::pair<QStringList, LongCaption>> nameCaptions(const QString &location, LongCaption::Whole whole)
{
    return {
        {{"reception dialog", "reception dialog with its calendar"},
         {"cmdAddBeacon", QStringLiteral("Add beacon to \"%1\" log.").arg(location), whole}},
        {{"log viewer", "log viewer with its calendar"}, {"lblTitle", location + QStringLiteral(" NDB Log"), whole}},
        {{"master log clear"}, {"chklog(0)", location + QStringLiteral(" -  1 entries"), whole}},
        {{"statistics"}, {"qt_msgbox_label", location, whole}},
    };
}

QList<LongCaption> captionsOf(const QList<std::pair<QStringList, LongCaption>> &shown, const QString &opener)
{
    QList<LongCaption> captions;
    for (const auto &[openers, caption] : shown) {
        if (openers.contains(opener))
            captions << caption;
    }
    return captions;
}

// The texts of the user's at their longest, where the windows show them.
struct LongTexts {
    QString location; // as long a name as Preferences takes, with an ampersand and a tag
    QString folder;   // deeper than any window is wide
};

QList<LongCaption> longCaptionsIn(const QString &opener, const LongTexts &texts)
{
    const QString beacon = QStringLiteral("WWWWWWW - 1234.5 kHz");
    QList<std::pair<QStringList, LongCaption>> shown = {
        {{"main window"}, {"lblkHz", QStringLiteral("WWWWWWW  1234.5 kHz")}},
        {{"preferences"}, {"lblClosestMetar", QStringLiteral("WWWW, WW, ") + QLatin1String(wide(40))}},
        {{"reception dialog", "reception dialog with its calendar"}, {"lblShowAddedBeacon", beacon}},
        {{"reception dialog", "reception dialog with its calendar"},
         {"lblLocation", QLatin1String(wide(30)) + QStringLiteral(", Australian Capital Territory")}},
        {{"reception dialog", "reception dialog with its calendar"},
         {"lblCountry", QStringLiteral("South Georgia and the South Sandwich Islands")}},
        {{"path chooser"}, {"lblPath", texts.folder, LongCaption::OrElided}},
        {{"map view"}, {"lblBeacon", beacon}},
    };
    shown << nameCaptions(texts.location, LongCaption::OrElided);
    return captionsOf(shown, opener);
}

// As above, with every text of the user's at its longest: a beacon with every field full
// in the widest letter, of the country and the state with the longest names, its log and
// session entries with full comments; a weather station with its code, region and name
// full where a position is typed later; the radar's file in a folder deeper than any
// window is wide; the location named by pasting into Preferences more than it takes, in
// an earlier run, so that every window first opens with the name.
frmMain *startShowingLongestTexts(TestProgram &program, LongTexts *texts)
{
    program.ports = {QStringLiteral("ttyS0")};
    Beacon full = beacon(wide(7), "1234.5", 1);
    full.country = "SGS";
    full.state = "AC";
    full.location = wide(30);
    full.power = wide(5);
    full.beaconClass = wide(7);
    full.usb = wide(5);
    full.lsb = wide(5);
    full.daid = "1";
    full.cycle = wide(20);
    full.comments = wide(90);
    program.write("ndb.dat", inSession(full));
    program.write("Logs/log0.dat", logEntry(wide(5), "1234.5", "1015", "20260301", wide(60)));
    program.write("Logs/cle.dat", sessionEntry(wide(5), "1234.5", "1015", "20260301", wide(60), true));
    program.write("Metar.txt", "\"WWWW\",\"\",-33.9461,151.1772,\"" + wide(40) + "\",\"WW\"\r\n" +
                                   program.read(QStringLiteral("Metar.txt")));
    QString folder = program.root();
    for (int depth = 0; depth < 12; ++depth)
        folder += QLatin1Char('/') + QLatin1String(wide(200));
    QDir().mkpath(folder);
    program.presetSetting(RegistryKeys::FilePath, kRegistryString, "BeaconRadarPath",
                          QFile::encodeName(folder + QStringLiteral("/radar.txt")));

    frmMain *earlier = program.startToMain();
    if (!earlier)
        return nullptr;
    earlier->mnuPreferences->trigger();
    frmLocation *preferences = program.windows->location();
    pasteInto(preferences->cmbListeningLocation->lineEdit(),
              QStringLiteral("Tom & Jerry's <b>hut</b> ") + QLatin1String(wide(100000)));
    QTest::mouseClick(preferences->cmdExit, Qt::LeftButton);
    *texts = {preferences->cmbListeningLocation->itemText(0), folder};
    program.windows.reset();
    deleteUnloadedWindows();

    frmMain *main = program.startToMain();
    if (main)
        typeAndEnter(main, QLatin1String(wide(7)));
    return main;
}

QStringList clippedInShown(QWidget *window, bool coversBelow = false)
{
    if (!window || window->isHidden())
        return {QStringLiteral("the window did not open")};
    return clippedIn({window, coversBelow});
}

// A list of messages shows each whole within its width, wrapped where it is long, so that
// none has to be scrolled sideways to be read.
QStringList rowsCutSideways(const QListWidget *list)
{
    QStringList problems;
    if (list->horizontalScrollBar()->maximum() > 0)
        problems << list->objectName() + QStringLiteral(" scrolls sideways");
    const int viewport = list->viewport()->width();
    // The style keeps a margin either side of an item's text.
    const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    for (int i = 0; i < list->count(); ++i) {
        const QRect item = list->visualItemRect(list->item(i));
        const QString text = list->item(i)->text();
        const QRect needed = list->fontMetrics().boundingRect(QRect(0, 0, item.width() - margins, 100000),
                                                               Qt::TextWrapAnywhere, text);
        if (item.left() < 0 || item.right() >= viewport || needed.height() > item.height())
            problems << QStringLiteral("%1 row %2 needs %3 in %4 of %5 px")
                            .arg(list->objectName(), brief(text), sizeText(needed.size()), sizeText(item.size()))
                            .arg(viewport);
    }
    return problems;
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

void activate(QAction *item)
{
    item->trigger();
}

void activate(QWidget *button)
{
    click(button);
}

// The real message box that a command shows, as the user sees it.
QStringList clippedInRealBox(TestProgram &program, const std::function<void()> &command)
{
    MessageBox::setHandler({});
    const QStringList problems = clippedInModal(
        command, [](QWidget *box) { click(static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)); });
    program.boxes.install();
    return problems;
}

// Opens a window with a main-window command, a menu item or a button.
template <typename Command, typename Window>
Opener via(Command *frmMain::*command, Window *(WindowSet::*window)())
{
    return [command, window](TestProgram &program, frmMain *main) {
        activate(main->*command);
        return clippedInShown(((*program.windows).*window)());
    };
}

// The same, then a button of the window it opened, and the window shown then.
template <typename Command, typename First, typename Shown>
Opener via(Command *frmMain::*command, First *(WindowSet::*first)(), QPushButton *First::*button,
           Shown *(WindowSet::*shown)())
{
    return [=](TestProgram &program, frmMain *main) {
        activate(main->*command);
        click(((*program.windows).*first)()->*button);
        return clippedInShown(((*program.windows).*shown)());
    };
}

// The same for a modal window, left by its button leave.
template <typename Command, typename Window>
Opener modalVia(Command *frmMain::*command, QPushButton *Window::*leave)
{
    return [command, leave](TestProgram &, frmMain *main) {
        return clippedInModal([&] { activate(main->*command); },
                              [leave](QWidget *window) { click(static_cast<Window *>(window)->*leave); });
    };
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
             if (!preferences->lblClosestMetar->text().startsWith(row().station))
                 problems << QStringLiteral("no station named: ") + preferences->lblClosestMetar->text();
             return problems << clippedInTabs(preferences, preferences->tabPreferences1);
         }},
        {"beacon radar", via(&frmMain::mnuDistanceCircle, &WindowSet::distanceCircle)},
        {"path chooser",
         via(&frmMain::mnuDistanceCircle, &WindowSet::distanceCircle, &frmDistanceCircle::cmdBeaconReport,
             &WindowSet::fileOperation)},
        {"new-folder dialog",
         [](TestProgram &program, frmMain *main) {
             main->mnuDistanceCircle->trigger();
             click(program.windows->distanceCircle()->cmdBeaconReport);
             return clippedInModal([&] { click(program.windows->fileOperation()->cmdNewDir); },
                                   [](QWidget *dialog) { click(static_cast<frmNewDirectory *>(dialog)->Command1); });
         }},
        {"listening reports", via(&frmMain::cmdListeningReports, &WindowSet::listeningReports)},
        {"listening report view",
         [](TestProgram &program, frmMain *main) {
             main->cmdListeningReports->trigger();
             click(program.windows->listeningReports()->cmdCreate);
             frmListeningReportView *view = program.windows->listeningReportView();
             return clippedInShown(view) << rowsHidden(view->lstSortBy);
         }},
        {"log viewer", via(&frmMain::cmdViewLog, &WindowSet::log)},
        {"log viewer with its calendar",
         via(&frmMain::cmdViewLog, &WindowSet::log, &frmLog::cmdCalendar, &WindowSet::log)},
        {"session viewer", via(&frmMain::cmdViewSession, &WindowSet::log)},
        {"session report",
         via(&frmMain::cmdViewSession, &WindowSet::log, &frmLog::cmdExport, &WindowSet::cleReport)},
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
        {"reception dialog", via(&frmMain::cmdAddToLog, &WindowSet::receptionComments)},
        {"reception dialog with its calendar",
         via(&frmMain::cmdAddToLog, &WindowSet::receptionComments, &frmReceptionComments::cmdDateSelect,
             &WindowSet::receptionComments)},
        {"beacon editor", modalVia(&frmMain::cmdUpdate, &frmName::Command1)},
        // Shown while the database sorts.
        {"sorting",
         [](TestProgram &program, frmMain *) {
             program.windows->sortProgress()->showForm();
             return clippedInShown(program.windows->sortProgress());
         }},
        {"map view", via(&frmMain::cmdMapIt, &WindowSet::display)},
        {"help", via(&frmMain::mnuCnts, &WindowSet::browser)},
        {"master log clear", modalVia(&frmMain::mnuMasterClear, &frmMasterLogClear::cmdExit)},
        {"backup", modalVia(&frmMain::mnuDBBackup, &frmBackup::cmdExit)},
        {"restore", via(&frmMain::mnuDBRestore, &WindowSet::restore)},
        // A refusal names the file, in a folder of the user's, and gives its reason.
        {"restore refusing a settings backup",
         [](TestProgram &program, frmMain *main) {
             const TempFolder drive(program.root());
             const QString folder = QStringLiteral("BackupsOfTheListeningPostOnTheHillByTheOldLighthouse");
             drive.write(folder + QStringLiteral("/Reg.bak"), "not the settings\n");
             main->mnuDBRestore->trigger();
             frmRestore *restore = program.windows->restore();
             restore->setSourceRoot(drive.path(folder));
             click(restore->chkPreferences, QPoint(6, restore->chkPreferences->height() / 2));
             click(restore->Command1);
             if (!restore->lstRestoreProgress->findItems(QStringLiteral("is not a settings backup"), Qt::MatchContains)
                      .size())
                 return QStringList{QStringLiteral("no refusal listed")};
             return clippedInShown(restore) << rowsCutSideways(restore->lstRestoreProgress);
         }},
        {"GPS radar", via(&frmMain::mnuDynamic, &WindowSet::gpsRadar)},
        {"comparison charts", via(&frmMain::mnuComparison, &WindowSet::beaconsPerBearing)},
        {"auroral oval", via(&frmMain::mnuNAO, &WindowSet::auroralOval)},
        {"weblog", via(&frmMain::mnuWeblogImport, &WindowSet::weblogImport)},
        {"statistics",
         [](TestProgram &program, frmMain *main) {
             return clippedInRealBox(program, [&] { main->mnuStatistics->trigger(); });
         }},
        // A short text under a title of its own.
        {"not found",
         [](TestProgram &program, frmMain *main) {
             return clippedInRealBox(program, [&] { typeAndEnter(main, QStringLiteral("QQQQ")); });
         }},
    };
    return openers;
}

} // namespace

// What the user's texts are in a row.
enum class Texts { Ordinary, Named, Longest };

class WindowFitTest : public QObject {
    Q_OBJECT

private slots:
    // Each run is on the screen and in the fonts it names; one that is not would pass
    // for the wrong reason.
    void initTestCase()
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QCOMPARE(screen->geometry().size() * screen->devicePixelRatio(), QSize(1024, 768));
        const QString expected = qEnvironmentVariable("QERN_EXPECTED_FONT");
        const QString family = QFontInfo(QApplication::font()).family();
        if (!family.startsWith(expected))
            QFAIL(qPrintable(QStringLiteral("The windows are drawn in %1, not %2: is its font package installed?")
                                 .arg(family, expected)));
    }
    void init()
    {
        m_defaultFont = QApplication::font();
        row() = {};
    }
    void cleanup() { QApplication::setFont(m_defaultFont); }

    void everyWindowShowsAllItHolds_data()
    {
        QTest::addColumn<int>("window"); // -1: the start-up window
        QTest::addColumn<double>("fontScale");
        QTest::addColumn<Texts>("texts");
        // A scaled display has enlarged the default font already.
        const QList<double> scales =
            QGuiApplication::primaryScreen()->devicePixelRatio() > 1 ? QList<double>{1.0} : QList<double>{1.0, 1.25};
        const QList<std::pair<Texts, const char *>> kinds = {
            {Texts::Ordinary, ""}, {Texts::Named, "named location: "}, {Texts::Longest, "long data: "}};
        for (const auto &[texts, kind] : kinds) {
            for (double scale : scales) {
                if (texts == Texts::Ordinary) // shows no text of the user's
                    QTest::addRow("start-up window, font x%.2f", scale) << -1 << scale << texts;
                for (int i = 0; i < windowOpeners().size(); ++i) {
                    const QString opener = QLatin1String(windowOpeners()[i].first);
                    if (texts == Texts::Named && captionsOf(nameCaptions({}, {}), opener).isEmpty())
                        continue;
                    QTest::addRow("%s%s, font x%.2f", kind, windowOpeners()[i].first, scale) << i << scale << texts;
                }
            }
        }
    }
    void everyWindowShowsAllItHolds()
    {
        QFETCH(int, window);
        QFETCH(double, fontScale);
        QFETCH(Texts, texts);
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * fontScale);
        QApplication::setFont(font);

        TestProgram program;
        QStringList problems;
        frmMain *main = nullptr;
        const QString opener = window < 0 ? QString() : QLatin1String(windowOpeners()[window].first);
        if (window < 0) {
            program.start();
            problems = clippedInShown(program.windows->splash());
        } else if (texts == Texts::Ordinary) {
            main = startShowingLoggedBeacon(program);
        } else if (texts == Texts::Named) {
            program.presetSetting(RegistryKeys::ListeningLocations, kRegistryString, "Location(0)",
                                  kNamedLocation.toLatin1());
            main = startShowingLoggedBeacon(program);
            row().captions = captionsOf(nameCaptions(kNamedLocation, LongCaption::Within), opener);
        } else {
            LongTexts longest;
            main = startShowingLongestTexts(program, &longest);
            QVERIFY(main);
            QCOMPARE(program.stored(RegistryKeys::ListeningLocations, "Location(0)"), longest.location.toLatin1());
            row().station = QStringLiteral("WWWW");
            row().captions = longCaptionsIn(opener, longest);
        }
        if (window >= 0) {
            QVERIFY(main);
            problems = windowOpeners()[window].second(program, main);
            for (const LongCaption &caption : std::as_const(row().captions)) {
                if (!row().met.contains(caption.control))
                    problems << caption.control + QStringLiteral(" was not shown");
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("\n"))));
    }

private:
    QFont m_defaultFont;
};

int main(int argc, char **argv)
{
    // The screen every window has to fit; a display of the user's own is only for a look.
    if (qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")) == QLatin1String("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QERN_TEST_SCREEN);
    QApplication app(argc, argv);
    WindowFitTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfit.moc"
