#pragma once
// One run of the program for a window test: its own temporary program folder and
// settings file, the message box double, a fixed list of serial ports, and helpers
// that write ndb.dat and logbooks byte by byte.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
};

inline QByteArray beaconBytes(const Beacon &b)
{
    BeaconRecord r;
    bool ok = r.setShifted(BeaconField::Ident, b.ident) && r.setShifted(BeaconField::CountryCode, b.country) &&
              r.setShifted(BeaconField::StateCode, b.state) && r.setShifted(BeaconField::Location, b.location) &&
              r.setShifted(BeaconField::Frequency, b.frequency) &&
              r.setShifted(BeaconField::BeaconClass, b.beaconClass) && r.setShifted(BeaconField::Power, b.power) &&
              r.setShifted(BeaconField::Latitude, b.latitude) && r.setShifted(BeaconField::Longitude, b.longitude) &&
              r.setShifted(BeaconField::Current, "202601") && r.setShifted(BeaconField::Cycle, "8") &&
              r.setShifted(BeaconField::USB, b.usb) && r.setShifted(BeaconField::LSB, b.lsb) &&
              r.setShifted(BeaconField::DAID, b.daid) && r.setShifted(BeaconField::Comments, "test beacon");
    Q_ASSERT(ok);
    Q_UNUSED(ok);
    r.setLoggedMask(b.loggedMask);
    return r.bytes();
}

class TestProgram {
public:
    enum Settings { FirstRun, DefaultsWritten };

    // DefaultsWritten: the settings of an earlier run are there, so no greeting.
    explicit TestProgram(Settings settings = DefaultsWritten)
    {
        QVERIFY2(m_dir.isValid(), "no temporary folder");
        m_folder = m_dir.filePath(QStringLiteral("folder"));
        m_settings = m_dir.filePath(QStringLiteral("registry.ini"));
        seed();
        if (settings == DefaultsWritten) {
            RegistryStore earlier(m_settings);
            WriteDefaultPreferences(earlier);
        }
        state.folder = ProgramFolder(m_folder);
        QDir::setCurrent(m_folder);
    }
    ~TestProgram()
    {
        windows.reset();
        store.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(QDir::tempPath());
    }
    TestProgram(const TestProgram &) = delete;
    TestProgram &operator=(const TestProgram &) = delete;

    QString path(const QString &relative) const { return m_folder + QLatin1Char('/') + relative; }
    const QString &settingsPath() const { return m_settings; }

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
    void remove(const QString &relative) const { QFile::remove(path(relative)); }

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

    ScriptedMessageBox boxes;
    SharedState state;
    QStringList ports;
    std::unique_ptr<RegistryStore> store;
    std::unique_ptr<WindowSet> windows;

private:
    // The shipped files when the source tree has them, else small ones of our own.
    void seed() const
    {
        const QDir data(QStringLiteral(QERN_SOURCE_DATA_DIR));
        QDir().mkpath(m_folder);
        bool tables = true;
        for (const char *name : {"State.dat", "Country.dat", "region.dat", "Metar.txt"})
            tables = tables && data.exists(QLatin1String(name));
        if (tables) {
            for (const char *name : {"State.dat", "Country.dat", "region.dat", "Metar.txt"})
                QFile::copy(data.filePath(QLatin1String(name)), path(QLatin1String(name)));
        } else {
            write(QStringLiteral("State.dat"), "\"ON\",\"Ontario\",\"CAN\"\r\n\"ME\",\"Maine\",\"USA\"\r\n");
            write(QStringLiteral("Country.dat"),
                  "\"CAN\",\"Canada\",\"CA\"\r\n\"USA\",\"USA\",\"US\"\r\n\"NOR\",\"Norway\",\"NO\"\r\n");
            write(QStringLiteral("region.dat"), "\"XX\",\"No region\",\"\"\r\n");
            write(QStringLiteral("Metar.txt"), "\"CYOW\",\"\",45.3225,-75.6692,\"Ottawa\",\"ON\"\r\n");
        }
        QDir().mkpath(path(QStringLiteral("maps")));
        for (const char *map : {"coast.pnt", "lake.pnt", "island.pnt", "river.pnt", "mapper.pnt", "prov.pnt",
                                "state.pnt", "country.pnt"}) {
            const QString shipped = data.filePath(QStringLiteral("maps/") + QLatin1String(map));
            if (!QFile::exists(shipped) || !QFile::copy(shipped, path(QStringLiteral("maps/") + QLatin1String(map))))
                write(QStringLiteral("maps/") + QLatin1String(map), QByteArray(6, '\0'));
        }
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_settings;
};

} // namespace qern::test
