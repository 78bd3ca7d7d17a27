#pragma once
// The beacon editor's data side: one record of ndb.dat as the editor's boxes show it,
// the boxes turned back into a whole record, and finding a record again after the
// sort has moved it.
//
// The country and state boxes show names (Country.dat, State.dat); the record stores
// codes. A box may also hold a code, and a code that the tables do not know is kept
// as it is, so a record that is loaded and written unchanged keeps its codes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "FileChange.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "Tables.h"

namespace qern {

// What the editor's boxes hold, as Windows-1252 bytes, in record field order.
struct BeaconEntries {
    QByteArray ident;
    QByteArray country; // a country name, or a code
    QByteArray state;   // a state or province name, or a code
    QByteArray location;
    QByteArray frequency;
    QByteArray beaconClass;
    QByteArray power;
    QByteArray latitude;
    QByteArray longitude;
    QByteArray current; // shown only: a write stores the present month
    QByteArray cycle;
    QByteArray usb;
    QByteArray lsb;
    bool daid = false;
    QByteArray comments;
};

struct EditorLoad {
    FileError error;          // the record could not be read
    bool undecodable = false; // a stored byte 0 or 1 has no plain form
    BeaconEntries entries;    // the state box holds the stored code until LoadStateList names it
    QByteArray stateCode;     // the stored state code, for LoadStateList
    ShownBeacon shown;        // what a change checks before it writes
};

// Record number (1-based) of ndb.dat into the editor's boxes. The country box shows
// the country's name from the table, or the stored code when the table has none.
EditorLoad loadBeaconForEditing(const ProgramFolder &folder, qint64 number, const CountryTable &countries);

// The code that a country box stands for: a name of the table (case ignored), a code
// of the table (case ignored, the table's spelling kept), or an unknown text of at
// most 3 characters, kept as typed. "" for an empty box; nullopt when none applies.
std::optional<QByteArray> countryCodeFor(QByteArrayView text, const CountryTable &countries);

// The same for the state box (codes of at most 2 characters). A name or code of the
// beacon's own country wins over the same name or code of another country.
std::optional<QByteArray> stateCodeFor(QByteArrayView text, QByteArrayView countryCode, const StateTable &states);

// A record ready to be written, or why it cannot be.
struct PreparedBeacon {
    qint64 number = 0; // where it goes
    BeaconRecord record;
    FileError error;   // ndb.dat could not be read or is damaged
    // The changed beacon's record holds another beacon now: nothing may be written;
    // the editor shows kBeaconMovedText and loads its beacon again.
    bool beaconMoved = false;
    QString refusal;   // an entry that cannot be stored; nothing may be written
    bool ok() const { return !error.failed() && !beaconMoved && refusal.isEmpty(); }
};

// Builds the whole record for the shown beacon's record (a change), which must still
// hold it, or for the record after the last one (isNew; shown is ignored, since the
// database may have changed since the editor opened). Each of fields 1 to 15 is
// ShiftTextUp of its entry, or one plain blank for an empty entry; the ident is stored
// in capitals, as the look-up finds it; Current is the month given ("yyyymm"); DAID
// "1" or "0". A change keeps LoggedMask, CLEMark and Spare as the file holds them
// now; a new record gets LoggedMask "0", CLEMark ShiftTextUp of code 30 (a plain
// blank) and a blank Spare. Refused: a byte 254 or 255 in an entry, an unknown
// country or state that does not fit its code field, and a frequency that the
// integrity check would reject.
PreparedBeacon prepareBeaconWrite(const ProgramFolder &folder, const BeaconEntries &entries,
                                  const CountryTable &countries, const StateTable &states, bool isNew,
                                  const ShownBeacon &shown, QByteArrayView month);

struct BeaconWriteResult {
    FileError error;
    TakenBack takenBack; // after a failed write
    QString messageText() const;
};

// Writes a prepared record as one FileChange: ndb.dat is checked, and its folder, in
// which the sort that follows every write renames the sorted file, then the automatic
// backup is taken, which keeps the database as it was before the edit for that sort
// too. A failed write, its sync included, is taken back.
BeaconWriteResult writePreparedBeacon(const ProgramFolder &folder, const PreparedBeacon &prepared);

// The record whose 213 bytes equal record (the sort moves records whole), counted as
// findShownBeacon counts.
FoundBeacon findBeaconRecord(const ProgramFolder &folder, const BeaconRecord &record);

} // namespace qern
