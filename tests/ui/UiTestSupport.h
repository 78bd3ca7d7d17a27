#pragma once
// One run of the program for a window test: its own temporary program folder and
// settings file, the message box double, a fixed list of serial ports; helpers that
// write ndb.dat and logbooks byte by byte, type a look-up and read what windows show.

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "BeaconRecord.h"
#include "LogRecords.h"
#include "RegistryStore.h"
#include "ScriptedMessageBox.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "startup/frmRestore.h"
#include "startup/frmSplash.h"

namespace qern::test {

struct Beacon {
    QByteArray ident = "ABC";
    QByteArray frequency = "338";
    QByteArray country = "CAN";
    QByteArray state = "ON";
    QByteArray location = "Port Eden";
    QByteArray latitude = "N45300000";
    QByteArray longitude = "W075421000";
    QByteArray power = "25";
    QByteArray beaconClass = "NDB";
    QByteArray usb = "400";
    QByteArray lsb = "400";
    QByteArray daid = "0";
    quint32 loggedMask = 0;
    QByteArray cycle = "8";
    QByteArray comments = "test beacon";
};

inline QByteArray beaconBytes(const Beacon &b)
{
    BeaconRecord r;
    bool ok = r.setShifted(BeaconField::Ident, b.ident) && r.setShifted(BeaconField::CountryCode, b.country) &&
              r.setShifted(BeaconField::StateCode, b.state) && r.setShifted(BeaconField::Location, b.location) &&
              r.setShifted(BeaconField::Frequency, b.frequency) &&
              r.setShifted(BeaconField::BeaconClass, b.beaconClass) && r.setShifted(BeaconField::Power, b.power) &&
              r.setShifted(BeaconField::Latitude, b.latitude) && r.setShifted(BeaconField::Longitude, b.longitude) &&
              r.setShifted(BeaconField::Current, "202601") && r.setShifted(BeaconField::Cycle, b.cycle) &&
              r.setShifted(BeaconField::USB, b.usb) && r.setShifted(BeaconField::LSB, b.lsb) &&
              r.setShifted(BeaconField::DAID, b.daid) && r.setShifted(BeaconField::Comments, b.comments);
    Q_ASSERT(ok);
    Q_UNUSED(ok);
    r.setLoggedMask(b.loggedMask);
    return r.bytes();
}

inline Beacon beacon(const QByteArray &ident, const QByteArray &frequency = "338", quint32 loggedMask = 0)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    b.loggedMask = loggedMask;
    return b;
}

// Namesakes, as the real database has them: GL on 201 kHz in Canada and in Indonesia.
inline Beacon gl201(const QByteArray &country, const QByteArray &state, const QByteArray &location,
                    const QByteArray &latitude, const QByteArray &longitude, quint32 loggedMask)
{
    Beacon b = beacon("GL", "201", loggedMask);
    b.country = country;
    b.state = state;
    b.location = location;
    b.latitude = latitude;
    b.longitude = longitude;
    return b;
}
inline Beacon laGrandeRiviere(quint32 loggedMask = 0)
{
    return gl201("CAN", "QC", "La Grande Riviere", "N53374900", "W077421500", loggedMask);
}
inline Beacon galela(quint32 loggedMask = 0)
{
    return gl201("IDN", "", "Galela", "N01501700", "E127471100", loggedMask);
}

// The beacon's record in the session: it carries "z".
inline QByteArray inSession(const Beacon &b)
{
    BeaconRecord r = BeaconRecord::fromBytes(beaconBytes(b));
    r.setSessionMark();
    return r.bytes();
}

inline QByteArray logEntry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                           const QByteArray &date, const QByteArray &comments = {})
{
    return LogRecord::make(ident, frequency, time, date, comments).bytes();
}

// A session record of a Canadian beacon.
inline QByteArray sessionEntry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                               const QByteArray &date, const QByteArray &comments, bool firstReception)
{
    return CLERecord::make(ident, "CAN", frequency, time, date, comments, firstReception).bytes();
}

// Typed key by key, as the user would; letters Qt Test cannot type arrive as a paste would.
inline void typeAndEnter(frmMain *main, const QString &text)
{
    main->txtIdent->clear();
    if (text.toLatin1() == text.toUtf8())
        QTest::keyClicks(main->txtIdent, text);
    else
        main->txtIdent->insert(text);
    QTest::keyClick(main->txtIdent, Qt::Key_Return);
}

// A click on the arrow at the right end of the main window's match stepper.
inline void stepToNextMatch(frmMain *main)
{
    QScrollBar *stepper = main->scrBeaconNumber;
    QTest::mouseClick(stepper, Qt::LeftButton, {}, QPoint(stepper->width() - 4, stepper->height() / 2));
}

// A click on a list's row, where the user's mouse lands.
inline void clickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Replaces what box holds by text pasted through the clipboard, as the user would.
inline void pasteInto(QLineEdit *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

inline QStringList listTexts(const QAbstractItemView *list)
{
    QStringList texts;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        texts << list->model()->index(i, 0).data().toString();
    return texts;
}

// What labels, boxes, buttons and lists show, to compare a window's face in one go.
inline QStringList textsOf(std::initializer_list<const QWidget *> widgets)
{
    QStringList texts;
    for (const QWidget *w : widgets) {
        if (auto *label = qobject_cast<const QLabel *>(w))
            texts << label->text();
        else if (auto *box = qobject_cast<const QLineEdit *>(w))
            texts << box->text();
        else if (auto *button = qobject_cast<const QAbstractButton *>(w))
            texts << button->text();
        else if (auto *list = qobject_cast<const QComboBox *>(w))
            texts << list->currentText();
        else
            texts << QStringLiteral("(no text: %1)").arg(w ? w->objectName() : QStringLiteral("null"));
    }
    return texts;
}

inline QColor baseColour(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

inline QColor neutralColour(const QLineEdit *box)
{
    return QApplication::palette(box).color(QPalette::Base);
}

const QColor kRed(255, 0, 0);
const QColor kGreen(128, 255, 128);
const QColor kLightRed(255, 128, 128);

// A file or folder the user made read-only (QERN refuses it even to root); writable
// again when this goes. A folder can still be entered.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path) : m_path(path), m_entered(QFileInfo(path).isDir() ? kEntered : 0)
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | m_entered);
    }
    ~ReadOnlyFile() { release(); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    void release()
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther |
                                          m_entered);
    }

private:
    static constexpr QFile::Permissions kEntered{QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther};
    QString m_path;
    QFile::Permissions m_entered;
};

// Rows of a test run once each way: the column false, then true.
inline void bothWays(const char *column, const char *whenFalse, const char *whenTrue)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(whenFalse) << false;
    QTest::newRow(whenTrue) << true;
}

// Rows for the tests of a window that closes the same way by its button and by its title bar.
inline void closingRows()
{
    bothWays("byTitleBar", "button", "title bar");
}

inline void closeWindow(QWidget *window, QWidget *button, bool byTitleBar)
{
    if (byTitleBar)
        window->close();
    else
        QTest::mouseClick(button, Qt::LeftButton);
}

// Escape as the user presses it: a key event to the widget that has the focus in the
// window, once the window is active.
inline void pressEscape(QWidget *window)
{
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget *focused = window->focusWidget();
    QTest::keyClick(focused ? focused : window, Qt::Key_Escape);
}

// Windows unloaded with deleteLater are gone after this.
inline void deleteUnloadedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A temporary folder (or a folder inside one) with byte-level helpers.
class TempFolder {
public:
    explicit TempFolder(const QString &inside = {})
    {
        QVERIFY2(m_dir.isValid(), "no temporary folder");
        m_root = QDir::cleanPath(inside.isEmpty() ? m_dir.path() : m_dir.filePath(inside));
        QDir().mkpath(m_root);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const QString &root() const { return m_root; }
    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }
    void write(const QString &relative, const QByteArray &content) const
    {
        const QString p = path(relative);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(content), content.size());
    }
    QByteArray read(const QString &relative) const
    {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QList<QByteArray> readEach(const QStringList &files) const
    {
        QList<QByteArray> contents;
        for (const QString &file : files)
            contents << read(file);
        return contents;
    }
    void remove(const QString &relative) const { QFile::remove(path(relative)); }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    void mkdir(const QString &relative) const { QDir().mkpath(path(relative)); }
    QStringList files() const { return QDir(m_root).entryList(QDir::Files, QDir::Name); }

protected:
    QTemporaryDir m_dir;
    QString m_root;
};

class TestProgram : public TempFolder {
public:
    enum Settings { FirstRun, DefaultsWritten };

    // DefaultsWritten: the settings of an earlier run are there, so no greeting.
    explicit TestProgram(Settings settings = DefaultsWritten) : TempFolder(QStringLiteral("folder"))
    {
        m_settings = m_dir.filePath(QStringLiteral("registry.ini"));
        seed();
        if (settings == DefaultsWritten) {
            RegistryStore earlier(m_settings);
            WriteDefaultPreferences(earlier);
        }
        state.folder = ProgramFolder(m_root);
        QDir::setCurrent(m_root);
    }
    ~TestProgram()
    {
        windows.reset();
        store.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(QDir::tempPath());
    }
    const QString &settingsPath() const { return m_settings; }
    // The settings file as it is on the disk.
    QByteArray settingsFile() const
    {
        QFile f(m_settings);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    BeaconRecord storedBeacon(qint64 number) const
    {
        return BeaconRecord::fromBytes(read("ndb.dat").mid((number - 1) * BeaconRecord::Length, BeaconRecord::Length));
    }
    qint64 storedCount() const { return read("ndb.dat").size() / BeaconRecord::Length; }

    void writeBeacons(const QList<Beacon> &beacons) const
    {
        QByteArray bytes;
        for (const Beacon &b : beacons)
            bytes += beaconBytes(b);
        write(QStringLiteral("ndb.dat"), bytes);
    }

    // Settings written before the program starts (the store is created by start()).
    void presetSetting(const char *key, const char *type, const char *name, const QByteArray &value)
    {
        RegistryStore preset(m_settings);
        if (!preset.baseKeyExists())
            WriteDefaultPreferences(preset);
        preset.SetRegistryValue(key, type, name, value);
    }
    void presetRemoved(const char *key, const char *name)
    {
        RegistryStore preset(m_settings);
        if (!preset.baseKeyExists())
            WriteDefaultPreferences(preset);
        QVERIFY(preset.DeleteRegistryValue(key, name));
    }
    // What the settings file holds now.
    QByteArray stored(const char *key, const char *name) const
    {
        return RegistryStore(m_settings).GetRegistryValue(key, name);
    }

    // The start-up window loads and becomes active; the main window is loaded hidden.
    void start()
    {
        store = std::make_unique<RegistryStore>(m_settings);
        windows = std::make_unique<WindowSet>(state, *store, [this] { return ports; });
        frmSplash *splash = windows->splash();
        if (!windows->hasEnded())
            splash->showForm();
    }

    // start(), then "Click to continue".
    frmMain *startToMain()
    {
        start();
        if (windows->hasEnded())
            return nullptr;
        windows->splash()->cmdContinue_Click();
        return windows->hasEnded() ? nullptr : windows->main();
    }
    frmMain *startWith(const QList<Beacon> &beacons)
    {
        writeBeacons(beacons);
        return startToMain();
    }
    // startWith(), then ident typed into the main window's look-up.
    frmMain *startShowing(const QList<Beacon> &beacons, const QString &ident = QStringLiteral("ABC"))
    {
        frmMain *main = startWith(beacons);
        if (main)
            typeAndEnter(main, ident);
        return main;
    }

    ScriptedMessageBox boxes;
    SharedState state;
    QStringList ports;
    std::unique_ptr<RegistryStore> store;
    std::unique_ptr<WindowSet> windows;

private:
    // The shipped tables and map outlines; each test writes its own database.
    void seed() const
    {
        const QDir data(QStringLiteral(QERN_SOURCE_DATA_DIR));
        for (const char *name : {"State.dat", "Country.dat", "region.dat", "Metar.txt", "maps/coast.pnt",
                                 "maps/lake.pnt", "maps/island.pnt", "maps/river.pnt", "maps/mapper.pnt",
                                 "maps/prov.pnt", "maps/state.pnt", "maps/country.pnt"}) {
            QFile shipped(data.filePath(QLatin1String(name)));
            QVERIFY2(shipped.open(QIODevice::ReadOnly), name);
            write(QLatin1String(name), shipped.readAll());
        }
    }

    QString m_settings;
};

// The restore window reading the backup set in drive, one part ticked.
inline frmRestore *restoreFrom(TestProgram &program, const TempFolder &drive, QCheckBox *frmRestore::*part)
{
    frmRestore *restore = program.windows->restore();
    restore->setSourceRoot(drive.root());
    (restore->*part)->setChecked(true);
    return restore;
}

} // namespace qern::test
