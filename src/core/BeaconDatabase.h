#pragma once
// ndb.dat as a whole: where it lives, how many records it holds, one record read or
// written in place, every record in order, and the integrity check's verdict.
// Record numbers are 1-based and 64-bit: a database may outgrow 32767 records.

#include <QString>

#include <array>
#include <functional>

#include "BeaconRecord.h"
#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

inline constexpr const char *kDatabaseFileName = "ndb.dat";

QString databasePath(const ProgramFolder &folder);

// Length / 213, rounded half to even (2237 bytes count 11); 0 when ndb.dat is missing.
qint64 databaseRecordCount(const ProgramFolder &folder);

// Reads record number (1-based). A missing ndb.dat is error 53 and is not created;
// a number outside 1..count is error 62.
FileError readBeacon(const ProgramFolder &folder, qint64 number, BeaconRecord *record);

// Writes one record in place at its offset, checked. A missing ndb.dat is error 53:
// writing a single record never creates the database.
FileError writeBeacon(const ProgramFolder &folder, qint64 number, const BeaconRecord &record);

// A record holding a stored byte 0 or 1 in a field that has to be read: refused.
FileError undecodableRecord(qint64 number);

// The beacon a window shows and acts on: the record it was read from, and what tells
// it apart from every other beacon, decoded and trimmed as the record held it then.
// Namesakes share an ident and a frequency (GL on 201 kHz in Canada and in Indonesia);
// two of one country are told apart by their position. Another window, or another
// copy of the program, may have sorted or replaced ndb.dat since.
struct ShownBeacon {
    qint64 recordNumber = 0;
    QByteArray ident; // duplicate suffix kept
    QByteArray frequency;
    QByteArray countryCode;
    QByteArray latitude;  // as stored: "N45300000"
    QByteArray longitude; // "W075421000"

    bool isEmpty() const { return recordNumber < 1; }
};

// What a window says, titled "Error", when a write finds another beacon (or none) at
// the record of the beacon it shows; nothing has been written, and the window shows
// the beacon again from where it stands now, or nothing when it is gone.
inline constexpr const char *kBeaconMovedText =
    "The beacon on display has moved in the database since it was shown. Nothing was written; "
    "the window now shows what the database holds.";

struct [[nodiscard]] BeaconCheck {
    FileError error;    // ndb.dat could not be read
    bool moved = false; // the record holds another beacon now, or is gone
    bool passed() const { return !error.failed() && !moved; }
};

// The record holds the shown beacon: the same ident, frequency, country and position
// (trimmed, case ignored). A record that cannot be decoded holds none.
bool holdsShownBeacon(const BeaconRecord &record, const ShownBeacon &shown);

// Reads the shown beacon's record, which must still hold it. A number outside the
// file is moved too.
BeaconCheck readShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown, BeaconRecord *record);

// Where a beacon a window follows stands now. Only one record holding it is an
// answer: none means it is gone, two or more that it cannot be told from its
// namesakes, and either way the window shows no beacon rather than guess.
struct [[nodiscard]] FoundBeacon {
    FileError error;         // ndb.dat could not be read: nothing is known
    qint64 recordNumber = 0; // the one record holding it
    int matches = 0;         // records holding it, counted up to two
    bool found() const { return !error.failed() && matches == 1; }
};

FoundBeacon findShownBeacon(const ProgramFolder &folder, const ShownBeacon &shown);

// The records for which holds() is true, as findShownBeacon counts them.
FoundBeacon findBeacon(const ProgramFolder &folder, const std::function<bool(const BeaconRecord &)> &holds);

// The shown form of a record: its number and what tells it apart. *decodable, when
// given, says whether those fields could all be decoded.
ShownBeacon shownBeaconOf(qint64 number, const BeaconRecord &record, bool *decodable = nullptr);

// Every record from 1 to the record count, in order; visit returns false to stop.
// A missing ndb.dat is error 53.
FileError forEachBeacon(const ProgramFolder &folder,
                        const std::function<bool(qint64, const BeaconRecord &)> &visit);

// A stored Frequency is valid when its numeric value is > 0 and < 4500 kHz.
bool isValidFrequency(const BeaconRecord &record);

enum class IntegrityVerdict { Ok, RecordsMismatched, ReadError };

struct IntegrityResult {
    IntegrityVerdict verdict = IntegrityVerdict::Ok;
    qint64 recordCount = 0; // becomes RecordCount
    qint64 validCount = 0;
    FileError readError;    // what failed, for ReadError
    // "" for Ok, else "Records mismatched. Database corrupted." or
    // "Error reading database data. Database corrupted."
    QString message() const;
    bool ok() const { return verdict == IntegrityVerdict::Ok; }
};

// Counts the records whose Frequency is valid and compares with the record count.
// A length that is not a whole number of records is a mismatch. A stored byte 0 or
// 1 in a shifted field, or a failed read, is ReadError. With ndb.dat missing nothing
// is read: recordCount keeps recordCountBefore and validCount is 0, so a positive
// recordCountBefore is a mismatch and 0 is Ok.
IntegrityResult CheckDatabaseIntegrity(const ProgramFolder &folder, qint64 recordCountBefore);

// The location bits and session marks of stored records, counted as they are read.
struct LoggedCounts {
    std::array<qint64, 16> locations{}; // records whose LoggedMask has bit i
    qint64 inSession = 0;               // records whose CLEMark is "z"

    void add(QByteArrayView records); // whole records
};

// The check fed stored records as they are read, for a walk that reads ndb.dat for more.
class IntegrityTally {
public:
    // Takes one or more whole records. Returns false, and counts nothing more, from the
    // first record holding a byte 0 or 1 in a shifted field: the check reads no further.
    bool add(QByteArrayView records);
    // The same, with counts.add(records) done in the same pass over the records (past a
    // damaged one too), so that the check and the statistics share one read.
    bool add(QByteArrayView records, LoggedCounts &counts);
    bool stopped() const { return m_undecodable; }
    // The verdict on an existing file of byteLength bytes whose walk ended with walkError.
    IntegrityResult result(qint64 byteLength, const FileError &walkError) const;

private:
    bool addRecords(QByteArrayView records, LoggedCounts *counts);

    qint64 m_validCount = 0;
    bool m_undecodable = false;
    // The stored Frequency of the record before, and its verdict.
    std::array<char, layoutOf(BeaconField::Frequency).width> m_lastFrequency{};
    bool m_lastFrequencyKnown = false;
    bool m_lastFrequencyValid = false;
};

} // namespace qern
