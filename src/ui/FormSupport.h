#pragma once
// Small pieces every window of QERN shares: sizes in twips, letting events run
// without taking user input, fonts asked for by name, and the gate that keeps a
// command disabled until the window it opens exists.

#include <QByteArray>
#include <QComboBox>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

#include <initializer_list>
#include <optional>
#include <utility>

class QAction;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QObject;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace qern {

struct SharedState;

constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// Lets pending paint and timer events run. User input waits, so no handler
// re-enters through a click or a key while another one is under way; a window
// closed meanwhile closes once the handler is done.
void letEventsRun();

// A font asked for by name; fontconfig substitutes when it is absent.
QFont namedFont(const QString &family, int pointSize = 9, bool bold = false);
// The fixed-width font of lists ("Courier" when present).
QFont fixedListFont();

// The width a label or a button needs to show a caption whole in its font and style.
int captionWidth(const QWidget *control, const QString &caption);

// The room a window has on the screen it opens on: the screen less its panels, and less
// the title bar and borders that the window manager puts around the window.
QSize roomOnScreen(const QWidget *window);

// Lays out a window's controls: the layout gives each control what its caption needs in
// the font of the day, and the window never comes out smaller than designed.
void layOutWindow(QWidget *window, QLayout *content, QSize designed);
// A control in a layout keeps its designed size as its least, or what its caption needs
// in the font of the day when that is more.
void setDesignedSize(QWidget *control, int width, int height = 0);
// A control that a window shows and hides keeps its room in the layout meanwhile, so
// that nothing beside it moves.
void keepRoomWhenHidden(QWidget *control);
// A box for a short text of known form (a time, a date, an ident) is as wide as designed,
// or as its widest text needs in the font of the day.
void setBoxWidth(QLineEdit *box, int designedWidth, const QString &widest);

// A caption of a label or button around a text of the user's that no window can hold at
// its longest (a location's name: Preferences takes thousands of characters; a folder).
// It shows whole when it fits the control; else the user's text is elided, the words
// around it stay, and the tool tip holds the whole caption. It fits itself again when the
// control's width or font changes. Shown as plain text: an ampersand or a tag of the
// user's is shown as it is. A control in a layout asks for the width of the whole
// caption, as far as the screen lets its window widen, so that only what does not fit
// there is elided.
void setUserTextCaption(QWidget *control, const QString &before, const QString &userText,
                        const QString &after = {}, Qt::TextElideMode mode = Qt::ElideRight);

// A read-only box of a record's texts shows each text from its start, and the whole text
// in its tool tip while the box is too narrow for it.
void showTextFromStart(QLineEdit *box);

// A list of messages shows each row whole within the list's width, wrapped, a long word
// (a folder's path) broken where it must be: no row has to be scrolled sideways to be read.
void wrapRowsToWidth(QListView *list);

// A list whose choice, a text of the user's, shows elided when the list is too narrow for
// it, whole in the tool tip and in the opened list.
class ElidingList : public QComboBox {
public:
    ElidingList(const char *objectName, Qt::TextElideMode mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect choiceRect() const;
    void updateToolTip();

    Qt::TextElideMode m_mode;
};

// A list of names of the user's (the listening locations), as wide as a name as long as a
// beacon's place needs, however long a name is.
class NameList : public ElidingList {
public:
    explicit NameList(const char *objectName);
};

// A list of folders, elided in the middle so that both the start and the folder's own
// name show.
class FolderList : public ElidingList {
public:
    explicit FolderList(const char *objectName);
};

// Controls of the windows laid out by layouts. A button never takes Enter for itself:
// the windows give Enter its own meaning.
QPushButton *namedButton(const char *objectName, const QString &caption);
QRadioButton *namedOption(const char *objectName, const QString &caption);

// A map-detail scroll bar runs from "Less" on the left to "More" on the right, by arrow,
// page, drag and key alike. Its detail value counts the other way, as it is stored: an
// outline point is drawn only when its level is above the value, so "More" is the minimum.
QScrollBar *newDetailScrollBar(const char *objectName, int minimum, int maximum);
int detailValue(const QScrollBar *bar);
void setDetailValue(QScrollBar *bar, int detail);

// Shows a modeless window in front and gives it the focus.
void bringToFront(QWidget *window);

// Replaces characters however text enters a box (typed, pasted, dropped), so that a
// comment box never holds a double quote: each pair is (entered, stored).
void replaceEnteredCharacters(QLineEdit *box, const QList<std::pair<QChar, QChar>> &replacements);

// Refreshes the shared clock texts and shows them in a window's clock labels:
// "UTC " + date, two blanks, time; "Local " + date, three blanks, time.
void refreshClockLabels(SharedState &state, QLabel *utc, QLabel *local);
// Clock labels keep the width those texts need at any date and time, so that nothing
// beside them moves as the time changes.
void keepClockWidth(QLabel *clock);

// Text on its way into the user's files, which hold Windows-1252: a character outside
// it is not turned into "?" but refused, shown as refusal titled "Error", and nothing
// comes back, so the caller stores nothing.
std::optional<QByteArray> storableText(const QString &text, const QString &refusal);

// The comment boxes of a logging window, each through storableText; the first that
// holds such a character gets the focus and false comes back.
bool commentsStorable(std::initializer_list<QLineEdit *> boxes);

// A check box as a number: 0 clear, 1 ticked, 2 greyed.
int checkValue(const QCheckBox *box);
void setCheckValue(QCheckBox *box, int value);

// The enabled state of a command is what the program asks for (armed) and whether
// what it opens exists yet (available). A command shows enabled only when both hold;
// the armed state is kept, so a later landing of the window starts consistent.
class CommandGate {
public:
    void setAvailable(QObject *command, bool available);
    bool isAvailable(QObject *command) const;
    void setArmed(QObject *command, bool armed);
    bool isArmed(QObject *command) const;

private:
    void apply(QObject *command);
    struct Entry {
        QPointer<QObject> command;
        bool armed = true;
        bool available = true;
    };
    QHash<QObject *, Entry> m_entries;
};

} // namespace qern
