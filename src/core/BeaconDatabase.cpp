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

FileError missingDatabase(const QString &path)
{
    return folderExists(QFileInfo(path).absolutePath()) ? FileError::notFound(path)
                                                        : FileError::pathNotFound(path);
}

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

// Bytes 0 and 1 have no plain form: stored in any shifted field they mean the
// record was damaged (the writers never produce them). The lowest byte of a run
// whose length is a multiple of 32 becomes vector code at every optimisation level.
bool holdsUndecodableByte(QByteArrayView record)
{
    constexpr int kShiftedBytes = layoutOf(BeaconField::LoggedMask).offset;
    constexpr int kVectorBytes = kShiftedBytes / 32 * 32;
    const auto *bytes = reinterpret_cast<const unsigned char *>(record.data());
    unsigned char lowest = 0xFF;
    for (int i = 0; i < kVectorBytes; ++i)
        lowest = std::min(lowest, bytes[i]);
    for (int i = kVectorBytes; i < kShiftedBytes; ++i)
        lowest = std::min(lowest, bytes[i]);
    return lowest < 2;
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

bool IntegrityTally::add(QByteArrayView record)
{
    if (m_undecodable || holdsUndecodableByte(record)) {
        m_undecodable = true;
        return false;
    }
    if (frequencyValueIsValid(storedFrequencyValue(record)))
        ++m_validCount;
    return true;
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
    if (!fileExists(path)) {
        IntegrityResult result;
        result.recordCount = recordCountBefore;
        result.verdict = recordCountBefore == 0 ? IntegrityVerdict::Ok : IntegrityVerdict::RecordsMismatched;
        return result;
    }
    IntegrityTally tally;
    const FileError err =
        forEachRecord(path, BeaconRecord::Length, [&](qint64, QByteArrayView record) { return tally.add(record); });
    return tally.result(fileLength(path), err);
}

} // namespace qern
