#pragma once
// Beacon databases, logbooks and session logs for the core tests, stored as the program
// stores them, in a temporary program folder.

#include <QList>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "LogRecords.h"
#include "Tables.h"
#include "TestFolder.h"

namespace qern::test {

// One beacon as the editor takes it. Every field has a value of its own, so a test
// names only the fields it is about: beacon({.ident = "XYZ", .mask = 1}).
struct Beacon {
    QByteArray ident = "ABC";
    QByteArray country = "CAN";
    QByteArray state = "ON";
    QByteArray location = "Port Eden";
    QByteArray frequency = "338";
    QByteArray beaconClass = "NDB";
    QByteArray power = "25";
    // 47 42 40 N, 80 01 00 W: 523.9 km (325.6 miles) from 43N 80W, bearing 359.9.
    QByteArray latitude = "N47424000";
    QByteArray longitude = "W080010000";
    QByteArray current = "202612";
    QByteArray cycle = "8.0";
    QByteArray usb = "400";
    QByteArray lsb = "1020";
    QByteArray daid = "1";
    QByteArray comments = "Heard at dusk";
    quint32 mask = 0;
    QByteArray cleMark = " "; // stored as it stands; "z" is in the session
    QByteArray spare = "s";
};

// The record of b; an empty field is one plain blank, as the editor stores it.
inline BeaconRecord beacon(const Beacon &b = {})
{
    BeaconRecord r;
    const std::pair<BeaconField, const QByteArray &> fields[] = {
        {BeaconField::Ident, b.ident},         {BeaconField::CountryCode, b.country},
        {BeaconField::StateCode, b.state},     {BeaconField::Location, b.location},
        {BeaconField::Frequency, b.frequency}, {BeaconField::BeaconClass, b.beaconClass},
        {BeaconField::Power, b.power},         {BeaconField::Latitude, b.latitude},
        {BeaconField::Longitude, b.longitude}, {BeaconField::Current, b.current},
        {BeaconField::Cycle, b.cycle},         {BeaconField::USB, b.usb},
        {BeaconField::LSB, b.lsb},             {BeaconField::DAID, b.daid},
        {BeaconField::Comments, b.comments},
    };
    for (const auto &[field, value] : fields)
        EXPECT_TRUE(r.setShiftedOrBlank(field, value));
    r.setLoggedMask(b.mask);
    r.setRaw(BeaconField::CLEMark, b.cleMark);
    r.setRaw(BeaconField::Spare, b.spare);
    return r;
}

template <typename Record>
QByteArray bytesOfRecords(const QList<Record> &records)
{
    QByteArray bytes;
    for (const Record &r : records)
        bytes += r.bytes();
    return bytes;
}
inline QByteArray bytesOf(const QList<BeaconRecord> &records) { return bytesOfRecords(records); }
inline QByteArray bytesOf(const QList<LogRecord> &records) { return bytesOfRecords(records); }
inline QByteArray bytesOf(const QList<CLERecord> &records) { return bytesOfRecords(records); }

// The whole records of bytes, in file order.
template <typename Record>
QList<Record> recordsOf(const QByteArray &bytes)
{
    QList<Record> records;
    for (qsizetype at = 0; at + Record::Length <= bytes.size(); at += Record::Length)
        records.append(Record::fromBytes(bytes.mid(at, Record::Length)));
    return records;
}

// Countries and states for tests: two countries share the state code WA.
inline CountryTable sampleCountries()
{
    CountryTable table;
    table.rows = {{"AUS", "Australia", "AU"}, {"CAN", "Canada", "CA"}, {"NOR", "Norway", "NO"},
                  {"USA", "USA", "US"}, {"NRL", "Norland", ""}};
    return table;
}
inline StateTable sampleStates()
{
    StateTable table;
    table.rows = {{"WA", "Western Australia", "AUS"}, {"ON", "Ontario", "CAN"}, {"WA", "Washington", "USA"},
                  {"ME", "Maine", "USA"}, {"ET", "Eastland", "NRL"}};
    return table;
}

// A program folder holding what start-up leaves (Logs, AutoBackups) and the files a test writes.
class DataFolder : public TestFolder {
public:
    DataFolder()
    {
        mkdir("Logs");
        mkdir("AutoBackups");
    }

    // Each writer returns the bytes it wrote, for a test to compare with later.
    QByteArray writeDatabase(const QList<BeaconRecord> &records) const
    {
        return writeRecords("ndb.dat", bytesOf(records));
    }
    QByteArray writeLogbook(int location, const QList<LogRecord> &entries) const
    {
        return writeRecords(QStringLiteral("Logs/log%1.dat").arg(location), bytesOf(entries));
    }
    QByteArray writeSessionLog(const QList<CLERecord> &records) const
    {
        return writeRecords("Logs/cle.dat", bytesOf(records));
    }

    BeaconRecord beaconAt(qint64 number) const
    {
        BeaconRecord r;
        const FileError error = readBeacon(folder(), number, &r);
        EXPECT_FALSE(error.failed()) << error.messageText().toStdString();
        return r;
    }
    // The beacon at number as a window shows it: the one stored there now.
    ShownBeacon shownAt(qint64 number) const
    {
        BeaconRecord r;
        if (readBeacon(folder(), number, &r).failed())
            r = BeaconRecord();
        return shownBeaconOf(number, r);
    }
    QList<LogRecord> logbook(int location) const
    {
        return recordsOf<LogRecord>(read(QStringLiteral("Logs/log%1.dat").arg(location)));
    }
    QList<CLERecord> sessionLog() const { return recordsOf<CLERecord>(read("Logs/cle.dat")); }

private:
    QByteArray writeRecords(const QString &relative, const QByteArray &bytes) const
    {
        write(relative, bytes);
        return bytes;
    }
};

} // namespace qern::test
