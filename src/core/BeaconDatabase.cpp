#include "BeaconDatabase.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

// Sixteen bytes as one value, for vector code whatever the optimisation level
// (a GCC and Clang extension).
using SixteenBytes = unsigned char __attribute__((vector_size(16)));

// Sixteen-byte runs over the shifted fields of a record, the last run overlapping the
// one before.
constexpr int kShiftedBytes = layoutOf(BeaconField::LoggedMask).offset;
constexpr int kWholeRuns = kShiftedBytes / 16;
static_assert(kWholeRuns % 4 == 0 && kShiftedBytes % 16 != 0);

SixteenBytes lower(SixteenBytes a, SixteenBytes b)
{
    return a < b ? a : b;
}

// The lowest byte of a record's shifted fields folded into lowest, its runs in four
// minima of their own so that no run waits for the one before.
void foldShiftedBytes(const char *record, SixteenBytes &lowest)
{
    const auto run = [record](int at) {
        SixteenBytes bytes;
        std::memcpy(&bytes, record + at, sizeof bytes);
        return bytes;
    };
    std::array<SixteenBytes, 4> part = {run(0), run(16), run(32), run(48)};
    for (int k = 4; k < kWholeRuns; ++k)
        part[k % 4] = lower(part[k % 4], run(16 * k));
    part[0] = lower(part[0], run(kShiftedBytes - 16));
    lowest = lower(lowest, lower(lower(part[0], part[1]), lower(part[2], part[3])));
}

unsigned char lowestByte(SixteenBytes bytes)
{
    unsigned char lowest = 0xFF;
    for (int k = 0; k < 16; ++k)
        lowest = std::min<unsigned char>(lowest, bytes[k]);
    return lowest;
}

// The lowest byte in the shifted fields of whole records.
unsigned char lowestShiftedByte(QByteArrayView records)
{
    SixteenBytes lowest = ~SixteenBytes{};
    for (qsizetype record = 0; record < records.size(); record += BeaconRecord::Length)
        foldShiftedBytes(records.data() + record, lowest);
    return lowestByte(lowest);
}

// Bytes 0 and 1 have no plain form: stored in any shifted field they mean the record
// was damaged (the writers never produce them).
bool holdsUndecodableByte(QByteArrayView records)
{
    return lowestShiftedByte(records) < 2;
}

bool frequencyValueIsValid(double kHz)
{
    return kHz > 0.0 && kHz < kHighestFrequencyKHz;
}

// The verdict on the stored Frequency read from its six bytes at once, eight-byte
// word arithmetic in place of a loop, for the form nearly every record holds: a
// stored digit 1 to 9, more stored digits, perhaps a stored point and digits, then
// plain blanks. Such a text is valid when its whole part is below 4500: up to three
// digits, or four below 45 in their first two. 1 for valid, 0 for not, -1 for any
// other form (a number, not an optional, keeps the verdict in a register). Always
// inlined: a call would spill the walk's vector minimum around it.
[[gnu::always_inline]] inline int plainStoredFrequencyVerdict(QByteArrayView record)
{
    constexpr FieldLayout f = layoutOf(BeaconField::Frequency);
    static_assert(f.width == 6);
    constexpr quint64 kOnes = 0x0000010101010101ull;
    constexpr quint64 kHighs = kOnes * 0x80; // the high bit of each of the six bytes
    constexpr quint64 kBlanks = kOnes * ' ';
    constexpr quint64 kEnd = 1ull << 48;     // stands for the end of the field in bit counts
    constexpr quint64 kShiftedZero = '0' + 2;
    constexpr quint64 kShiftedPoint = '.' + 2;
    // Eight bytes in one load (the two after the field belong to BeaconClass), the
    // two dropped.
    quint64 word;
    std::memcpy(&word, record.data() + f.offset, sizeof word);
    word &= kOnes * 0xFF;
    if (word & kHighs)
        return -1;
    // For bytes below 0x80, (byte | 0x80) - code keeps its high bit when byte >= code.
    const quint64 raised = word | kHighs;
    const quint64 digits = (raised - kShiftedZero * kOnes) & ~(raised - (kShiftedZero + 10) * kOnes) & kHighs;
    const quint64 others = ~digits & kHighs;
    const int whole = std::countr_zero(others | kEnd) / 8;
    const int restShift = 8 * whole;
    const int fractionShift = std::min(restShift + 8, 48);
    const int fraction = std::countr_zero((others & (~0ull << fractionShift)) | kEnd) / 8 - whole - 1;
    // What follows the whole digits: blanks only, or the point, digits, then blanks.
    const quint64 rest = word >> restShift;
    const quint64 blanks = kBlanks >> restShift;
    const bool blanksOnly = rest == blanks;
    const int afterFraction = std::min(8 + 8 * fraction, 48);
    const bool pointThenDigits = (rest & 0xFF) == kShiftedPoint && (rest >> afterFraction) == (blanks >> afterFraction);
    const quint64 first = word & 0xFF;
    if (!((first - (kShiftedZero + 1) < 9) & (blanksOnly | pointThenDigits)))
        return -1;
    const quint64 firstTwo = first << 8 | ((word >> 8) & 0xFF);
    return int((whole <= 3) | ((whole == 4) & (firstTwo < ((kShiftedZero + 4) << 8 | (kShiftedZero + 5)))));
}

// Any other form, through the number reader.
[[gnu::noinline]] int otherFrequencyVerdict(QByteArrayView record)
{
    return frequencyValueIsValid(storedFrequencyValue(record)) ? 1 : 0;
}

// The six stored bytes of Frequency in one word, the only bytes its verdict reads.
[[gnu::always_inline]] inline quint64 storedFrequencyBytes(QByteArrayView record)
{
    constexpr FieldLayout f = layoutOf(BeaconField::Frequency);
    static_assert(f.width == 6);
    quint64 word;
    std::memcpy(&word, record.data() + f.offset, sizeof word);
    return word & 0x0000FFFFFFFFFFFFull;
}

[[gnu::always_inline]] inline bool storedFrequencyIsValid(QByteArrayView record)
{
    const int verdict = plainStoredFrequencyVerdict(record);
    return (verdict >= 0 ? verdict : otherFrequencyVerdict(record)) == 1;
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

// Both plain fields lie in a record's last eight bytes, read in one load. Most beacons
// were never logged: their mask, "0" and blanks as the writers store it, is known by
// its bytes.
void countLogged(const char *record, LoggedCounts &counts)
{
    constexpr qsizetype kTailAt = BeaconRecord::Length - 8;
    constexpr int kMaskShift = 8 * (layoutOf(BeaconField::LoggedMask).offset - kTailAt);
    constexpr int kMarkShift = 8 * (layoutOf(BeaconField::CLEMark).offset - kTailAt);
    static_assert(layoutOf(BeaconField::LoggedMask).width == 5 && kMaskShift + 40 == kMarkShift);
    constexpr quint64 kMaskBytes = 0xFFFFFFFFFFull << kMaskShift;
    constexpr quint64 kNeverLogged = 0x2020202030ull << kMaskShift; // "0    "
    quint64 tail;
    std::memcpy(&tail, record + kTailAt, sizeof tail);
    if ((tail & kMaskBytes) != kNeverLogged) {
        const quint32 mask = storedLoggedMask(QByteArrayView(record, BeaconRecord::Length));
        for (size_t i = 0; i < counts.locations.size(); ++i)
            counts.locations[i] += (mask >> i) & 1u;
    }
    counts.inSession += ((tail >> kMarkShift) & 0xFF) == 'z';
}

} // namespace

void LoggedCounts::add(QByteArrayView records)
{
    for (qsizetype at = 0; at < records.size(); at += BeaconRecord::Length)
        countLogged(records.data() + at, *this);
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
    // One pass over the records, every fact read while the record is at hand. A damaged
    // record is rare: a block that holds one is looked at again record by record, to
    // stop counting at that record. Counted in locals: stores through this could alias
    // the record bytes.
    if (m_undecodable) {
        if (counts)
            counts->add(records);
        return false;
    }
    SixteenBytes lowest = ~SixteenBytes{};
    qint64 validCount = 0;
    // The database is kept in frequency order: most records repeat the frequency of the
    // one before, and with it its verdict.
    quint64 lastFrequency = ~0ull;
    bool lastValid = false;
    for (qsizetype at = 0; at < records.size(); at += BeaconRecord::Length) {
        const QByteArrayView record = records.sliced(at, BeaconRecord::Length);
        foldShiftedBytes(record.data(), lowest);
        const quint64 frequency = storedFrequencyBytes(record);
        if (frequency != lastFrequency) {
            lastFrequency = frequency;
            lastValid = storedFrequencyIsValid(record);
        }
        validCount += lastValid ? 1 : 0;
        if (counts)
            countLogged(record.data(), *counts);
    }
    if (lowestByte(lowest) < 2) {
        validCount = 0;
        for (qsizetype at = 0; at < records.size() && !m_undecodable; at += BeaconRecord::Length) {
            const QByteArrayView record = records.sliced(at, BeaconRecord::Length);
            m_undecodable = holdsUndecodableByte(record);
            validCount += !m_undecodable && storedFrequencyIsValid(record) ? 1 : 0;
        }
    }
    m_validCount += validCount;
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
