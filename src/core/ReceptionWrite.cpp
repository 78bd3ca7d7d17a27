#include "ReceptionWrite.h"

#include "BeaconDatabase.h"
#include "LogRecords.h"
#include "SharedState.h"
#include "Text.h"

namespace qern {

namespace {

QByteArray withoutSeparators(QByteArrayView text, char separator)
{
    QByteArray out = text.toByteArray();
    out.replace(QByteArray(1, separator), QByteArray());
    return out;
}

} // namespace

QString ReceptionResult::messageText() const
{
    return changeFailureText(error, takenBack, kReceptionNotUndoneText, kReceptionNotWrittenText,
                             kReceptionNotWrittenText);
}

ReceptionInput quickLogInput(QByteArrayView currentIdent, QByteArrayView currentFrequency,
                             const ClockTexts &clock)
{
    ReceptionInput input;
    input.ident = StripSemicolonSuffix(currentIdent);
    input.frequency = currentFrequency.toByteArray();
    input.time = withoutSeparators(clock.UTCTimeText, ':');
    input.date = withoutSeparators(clock.UTCDateText, '-');
    return input;
}

ReceptionResult writeReception(const ProgramFolder &folder, const ShownBeacon &shown, int locationIndex,
                               const ReceptionInput &input)
{
    ReceptionResult result;
    if (locationIndex < 0 || locationIndex >= kLocationCount) {
        result.error = FileError::refused(QStringLiteral("No listening location %1").arg(locationIndex));
        return result;
    }
    if ((result.error = checkEntryTimeAndDate(input.time, input.date)))
        return result;

    // The beacon first: when its record holds another one now, nothing is written.
    const qint64 recordNumber = shown.recordNumber;
    BeaconRecord before;
    const BeaconCheck check = readShownBeacon(folder, shown, &before);
    result.beaconMoved = check.moved;
    if (!check.passed()) {
        result.error = check.error;
        return result;
    }
    bool identOk = false;
    bool countryOk = false;
    bool frequencyOk = false;
    const QByteArray ident = before.trimmedText(BeaconField::Ident, &identOk);
    const QByteArray countryCode = before.trimmedText(BeaconField::CountryCode, &countryOk);
    const QByteArray frequency = before.trimmedText(BeaconField::Frequency, &frequencyOk);
    if (!identOk || !countryOk || !frequencyOk) {
        result.error = undecodableRecord(recordNumber);
        return result;
    }

    const quint32 bit = 1u << locationIndex;
    const quint32 mask = before.loggedMask();
    result.firstAtLocation = (mask & bit) != bit;
    result.loggedMask = result.firstAtLocation ? mask + bit : mask;
    BeaconRecord after = before;
    if (result.firstAtLocation)
        after.setLoggedMask(result.loggedMask);
    after.setSessionMark();

    const LogRecord entry =
        LogRecord::make(input.ident, input.frequency, input.time, input.date, input.receptionComments);
    const CLERecord sessionRecord =
        CLERecord::make(ident, countryCode, frequency, trimBlanks(input.time), trimBlanks(input.date),
                        trimBlanks(input.sessionComments), result.firstAtLocation);

    const QString logbook = logbookPath(folder, locationIndex);
    const QString database = databasePath(folder);
    const QString sessionLog = sessionLogPath(folder);
    FileChange change(folder);
    change.writesRecords(logbook, LogRecord::Length);
    change.writesRecords(database, BeaconRecord::Length, FileChange::Missing::Refused);
    change.writesRecords(sessionLog, CLERecord::Length);
    if ((result.error = change.begin()))
        return result;
    if ((result.error = change.appendRecord(logbook, entry.bytes(), &result.logRecordNumber)) ||
        (result.error = change.writeRecord(database, recordNumber, after.bytes())) ||
        (result.error = writeSessionRecord(sessionLog, sessionRecord, &result.sessionRecordNumber,
                                           &result.sessionRecordOverwritten, &change)))
        result.takenBack = change.takeBack();
    return result;
}

} // namespace qern
