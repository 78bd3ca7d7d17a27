#include "LogMaintenance.h"

#include <QStringList>

#include <functional>

#include "BeaconDatabase.h"
#include "ClockTexts.h"
#include "LogRecords.h"
#include "NumberText.h"
#include "SharedState.h"
#include "Text.h"

namespace qern {

namespace {

FileError noSuchLocation(int locationIndex)
{
    return FileError::refused(QStringLiteral("No listening location %1").arg(locationIndex));
}

FileError badRecordNumber(const QString &path)
{
    return {63, QStringLiteral("Bad record number (%1)").arg(path)};
}

FileError checkLocation(int locationIndex)
{
    if (locationIndex < 0 || locationIndex >= kLocationCount)
        return noSuchLocation(locationIndex);
    return {};
}

// The decoded key a beacon's logbook entries and session record carry.
struct BeaconKey {
    QByteArray ident; // duplicate suffix kept
    QByteArray frequency;
    QByteArray countryCode;
};

bool decodeKey(const BeaconRecord &beacon, BeaconKey *key)
{
    bool identOk = false;
    bool frequencyOk = false;
    bool countryOk = false;
    key->ident = beacon.trimmedText(BeaconField::Ident, &identOk);
    key->frequency = beacon.trimmedText(BeaconField::Frequency, &frequencyOk);
    key->countryCode = beacon.trimmedText(BeaconField::CountryCode, &countryOk);
    return identOk && frequencyOk && countryOk;
}

// The shown beacon at its record, with its key; false, with the result saying why,
// when the record holds another beacon now or cannot be read or decoded.
bool readKeyedBeacon(const ProgramFolder &folder, const ShownBeacon &shown, BeaconRecord *beacon, BeaconKey *key,
                     LogEditResult *result)
{
    const BeaconCheck check = readShownBeacon(folder, shown, beacon);
    result->beaconMoved = check.moved;
    result->error = check.error;
    if (!check.passed())
        return false;
    if (!decodeKey(*beacon, key)) {
        result->error = undecodableRecord(shown.recordNumber);
        return false;
    }
    return true;
}

// Lets change() alter each record of an image of ndb.dat that the program counts (a
// short last record only where it has bytes); returns the records changed.
qint64 changeEveryBeacon(QByteArray *image, const std::function<bool(BeaconRecord &)> &change)
{
    qint64 changed = 0;
    const qint64 count = recordCountForLength(image->size(), BeaconRecord::Length);
    for (qint64 r = 0; r < count; ++r) {
        const qint64 offset = r * BeaconRecord::Length;
        const qint64 present = std::min<qint64>(BeaconRecord::Length, image->size() - offset);
        BeaconRecord record = BeaconRecord::fromBytes(QByteArrayView(*image).sliced(offset, present));
        if (!change(record))
            continue;
        const QByteArrayView written = QByteArrayView(record.bytes()).first(present);
        if (written == QByteArrayView(*image).sliced(offset, present))
            continue;
        std::copy_n(written.data(), present, image->data() + offset);
        ++changed;
    }
    return changed;
}

QString logbookBackupPath(const ProgramFolder &folder, int locationIndex)
{
    return folder.path(QStringLiteral("AutoBackups/log%1.bak").arg(locationIndex));
}

FieldCheck red(FieldCheck check)
{
    check.colour = BoxColour::Red;
    check.updateEnabled = false;
    return check;
}

FieldCheck selecting(FieldCheck check, int start, int length)
{
    check.selectionStart = start;
    check.selectionLength = length;
    return check;
}

} // namespace

SessionClearResult clearSession(const ProgramFolder &folder)
{
    SessionClearResult result;
    const QString database = databasePath(folder);
    const QString sessionLog = sessionLogPath(folder);
    QByteArray image;
    if ((result.error = readWholeFile(database, &image)))
        return result;
    const qint64 marks = changeEveryBeacon(&image, [](BeaconRecord &beacon) {
        beacon.clearSessionMark();
        return true;
    });

    FileChange change(folder);
    change.replaces(database);
    change.replaces(sessionLog);
    if ((result.error = change.begin()))
        return result;
    const bool existed = fileExists(sessionLog);
    if ((marks > 0 && (result.error = change.replaceFile(database, image))) ||
        (result.error = change.removeFile(sessionLog))) {
        result.takenBack = change.takeBack();
        return result;
    }
    result.marksCleared = marks;
    result.sessionLogDeleted = existed;
    return result;
}

QString SessionClearResult::messageText() const
{
    return changeFailureText(error, takenBack, kChangeNotTakenBackText);
}

MasterLogClearResult clearMasterLogs(const ProgramFolder &folder, quint16 selection)
{
    MasterLogClearResult result;
    if (selection == 0)
        return result;
    const QString database = databasePath(folder);
    QByteArray image;
    if ((result.error = readWholeFile(database, &image)))
        return result;
    const qint64 beaconsChanged = changeEveryBeacon(&image, [selection](BeaconRecord &beacon) {
        const quint32 value = beacon.loggedMask();
        const quint32 cleared = value & selection;
        if (cleared == 0)
            return false;
        beacon.setLoggedMask(value - cleared);
        return true;
    });

    // A ticked logbook that is a folder or a loop of links is no missing one: it stops
    // the clear with the rest.
    FileChange change(folder);
    change.replaces(database);
    QList<int> present;
    for (int i = 0; i < kLocationCount; ++i) {
        if ((selection & (1u << i)) == 0)
            continue;
        change.replaces(logbookPath(folder, i));
        if (fileExists(logbookPath(folder, i))) {
            present.append(i);
            change.replaces(logbookBackupPath(folder, i));
        }
    }
    if ((result.error = change.begin()))
        return result;
    for (const int i : present) {
        if ((result.error = change.copyFile(logbookPath(folder, i), logbookBackupPath(folder, i))))
            return result;
    }
    if (beaconsChanged > 0 && (result.error = change.replaceFile(database, image))) {
        result.takenBack = change.takeBack();
        return result;
    }
    for (const int i : present) {
        if ((result.error = change.replaceFile(logbookPath(folder, i), QByteArrayView()))) {
            result.takenBack = change.takeBack();
            return result;
        }
    }
    result.beaconsChanged = beaconsChanged;
    result.logbooksEmptied = present;
    return result;
}

QString MasterLogClearResult::messageText() const
{
    return changeFailureText(error, takenBack, kChangeNotTakenBackText);
}

LogEditResult updateLogbookEntry(const ProgramFolder &folder, int locationIndex, const ShownBeacon &shown,
                                 qint64 entryRecord, const LogbookEntryEdit &edit)
{
    LogEditResult result;
    BeaconRecord beacon;
    BeaconKey key;
    if ((result.error = checkLocation(locationIndex)) || !readKeyedBeacon(folder, shown, &beacon, &key, &result))
        return result;
    if (!beacon.setShifted(BeaconField::Comments, edit.beaconComments)) {
        result.error = FileError::refused(
            QStringLiteral("The beacon comments hold a character that cannot be stored"));
        return result;
    }

    // The entry is looked for before anything is written; the comments are saved
    // whether or not it is found.
    const QString logbook = logbookPath(folder, locationIndex);
    RecordFile entries(logbook, LogRecord::Length);
    LogRecord entry;
    bool found = false;
    if (entryRecord >= 1 && !isMissing(logbook)) {
        if ((result.error = entries.openForReading()))
            return result;
        if (entryRecord <= entries.count()) {
            QByteArray bytes;
            if ((result.error = entries.read(entryRecord, &bytes)))
                return result;
            entry = LogRecord::fromBytes(bytes);
            found = logEntryBelongsTo(entry, key.ident, key.frequency);
        }
    }
    if (found && (result.error = checkEntryTimeAndDate(edit.time, edit.date)))
        return result;
    entries.close();

    const QString database = databasePath(folder);
    FileChange change(folder);
    change.writesRecords(database, BeaconRecord::Length, FileChange::Missing::Refused);
    if (found)
        change.writesRecords(logbook, LogRecord::Length, FileChange::Missing::Refused);
    if ((result.error = change.begin()))
        return result;
    if ((result.error = change.writeRecord(database, shown.recordNumber, beacon.bytes()))) {
        result.takenBack = change.takeBack();
        return result;
    }
    if (!found) {
        result.beaconMissing = true;
        return result;
    }
    entry.set(LogField::Comments, edit.receptionComments);
    entry.set(LogField::Time, edit.time);
    entry.set(LogField::Date, edit.date);
    if ((result.error = change.writeRecord(logbook, entryRecord, entry.bytes())))
        result.takenBack = change.takeBack();
    return result;
}

LogEditResult updateSessionRecords(const ProgramFolder &folder, const ShownBeacon &shown, QByteArrayView time,
                                   QByteArrayView date, QByteArrayView comments)
{
    LogEditResult result;
    BeaconRecord beacon;
    BeaconKey key;
    if (!readKeyedBeacon(folder, shown, &beacon, &key, &result) ||
        (result.error = checkEntryTimeAndDate(trimBlanks(time), trimBlanks(date))))
        return result;
    const QString sessionLog = sessionLogPath(folder);
    if (isMissing(sessionLog))
        return result;

    QList<std::pair<qint64, CLERecord>> matches;
    if ((result.error = forEachSessionRecord(sessionLog, [&](qint64 number, const CLERecord &record) {
             if (sessionRecordBelongsTo(record, key.ident, key.frequency, key.countryCode))
                 matches.append({number, record});
             return true;
         })))
        return result;

    // All or nothing: a read-only session log stops it before the first write, and
    // a write that fails puts back the records written before it, and its own.
    if (matches.isEmpty())
        return result;
    FileChange change(folder);
    change.writesRecords(sessionLog, CLERecord::Length, FileChange::Missing::Refused);
    if ((result.error = change.begin()))
        return result;
    for (auto &[number, record] : matches) {
        record.set(CLEField::Time, trimBlanks(time));
        record.set(CLEField::Date, trimBlanks(date));
        record.set(CLEField::Comments, trimBlanks(comments));
        if ((result.error = change.writeRecord(sessionLog, number, record.bytes()))) {
            result.takenBack = change.takeBack();
            if (result.takenBack.putBack)
                result.recordsWritten = 0;
            return result;
        }
        ++result.recordsWritten;
    }
    return result;
}

LogEditResult deleteLogbookEntry(const ProgramFolder &folder, int locationIndex, const ShownBeacon &shown,
                                 qint64 entryRecord)
{
    LogEditResult result;
    BeaconRecord beacon;
    BeaconKey key;
    if ((result.error = checkLocation(locationIndex)) || !readKeyedBeacon(folder, shown, &beacon, &key, &result))
        return result;

    const QString logbook = logbookPath(folder, locationIndex);
    QByteArray kept;
    qint64 count = 0;
    bool removedIsTheBeacons = false;
    if (!isMissing(logbook)) {
        if ((result.error = forEachLogRecord(logbook, [&](qint64 number, const LogRecord &entry) {
                 count = number;
                 const bool belongs = logEntryBelongsTo(entry, key.ident, key.frequency);
                 if (number == entryRecord) {
                     removedIsTheBeacons = belongs;
                     return true;
                 }
                 if (belongs)
                     ++result.entriesLeft;
                 kept += entry.bytes();
                 return true;
             })))
            return result;
    }
    if (entryRecord != 0 && (entryRecord < 0 || entryRecord > count || !removedIsTheBeacons)) {
        result.error = badRecordNumber(logbook);
        return result;
    }

    const QString database = databasePath(folder);
    FileChange change(folder);
    change.writesRecords(database, BeaconRecord::Length, FileChange::Missing::Refused);
    if (entryRecord != 0)
        change.replaces(logbook);
    if ((result.error = change.begin()))
        return result;
    // The bit first: written in place it needs no room on the disk, and it can be put
    // back when the logbook cannot be rewritten.
    const bool clearBit = result.entriesLeft == 0 && beacon.isLoggedAt(locationIndex);
    if (clearBit) {
        beacon.setLoggedMask(beacon.loggedMask() - (1u << locationIndex));
        result.error = change.writeRecord(database, shown.recordNumber, beacon.bytes());
    }
    if (!result.error && entryRecord != 0)
        result.error = change.replaceFile(logbook, kept);
    if (result.error) {
        result.takenBack = change.takeBack();
        result.locationBitCleared = clearBit && !result.takenBack.putBack;
        return result;
    }
    result.locationBitCleared = clearBit;
    return result;
}

LogEditResult removeFromSession(const ProgramFolder &folder, const ShownBeacon &shown)
{
    LogEditResult result;
    BeaconRecord beacon;
    const BeaconCheck check = readShownBeacon(folder, shown, &beacon);
    result.beaconMoved = check.moved;
    if (!check.passed()) {
        result.error = check.error;
        return result;
    }
    beacon.clearSessionMark();
    const QString database = databasePath(folder);
    FileChange change(folder);
    change.writesRecords(database, BeaconRecord::Length, FileChange::Missing::Refused);
    if ((result.error = change.begin()))
        return result;
    if ((result.error = change.writeRecord(database, shown.recordNumber, beacon.bytes())))
        result.takenBack = change.takeBack();
    return result;
}

QString LogEditResult::messageText() const
{
    return changeFailureText(error, takenBack, kEditNotUndoneText);
}

FieldCheck checkLogTime(QByteArrayView text)
{
    if (text.size() > 4)
        return selecting(checkLogTime(text.first(4)), 2, 2);

    FieldCheck check;
    check.text = text.toByteArray();
    if (text.size() >= 2) {
        const double hours = numericValue(text.first(2));
        if (hours < 0 || hours > 23)
            return text.size() == 2 ? selecting(red(check), 0, 2) : red(check);
    }
    if (text.size() == 4) {
        const double minutes = numericValue(text.last(2));
        if (minutes < 0 || minutes > 59)
            return selecting(red(check), 2, 2);
    }
    // Letters and blanks have the value 0, yet no stored time may hold them.
    for (const char c : text) {
        if (c < '0' || c > '9')
            return red(check);
    }
    // Fewer than four digits are accepted as typing goes on, but are no time yet.
    check.updateEnabled = text.size() == 4;
    if (!check.updateEnabled)
        check.colour = BoxColour::LightRed;
    return check;
}

QByteArray logTimeAfterFocusLoss(QByteArrayView text)
{
    if (text.size() == 2 || text.size() == 3)
        return '0' + text.toByteArray();
    return text.toByteArray();
}

FieldCheck checkLogDate(QByteArrayView text)
{
    FieldCheck check;
    check.text = text.toByteArray();
    return CheckDate(text) != 0 ? red(check) : check;
}

} // namespace qern
