#include "LogRecords.h"

#include "ClockTexts.h"
#include "FileChange.h"
#include "Text.h"

namespace qern {

namespace {

// Both logs keep 5 characters of the ident.
constexpr int kStoredIdentWidth = 5;

template <std::size_t N>
QByteArrayView rawField(const QByteArray &bytes, const std::array<PlainField, N> &layout, int field)
{
    const PlainField f = layout[field];
    return QByteArrayView(bytes).sliced(f.offset, f.width);
}

template <std::size_t N>
void setField(QByteArray &bytes, const std::array<PlainField, N> &layout, int field, QByteArrayView value)
{
    const PlainField f = layout[field];
    const QByteArray fitted = fitField(value, f.width);
    std::copy_n(fitted.constData(), f.width, bytes.data() + f.offset);
}

QByteArray fittedRecord(QByteArrayView bytes, int length)
{
    QByteArray out(length, ' ');
    std::copy_n(bytes.data(), std::min<qsizetype>(bytes.size(), length), out.data());
    return out;
}

QByteArray identKey(QByteArrayView ident)
{
    // Cutting may leave a blank at the end ("ABCD E" keeps "ABCD "), which the record
    // has lost to trimming.
    return trimRightBlanks(upperCase(trimBlanks(ident)).left(kStoredIdentWidth));
}

// Cut first, as the record cuts: "ABCD;2" is stored "ABCD;", and both lose the same
// suffix.
QByteArray entryIdentKey(QByteArrayView ident)
{
    return trimRightBlanks(StripSemicolonSuffix(identKey(ident)));
}

// Walks the records from the last to the first, in blocks; visit returns false to stop.
FileError forEachRecordBackwards(const QString &path, int length,
                                 const std::function<bool(qint64, QByteArrayView)> &visit)
{
    RecordFile records(path, length);
    if (FileError err = records.openForReading())
        return err;
    const qint64 total = records.count();
    records.close();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError::fromQFile(file);
    const qint64 perBlock = std::max<qint64>(1, (1 << 16) / length);
    QByteArray block;
    for (qint64 last = total; last >= 1;) {
        const qint64 first = std::max<qint64>(1, last - perBlock + 1);
        const qint64 want = (last - first + 1) * length;
        if (!file.seek((first - 1) * length))
            return FileError::fromQFile(file, 57);
        block.resize(want);
        const qint64 got = file.read(block.data(), want);
        if (got < 0)
            return FileError::fromQFile(file, 57);
        if (got < want) // the count rounds a last half record up
            std::fill(block.begin() + got, block.end(), ' ');
        for (qint64 number = last; number >= first; --number) {
            if (!visit(number, QByteArrayView(block).sliced((number - first) * length, length)))
                return {};
        }
        last = first - 1;
    }
    return {};
}

} // namespace

LogRecord::LogRecord() : m_bytes(Length, ' ') {}

LogRecord LogRecord::make(QByteArrayView ident, QByteArrayView frequency, QByteArrayView time,
                          QByteArrayView date, QByteArrayView comments)
{
    LogRecord r;
    r.set(LogField::Ident, ident);
    r.set(LogField::Frequency, frequency);
    r.set(LogField::Time, time);
    r.set(LogField::Date, date);
    r.set(LogField::Comments, comments);
    return r;
}

LogRecord LogRecord::fromBytes(QByteArrayView bytes)
{
    LogRecord r;
    r.m_bytes = fittedRecord(bytes, Length);
    return r;
}

QByteArrayView LogRecord::raw(LogField field) const
{
    return rawField(m_bytes, Layout, static_cast<int>(field));
}

QByteArray LogRecord::trimmed(LogField field) const
{
    return trimBlanks(raw(field));
}

void LogRecord::set(LogField field, QByteArrayView value)
{
    setField(m_bytes, Layout, static_cast<int>(field), value);
}

CLERecord::CLERecord() : m_bytes(Length, ' ') {}

CLERecord CLERecord::make(QByteArrayView ident, QByteArrayView countryCode, QByteArrayView frequency,
                          QByteArrayView time, QByteArrayView date, QByteArrayView comments,
                          bool newAtLocation)
{
    CLERecord r;
    r.set(CLEField::Ident, ident);
    r.set(CLEField::CountryCode, countryCode);
    r.set(CLEField::Frequency, frequency);
    r.set(CLEField::Time, time);
    r.set(CLEField::Date, date);
    r.set(CLEField::Comments, comments);
    r.set(CLEField::NewFlag, newAtLocation ? "1" : "0");
    return r;
}

CLERecord CLERecord::fromBytes(QByteArrayView bytes)
{
    CLERecord r;
    r.m_bytes = fittedRecord(bytes, Length);
    return r;
}

QByteArrayView CLERecord::raw(CLEField field) const
{
    return rawField(m_bytes, Layout, static_cast<int>(field));
}

QByteArray CLERecord::trimmed(CLEField field) const
{
    return trimBlanks(raw(field));
}

void CLERecord::set(CLEField field, QByteArrayView value)
{
    setField(m_bytes, Layout, static_cast<int>(field), value);
}

bool identsMatch(QByteArrayView recordIdent, QByteArrayView beaconIdent)
{
    return identKey(recordIdent) == identKey(beaconIdent);
}

bool entryIdentsMatch(QByteArrayView entryIdent, QByteArrayView beaconIdent)
{
    return entryIdentKey(entryIdent) == entryIdentKey(beaconIdent);
}

bool fieldsMatch(QByteArrayView recordText, QByteArrayView beaconText)
{
    return upperCase(trimBlanks(recordText)) == upperCase(trimBlanks(beaconText));
}

bool logEntryBelongsTo(const LogRecord &entry, QByteArrayView beaconIdent, QByteArrayView beaconFrequency)
{
    return entryIdentsMatch(entry.raw(LogField::Ident), beaconIdent)
           && fieldsMatch(entry.raw(LogField::Frequency), beaconFrequency);
}

QByteArray logEntryKey(QByteArrayView ident, QByteArrayView frequency)
{
    // The ident's length first, so that no two pairs run together into one key.
    const QByteArray identPart = entryIdentKey(ident);
    return char(identPart.size()) + identPart + upperCase(trimBlanks(frequency));
}

bool sessionRecordBelongsTo(const CLERecord &record, QByteArrayView ident, QByteArrayView frequency,
                            QByteArrayView countryCode)
{
    return identsMatch(record.raw(CLEField::Ident), ident)
           && fieldsMatch(record.raw(CLEField::Frequency), frequency)
           && fieldsMatch(record.raw(CLEField::CountryCode), countryCode);
}

FileError checkEntryTimeAndDate(QByteArrayView time, QByteArrayView date)
{
    if (!isStorableTime(time))
        return FileError::refused(QStringLiteral("Invalid time: the time is four digits, hhmm, UTC"));
    if (CheckDate(date) != 0)
        return FileError::refused(QStringLiteral("Invalid date: the date is eight digits, yyyymmdd, UTC"));
    return {};
}

QString logbookPath(const ProgramFolder &folder, int locationIndex)
{
    return folder.path(QStringLiteral("Logs/log%1.dat").arg(locationIndex));
}

QString sessionLogPath(const ProgramFolder &folder)
{
    return folder.path(QStringLiteral("Logs/cle.dat"));
}

FileError appendLogRecord(const QString &path, const LogRecord &entry, qint64 *writtenAs)
{
    RecordFile file(path, LogRecord::Length);
    return file.append(QByteArrayView(entry.bytes()), writtenAs);
}

FileError writeSessionRecord(const QString &path, const CLERecord &record, qint64 *writtenAs,
                             bool *overwritten, FileChange *change)
{
    if (overwritten)
        *overwritten = false;
    qint64 match = 0;
    if (fileExists(path)) {
        const QByteArray ident = record.ident();
        const QByteArray frequency = record.frequency();
        const QByteArray countryCode = record.countryCode();
        if (FileError err = forEachRecord(path, CLERecord::Length, [&](qint64 number, QByteArrayView bytes) {
                if (!sessionRecordBelongsTo(CLERecord::fromBytes(bytes), ident, frequency, countryCode))
                    return true;
                match = number;
                return false;
            }))
            return err;
    }
    const QByteArrayView bytes(record.bytes());
    RecordFile file(path, CLERecord::Length);
    if (match == 0)
        return change ? change->appendRecord(path, bytes, writtenAs) : file.append(bytes, writtenAs);
    if (FileError err = change ? change->writeRecord(path, match, bytes) : file.write(match, bytes))
        return err;
    if (writtenAs)
        *writtenAs = match;
    if (overwritten)
        *overwritten = true;
    return {};
}

FileError forEachLogRecord(const QString &path, const std::function<bool(qint64, const LogRecord &)> &visit)
{
    return forEachRecord(path, LogRecord::Length, [&](qint64 number, QByteArrayView bytes) {
        return visit(number, LogRecord::fromBytes(bytes));
    });
}

FileError forEachSessionRecord(const QString &path, const std::function<bool(qint64, const CLERecord &)> &visit)
{
    return forEachRecord(path, CLERecord::Length, [&](qint64 number, QByteArrayView bytes) {
        return visit(number, CLERecord::fromBytes(bytes));
    });
}

FileError findLogEntries(const QString &path, QByteArrayView ident, QByteArrayView frequency,
                         QList<LogRecord> *entries)
{
    entries->clear();
    if (isMissing(path))
        return {};
    return forEachLogRecord(path, [&](qint64, const LogRecord &entry) {
        if (logEntryBelongsTo(entry, ident, frequency))
            entries->append(entry);
        return true;
    });
}

namespace {

FileError findLastMatching(const QString &path, const std::function<bool(QByteArrayView)> &matches,
                           std::optional<LogRecord> *entry)
{
    entry->reset();
    if (isMissing(path))
        return {};
    return forEachRecordBackwards(path, LogRecord::Length, [&](qint64, QByteArrayView bytes) {
        if (!matches(bytes))
            return true;
        *entry = LogRecord::fromBytes(bytes);
        return false;
    });
}

} // namespace

FileError findLastLogEntry(const QString &path, QByteArrayView ident, QByteArrayView frequency,
                           std::optional<LogRecord> *entry)
{
    // Most entries are of other frequencies, which is told without building their keys.
    const PlainField frequencyField = LogRecord::Layout[static_cast<int>(LogField::Frequency)];
    const QByteArrayView wantedFrequency = trimBlanksView(frequency);
    return findLastMatching(
        path,
        [&](QByteArrayView bytes) {
            return sameIgnoringCase(trimBlanksView(bytes.sliced(frequencyField.offset, frequencyField.width)),
                                    wantedFrequency)
                   && logEntryBelongsTo(LogRecord::fromBytes(bytes), ident, frequency);
        },
        entry);
}

FileError findLastLogEntryForIdent(const QString &path, QByteArrayView ident, std::optional<LogRecord> *entry)
{
    return findLastMatching(
        path,
        [&](QByteArrayView bytes) {
            return entryIdentsMatch(LogRecord::fromBytes(bytes).raw(LogField::Ident), ident);
        },
        entry);
}

} // namespace qern
