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

// Reads ndb.dat whole, lets change() alter each record the program counts (a short
// last record only where it has bytes) and writes the file back in one replace when
// anything changed. A missing ndb.dat is error 53 and is not created.
FileError changeEveryBeacon(const ProgramFolder &folder, const std::function<bool(BeaconRecord &)> &change,
                            qint64 *changed)
{
    *changed = 0;
    const QString path = databasePath(folder);
    QByteArray image;
    if (FileError err = readWholeFile(path, &image))
        return err;
    const qint64 count = recordCountForLength(image.size(), BeaconRecord::Length);
    for (qint64 r = 0; r < count; ++r) {
        const qint64 offset = r * BeaconRecord::Length;
        const qint64 present = std::min<qint64>(BeaconRecord::Length, image.size() - offset);
        BeaconRecord record = BeaconRecord::fromBytes(QByteArrayView(image).sliced(offset, present));
        if (!change(record))
            continue;
        const QByteArrayView written = QByteArrayView(record.bytes()).first(present);
        if (written == QByteArrayView(image).sliced(offset, present))
            continue;
        std::copy_n(written.data(), present, image.data() + offset);
        ++*changed;
    }
    if (*changed == 0)
        return {};
    return replaceFileContents(path, image);
}

QString logbookBackupPath(const ProgramFolder &folder, int locationIndex)
{
    return folder.path(QStringLiteral("AutoBackups/log%1.bak").arg(locationIndex));
}

// A clear changes several files: each is checked before the first is changed, so a
// read-only one stops the clear with nothing changed.
FileError checkEveryWritable(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (FileError err = checkWritable(path))
            return err;
    }
    return {};
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
    const QString sessionLog = sessionLogPath(folder);
    if ((result.error = checkEveryWritable({databasePath(folder), sessionLog})))
        return result;
    result.error = changeEveryBeacon(
        folder,
        [](BeaconRecord &beacon) {
            beacon.clearSessionMark();
            return true;
        },
        &result.marksCleared);
    if (result.error)
        return result;
    const bool existed = fileExists(sessionLog);
    if ((result.error = removeFileIfExists(sessionLog)))
        return result;
    result.sessionLogDeleted = existed;
    return result;
}

MasterLogClearResult clearMasterLogs(const ProgramFolder &folder, quint16 selection)
{
    MasterLogClearResult result;
    if (selection == 0)
        return result;
    const QString database = databasePath(folder);
    if (!fileExists(database)) {
        result.error = missingFileError(database);
        return result;
    }

    // A ticked logbook that is a folder or a loop of links is no missing one: it stops
    // the clear with the rest.
    QList<int> present;
    QStringList changed = {database};
    for (int i = 0; i < kLocationCount; ++i) {
        if ((selection & (1u << i)) == 0)
            continue;
        changed << logbookPath(folder, i);
        if (fileExists(logbookPath(folder, i))) {
            present.append(i);
            changed << logbookBackupPath(folder, i);
        }
    }
    if ((result.error = checkEveryWritable(changed)))
        return result;
    for (const int i : present) {
        if ((result.error = copyFileSafely(logbookPath(folder, i), logbookBackupPath(folder, i))))
            return result;
    }

    result.error = changeEveryBeacon(
        folder,
        [selection](BeaconRecord &beacon) {
            const quint32 value = beacon.loggedMask();
            const quint32 cleared = value & selection;
            if (cleared == 0)
                return false;
            beacon.setLoggedMask(value - cleared);
            return true;
        },
        &result.beaconsChanged);
    if (result.error)
        return result;

    for (const int i : present) {
        if ((result.error = replaceFileContents(logbookPath(folder, i), QByteArrayView())))
            return result;
        result.logbooksEmptied.append(i);
    }
    return result;
}

LogEditResult updateLogbookEntry(const ProgramFolder &folder, int locationIndex, const ShownBeacon &shown,
                                 qint64 entryRecord, const LogbookEntryEdit &edit)
{
    LogEditResult result;
    BeaconRecord beacon;
    BeaconKey key;
    if ((result.error = checkLocation(locationIndex)) || !readKeyedBeacon(folder, shown, &beacon, &key, &result))
        return result;
    const BeaconRecord before = beacon;
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

    if ((result.error = writeBeacon(folder, shown.recordNumber, beacon)))
        return result;
    if (!found) {
        result.beaconMissing = true;
        return result;
    }
    entry.set(LogField::Comments, edit.receptionComments);
    entry.set(LogField::Time, edit.time);
    entry.set(LogField::Date, edit.date);
    if ((result.error = entries.write(entryRecord, QByteArrayView(entry.bytes()))))
        result.undone = !writeBeacon(folder, shown.recordNumber, before).failed();
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
    if (matches.isEmpty() || (result.error = checkWritable(sessionLog)))
        return result;
    RecordFileUndo undo(sessionLog, CLERecord::Length);
    RecordFile file(sessionLog, CLERecord::Length);
    for (auto &[number, record] : matches) {
        record.set(CLEField::Time, trimBlanks(time));
        record.set(CLEField::Date, trimBlanks(date));
        record.set(CLEField::Comments, trimBlanks(comments));
        if ((result.error = undo.keepRecord(number)) ||
            (result.error = file.write(number, QByteArrayView(record.bytes())))) {
            file.close();
            result.undone = !undo.undo().failed();
            if (result.undone)
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

    // The bit first: written in place it needs no room on the disk, and it can be put
    // back when the logbook cannot be rewritten.
    const BeaconRecord before = beacon;
    if (result.entriesLeft == 0 && beacon.isLoggedAt(locationIndex)) {
        beacon.setLoggedMask(beacon.loggedMask() - (1u << locationIndex));
        if ((result.error = writeBeacon(folder, shown.recordNumber, beacon)))
            return result;
        result.locationBitCleared = true;
    }
    if (entryRecord != 0 && (result.error = replaceFileContents(logbook, kept))) {
        if (result.locationBitCleared) {
            result.undone = !writeBeacon(folder, shown.recordNumber, before).failed();
            result.locationBitCleared = !result.undone;
        }
    }
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
    result.error = writeBeacon(folder, shown.recordNumber, beacon);
    return result;
}

QString LogEditResult::messageText() const
{
    return failureMessageText(error, undone, kEditNotUndoneText);
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
