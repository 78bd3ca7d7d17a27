#include "BeaconDatabase.h"

#include <QFileInfo>

#include <array>
#include <cstring>

#include "NumberText.h"
#include "Text.h"

namespace qern {

namespace {

constexpr double kHighestFrequencyKHz = 4500.0; // exclusive

FileError missingDatabase(const QString &path)
{
    return folderExists(QFileInfo(path).absolutePath()) ? FileError::notFound(path)
                                                        : FileError::pathNotFound(path);
}

FileError badRecordNumber(const QString &path)
{
    return {63, QStringLiteral("Bad record number (%1)").arg(path)};
}

// The decoded numeric Frequency of one stored record; *decodable turns false on a
// byte that has no plain form. Decoded on the stack: the check runs on every record.
double storedFrequencyValue(QByteArrayView record, bool *decodable)
{
    std::array<char, layoutOf(BeaconField::Frequency).width> plain{};
    bool ok = true;
    const QByteArrayView text = decodeFieldInto(record, BeaconField::Frequency, plain, &ok);
    if (!ok) {
        *decodable = false;
        return 0.0;
    }
    return numericValue(text);
}

// Bytes 0 and 1 have no plain form: stored in any shifted field they mean the
// record was damaged (the writers never produce them).
bool holdsUndecodableByte(QByteArrayView record)
{
    const auto shifted = static_cast<size_t>(layoutOf(BeaconField::LoggedMask).offset);
    return std::memchr(record.data(), 0, shifted) != nullptr || std::memchr(record.data(), 1, shifted) != nullptr;
}

bool frequencyValueIsValid(double kHz)
{
    return kHz > 0.0 && kHz < kHighestFrequencyKHz;
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
        return missingDatabase(path);
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

// The decoded ident and frequency of record, when it holds the shown beacon's.
bool holdsShownBeacon(const BeaconRecord &record, const ShownBeacon &shown, bool *decodable)
{
    bool identOk = false;
    bool frequencyOk = false;
    const QByteArray ident = record.trimmedText(BeaconField::Ident, &identOk);
    const QByteArray frequency = record.trimmedText(BeaconField::Frequency, &frequencyOk);
    *decodable = identOk && frequencyOk;
    return *decodable && upperCase(ident) == upperCase(trimBlanks(shown.ident)) &&
           upperCase(frequency) == upperCase(trimBlanks(shown.frequency));
}

} // namespace

BeaconCheck readShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown, BeaconRecord *record)
{
    BeaconCheck check;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        check.error = missingDatabase(path);
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
    check.moved = !holdsShownBeacon(found, shown, &decodable);
    if (!decodable) {
        check.moved = false;
        check.error = undecodableRecord(shown.recordNumber);
        return check;
    }
    if (!check.moved)
        *record = found;
    return check;
}

std::optional<qint64> findShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown)
{
    std::optional<qint64> found;
    const FileError err = forEachBeacon(folder, [&](qint64 number, const BeaconRecord &record) {
        bool decodable = false;
        if (!holdsShownBeacon(record, shown, &decodable))
            return true;
        found = number;
        return false;
    });
    return err.failed() ? std::nullopt : found;
}

ShownBeacon shownBeaconOf(qint64 number, const BeaconRecord &record)
{
    return {number, record.trimmedText(BeaconField::Ident), record.trimmedText(BeaconField::Frequency)};
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

IntegrityResult CheckDatabaseIntegrity(const ProgramFolder &folder, qint64 recordCountBefore)
{
    IntegrityResult result;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.recordCount = recordCountBefore;
        result.verdict = recordCountBefore == 0 ? IntegrityVerdict::Ok : IntegrityVerdict::RecordsMismatched;
        return result;
    }

    const qint64 length = fileLength(path);
    result.recordCount = recordCountForLength(length, BeaconRecord::Length);
    bool undecodable = false;
    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64, QByteArrayView record) {
        bool decodable = !holdsUndecodableByte(record);
        const double kHz = decodable ? storedFrequencyValue(record, &decodable) : 0.0;
        if (!decodable) {
            undecodable = true;
            return false;
        }
        if (frequencyValueIsValid(kHz))
            ++result.validCount;
        return true;
    });
    if (err || undecodable) {
        result.verdict = IntegrityVerdict::ReadError;
        result.readError = err;
        return result;
    }
    const bool wholeRecords = length % BeaconRecord::Length == 0;
    result.verdict = wholeRecords && result.validCount == result.recordCount ? IntegrityVerdict::Ok
                                                                             : IntegrityVerdict::RecordsMismatched;
    return result;
}

} // namespace qern
