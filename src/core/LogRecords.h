#pragma once
// The logbooks Logs/log<N>.dat (83-byte LogRecord) and the session log Logs/cle.dat
// (87-byte CLERecord). Every field is plain text, left-aligned, blank-padded, cut to
// its width. Entries are tied to their beacon by ident and frequency (and country
// code in the session log), never by record number.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

class FileChange;

struct PlainField {
    int offset;
    int width;
};

enum class LogField : int { Ident, Frequency, Time, Date, Comments };

class LogRecord {
public:
    static constexpr int Length = 83;
    static constexpr std::array<PlainField, 5> Layout = {{
        {0, 5},   // Ident
        {5, 6},   // Frequency
        {11, 4},  // Time "hhmm", UTC
        {15, 8},  // Date "yyyymmdd", UTC
        {23, 60}, // Comments
    }};

    LogRecord(); // all blanks
    // Each value fitted to its width, taken as it stands (not trimmed).
    static LogRecord make(QByteArrayView ident, QByteArrayView frequency, QByteArrayView time,
                          QByteArrayView date, QByteArrayView comments);
    // From Length bytes; a shorter input is padded with blanks, a longer one cut.
    static LogRecord fromBytes(QByteArrayView bytes);

    const QByteArray &bytes() const { return m_bytes; }

    QByteArrayView raw(LogField field) const;        // as stored, padding included
    QByteArray trimmed(LogField field) const;        // blanks removed at both ends
    void set(LogField field, QByteArrayView value);  // fitted to the width

    QByteArray ident() const { return trimmed(LogField::Ident); }
    QByteArray frequency() const { return trimmed(LogField::Frequency); }
    QByteArray time() const { return trimmed(LogField::Time); }
    QByteArray date() const { return trimmed(LogField::Date); }
    QByteArray comments() const { return trimmed(LogField::Comments); }

    bool operator==(const LogRecord &other) const { return m_bytes == other.m_bytes; }

private:
    QByteArray m_bytes;
};

enum class CLEField : int { Ident, CountryCode, Frequency, Time, Date, Comments, NewFlag };

class CLERecord {
public:
    static constexpr int Length = 87;
    static constexpr std::array<PlainField, 7> Layout = {{
        {0, 5},   // Ident
        {5, 3},   // CountryCode
        {8, 6},   // Frequency
        {14, 4},  // Time "hhmm", UTC
        {18, 8},  // Date "yyyymmdd", UTC
        {26, 60}, // Comments
        {86, 1},  // NewFlag "1": first reception at that location
    }};

    CLERecord(); // all blanks
    static CLERecord make(QByteArrayView ident, QByteArrayView countryCode, QByteArrayView frequency,
                          QByteArrayView time, QByteArrayView date, QByteArrayView comments,
                          bool newAtLocation);
    static CLERecord fromBytes(QByteArrayView bytes);

    const QByteArray &bytes() const { return m_bytes; }

    QByteArrayView raw(CLEField field) const;
    QByteArray trimmed(CLEField field) const;
    void set(CLEField field, QByteArrayView value);

    QByteArray ident() const { return trimmed(CLEField::Ident); }
    QByteArray countryCode() const { return trimmed(CLEField::CountryCode); }
    QByteArray frequency() const { return trimmed(CLEField::Frequency); }
    QByteArray time() const { return trimmed(CLEField::Time); }
    QByteArray date() const { return trimmed(CLEField::Date); }
    QByteArray comments() const { return trimmed(CLEField::Comments); }
    QByteArray newFlag() const { return trimmed(CLEField::NewFlag); }
    bool isNewAtLocation() const { return newFlag() == "1"; }

    bool operator==(const CLERecord &other) const { return m_bytes == other.m_bytes; }

private:
    QByteArray m_bytes;
};

// The one ident matcher every later matcher uses: first 5 characters of the trimmed,
// upper-cased idents. Records keep 5 characters, so "ABCDE;2" finds its "ABCDE".
bool identsMatch(QByteArrayView recordIdent, QByteArrayView beaconIdent);
// The same for logbook entries, both idents also without their duplicate suffix:
// Quick Log writes a duplicate's entry without it, the reception dialog with it, and
// both are the beacon's. Only the frequency tells a duplicate from its namesake.
bool entryIdentsMatch(QByteArrayView entryIdent, QByteArrayView beaconIdent);
// Trimmed, upper-cased texts equal (frequency, country code).
bool fieldsMatch(QByteArrayView recordText, QByteArrayView beaconText);

// The one test of a logbook entry against a beacon: entryIdentsMatch and frequency.
bool logEntryBelongsTo(const LogRecord &entry, QByteArrayView beaconIdent,
                       QByteArrayView beaconFrequency);
// What logEntryBelongsTo compares, as one text, for an index of the entries: an entry
// belongs to a beacon exactly when the keys of their idents and frequencies are equal.
QByteArray logEntryKey(QByteArrayView ident, QByteArrayView frequency);
// Ident (5-character rule, suffix kept: every reception writes it there), frequency
// and country code.
bool sessionRecordBelongsTo(const CLERecord &record, QByteArrayView ident,
                            QByteArrayView frequency, QByteArrayView countryCode);

// Refuses what no entry may store: a time that is not isStorableTime, a date that
// CheckDate faults.
FileError checkEntryTimeAndDate(QByteArrayView time, QByteArrayView date);

// Logs/log<N>.dat and Logs/cle.dat, resolved without regard to case.
QString logbookPath(const ProgramFolder &folder, int locationIndex);
QString sessionLogPath(const ProgramFolder &folder);

// Writes entry as record (length / 83, rounded half to even) + 1. A missing logbook
// is created and receives record 1.
FileError appendLogRecord(const QString &path, const LogRecord &entry, qint64 *writtenAs = nullptr);

// Overwrites in place the first record that belongs to the same beacon (ident,
// frequency, country code of record), else appends it as count + 1. A missing or
// empty session log is created and receives record 1. change, when given, is the
// change the write is a step of (it names the session log).
FileError writeSessionRecord(const QString &path, const CLERecord &record,
                             qint64 *writtenAs = nullptr, bool *overwritten = nullptr,
                             FileChange *change = nullptr);

// Every record in file order; visit returns false to stop. A missing file is error 53
// (never created).
FileError forEachLogRecord(const QString &path,
                           const std::function<bool(qint64, const LogRecord &)> &visit);
FileError forEachSessionRecord(const QString &path,
                               const std::function<bool(qint64, const CLERecord &)> &visit);

// The beacon's entries (ident and frequency) in file order. A missing logbook is no
// entries and is not created.
FileError findLogEntries(const QString &path, QByteArrayView ident, QByteArrayView frequency,
                         QList<LogRecord> *entries);
// The beacon's entry nearest the end of the logbook (not necessarily the latest
// date); empty when none or the logbook is missing.
FileError findLastLogEntry(const QString &path, QByteArrayView ident, QByteArrayView frequency,
                           std::optional<LogRecord> *entry);
// The same matched on the ident alone, as the beacon display looks up last-logged dates.
FileError findLastLogEntryForIdent(const QString &path, QByteArrayView ident,
                                   std::optional<LogRecord> *entry);

} // namespace qern
