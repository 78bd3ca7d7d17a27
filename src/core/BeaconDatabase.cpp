#include "BeaconDatabase.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

#include "NumberText.h"
#include "PlainNumber.h"
#include "Text.h"

namespace qern {

namespace {

constexpr double kHighestFrequencyKHz = 4500.0; // exclusive

FileError badRecordNumber(const QString &path)
{
    return {63, QStringLiteral("Bad record number (%1)").arg(path)};
}

// The decoded numeric Frequency of one stored record, decoded on the stack: the check
// runs on every record.
double storedFrequencyValue(QByteArrayView record)
{
    std::array<char, layoutOf(BeaconField::Frequency).width> plain{};
    return plainNumberValue(decodeFieldInto(record, BeaconField::Frequency, plain));
}

unsigned char lowestByte(QByteArrayView bytes)
{
    unsigned char lowest = 0xFF;
    for (const char c : bytes)
        lowest = std::min(lowest, static_cast<unsigned char>(c));
    return lowest;
}

// Bytes 0 and 1 have no plain form: stored in any shifted field they mean the record
// was damaged (the writers never produce them).
bool holdsUndecodableByte(QByteArrayView record)
{
    return lowestByte(record.first(layoutOf(BeaconField::LoggedMask).offset)) < 2;
}

bool frequencyValueIsValid(double kHz)
{
    return kHz > 0.0 && kHz < kHighestFrequencyKHz;
}

bool storedFrequencyIsValid(QByteArrayView record)
{
    return frequencyValueIsValid(storedFrequencyValue(record));
}

} // namespace

QString databasePath(const ProgramFolder &folder)
{
    return folder.path(QString::fromLatin1(kDatabaseFileName));
}

qint64 databaseRecordCount(const ProgramFolder &folder)
{
    return recordCountForLength(fileLength(databasePath(folder)), BeaconRecord::Length);
}

FileError readBeacon(const ProgramFolder &folder, qint64 number, BeaconRecord *record)
{
    const QString path = databasePath(folder);
    RecordFile file(path, BeaconRecord::Length);
    if (FileError err = file.openForReading())
        return err;
    if (number < 1 || number > file.count())
        return {62, QStringLiteral("Input past end of file (%1)").arg(path)};
    QByteArray bytes;
    if (FileError err = file.read(number, &bytes))
        return err;
    *record = BeaconRecord::fromBytes(bytes);
    return {};
}

FileError writeBeacon(const ProgramFolder &folder, qint64 number, const BeaconRecord &record)
{
    const QString path = databasePath(folder);
    if (!fileExists(path))
        return missingFileError(path);
    RecordFile file(path, BeaconRecord::Length);
    if (FileError err = file.openForWriting())
        return err;
    // In place or as the next record; a gap of blank records would read as corruption.
    if (number < 1 || number > file.count() + 1)
        return badRecordNumber(path);
    return file.write(number, QByteArrayView(record.bytes()));
}

FileError undecodableRecord(qint64 number)
{
    return FileError::refused(
        QStringLiteral("The beacon's record %1 holds characters that cannot be read").arg(number));
}

namespace {

// The fields that tell a beacon apart, in ShownBeacon's order.
constexpr BeaconField kIdentityFields[] = {BeaconField::Ident, BeaconField::Frequency, BeaconField::CountryCode,
                                           BeaconField::Latitude, BeaconField::Longitude};

template <typename Beacon>
auto identityOf(Beacon &shown)
{
    return std::array{&shown.ident, &shown.frequency, &shown.countryCode, &shown.latitude, &shown.longitude};
}

// The shown beacon's fields as they compare: trimmed, in capitals.
ShownBeacon comparable(const ShownBeacon &shown)
{
    ShownBeacon wanted = shown;
    for (QByteArray *field : identityOf(wanted))
        *field = upperCase(trimBlanks(*field));
    return wanted;
}

// Field by field, up to the first that differs; *decodable false when one read
// cannot be decoded. wanted: comparable().
bool holdsIdentity(const BeaconRecord &record, const ShownBeacon &wanted, bool *decodable)
{
    const auto fields = identityOf(wanted);
    *decodable = true;
    for (size_t i = 0; i < fields.size(); ++i) {
        const QByteArray stored = record.trimmedText(kIdentityFields[i], decodable);
        if (!*decodable || upperCase(stored) != *fields[i])
            return false;
    }
    return true;
}

} // namespace

bool holdsShownBeacon(const BeaconRecord &record, const ShownBeacon &shown)
{
    bool decodable = false;
    return holdsIdentity(record, comparable(shown), &decodable);
}

BeaconCheck readShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown, BeaconRecord *record)
{
    BeaconCheck check;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        check.error = missingFileError(path);
        return check;
    }
    if (shown.recordNumber < 1 || shown.recordNumber > databaseRecordCount(folder)) {
        check.moved = true;
        return check;
    }
    BeaconRecord found;
    if ((check.error = readBeacon(folder, shown.recordNumber, &found)))
        return check;
    bool decodable = false;
    check.moved = !holdsIdentity(found, comparable(shown), &decodable);
    if (!decodable) {
        check.moved = false;
        check.error = undecodableRecord(shown.recordNumber);
        return check;
    }
    if (!check.moved)
        *record = found;
    return check;
}

FoundBeacon findBeacon(const ProgramFolder &folder, const std::function<bool(const BeaconRecord &)> &holds)
{
    FoundBeacon found;
    found.error = forEachBeacon(folder, [&](qint64 number, const BeaconRecord &record) {
        if (!holds(record))
            return true;
        found.recordNumber = number;
        return ++found.matches < 2;
    });
    if (!found.found())
        found.recordNumber = 0;
    return found;
}

FoundBeacon findShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown)
{
    const ShownBeacon wanted = comparable(shown);
    return findBeacon(folder, [&wanted](const BeaconRecord &record) {
        bool decodable = false;
        return holdsIdentity(record, wanted, &decodable);
    });
}

ShownBeacon shownBeaconOf(qint64 number, const BeaconRecord &record, bool *decodable)
{
    ShownBeacon shown;
    shown.recordNumber = number;
    const auto fields = identityOf(shown);
    bool allDecoded = true;
    for (size_t i = 0; i < fields.size(); ++i) {
        bool ok = false;
        *fields[i] = record.trimmedText(kIdentityFields[i], &ok);
        allDecoded = allDecoded && ok;
    }
    if (decodable)
        *decodable = allDecoded;
    return shown;
}

FileError forEachBeacon(const ProgramFolder &folder,
                        const std::function<bool(qint64, const BeaconRecord &)> &visit)
{
    return forEachRecord(databasePath(folder), BeaconRecord::Length,
                         [&](qint64 number, QByteArrayView bytes) {
                             return visit(number, BeaconRecord::fromBytes(bytes));
                         });
}

bool isValidFrequency(const BeaconRecord &record)
{
    return frequencyValueIsValid(numericValue(record.trimmedText(BeaconField::Frequency)));
}

QString IntegrityResult::message() const
{
    switch (verdict) {
    case IntegrityVerdict::Ok:
        return {};
    case IntegrityVerdict::RecordsMismatched:
        return QStringLiteral("Records mismatched. Database corrupted.");
    case IntegrityVerdict::ReadError:
        return QStringLiteral("Error reading database data. Database corrupted.");
    }
    return {};
}

namespace {

bool sameBytes(QByteArrayView a, QByteArrayView b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

void countLogged(QByteArrayView record, LoggedCounts &counts)
{
    // Most beacons were never logged: their mask is "0" and blanks, as the writers store it.
    static constexpr QByteArrayView kNeverLogged = "0    ";
    const FieldLayout mask = layoutOf(BeaconField::LoggedMask);
    if (!sameBytes(record.sliced(mask.offset, mask.width), kNeverLogged)) {
        const quint32 bits = storedLoggedMask(record);
        for (size_t i = 0; i < counts.locations.size(); ++i)
            counts.locations[i] += (bits >> i) & 1u;
    }
    counts.inSession += record[layoutOf(BeaconField::CLEMark).offset] == 'z' ? 1 : 0;
}

} // namespace

void LoggedCounts::add(QByteArrayView records)
{
    for (qsizetype at = 0; at < records.size(); at += BeaconRecord::Length)
        countLogged(records.sliced(at, BeaconRecord::Length), *this);
}

bool IntegrityTally::add(QByteArrayView records)
{
    return addRecords(records, nullptr);
}

bool IntegrityTally::add(QByteArrayView records, LoggedCounts &counts)
{
    return addRecords(records, &counts);
}

bool IntegrityTally::addRecords(QByteArrayView records, LoggedCounts *counts)
{
    // A damaged record is rare: the records are looked at one by one for bytes 0 and 1
    // only when the block holds one (the plain fields may, without harm).
    const bool mayHoldDamage = !m_undecodable && lowestByte(records) < 2;
    constexpr FieldLayout kFrequency = layoutOf(BeaconField::Frequency);
    for (qsizetype at = 0; at < records.size(); at += BeaconRecord::Length) {
        const QByteArrayView record = records.sliced(at, BeaconRecord::Length);
        if (counts)
            countLogged(record, *counts);
        if (m_undecodable)
            continue; // the check reads no further than a damaged record
        if (mayHoldDamage && holdsUndecodableByte(record)) {
            m_undecodable = true;
            continue;
        }
        // The database is kept in frequency order: most records repeat the frequency of
        // the one before, and with it its verdict.
        const QByteArrayView frequency = record.sliced(kFrequency.offset, kFrequency.width);
        if (!m_lastFrequencyKnown || !sameBytes(frequency, QByteArrayView(m_lastFrequency))) {
            std::copy(frequency.begin(), frequency.end(), m_lastFrequency.begin());
            m_lastFrequencyKnown = true;
            m_lastFrequencyValid = storedFrequencyIsValid(record);
        }
        m_validCount += m_lastFrequencyValid ? 1 : 0;
    }
    return !m_undecodable;
}

IntegrityResult IntegrityTally::result(qint64 byteLength, const FileError &walkError) const
{
    IntegrityResult result;
    result.recordCount = recordCountForLength(byteLength, BeaconRecord::Length);
    result.validCount = m_validCount;
    if (walkError || m_undecodable) {
        result.verdict = IntegrityVerdict::ReadError;
        result.readError = walkError;
        return result;
    }
    const bool wholeRecords = byteLength % BeaconRecord::Length == 0;
    result.verdict = wholeRecords && result.validCount == result.recordCount ? IntegrityVerdict::Ok
                                                                             : IntegrityVerdict::RecordsMismatched;
    return result;
}

IntegrityResult CheckDatabaseIntegrity(const ProgramFolder &folder, qint64 recordCountBefore)
{
    const QString path = databasePath(folder);
    if (isMissing(path)) {
        IntegrityResult result;
        result.recordCount = recordCountBefore;
        result.verdict = recordCountBefore == 0 ? IntegrityVerdict::Ok : IntegrityVerdict::RecordsMismatched;
        return result;
    }
    IntegrityTally tally;
    const FileError err = forEachRecordBlock(path, BeaconRecord::Length,
                                             [&](qint64, QByteArrayView records) { return tally.add(records); });
    return tally.result(fileLength(path), err);
}

} // namespace qern
