#pragma once
// One reception written to its three places, for Quick Log and the reception dialog
// alike: an entry appended to the location's logbook, the location bit and the session
// mark "z" in the beacon's ndb.dat record, and the beacon's session record (overwritten
// in place when the session log holds one, else appended).
//
// The write is one FileChange: everything that can be checked is checked before the
// first byte is written (the location, the time and date, that the record still holds
// the beacon shown, its decoded key fields, the three files and the folders a missing
// one is made in), then the automatic backup is taken. When a write fails half-way,
// the writes already made are put back, synced, so the three files stay in step.

#include <QByteArray>
#include <QByteArrayView>

#include "BeaconDatabase.h"
#include "ClockTexts.h"
#include "FileChange.h"
#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

struct ReceptionInput {
    // The logbook entry's ident and frequency: Quick Log passes the ident without its
    // duplicate suffix, the dialog the decoded ident with it.
    QByteArray ident;
    QByteArray frequency;
    // "hhmm" and "yyyymmdd", UTC. The logbook takes them as they stand, the session
    // record trimmed.
    QByteArray time;
    QByteArray date;
    QByteArray receptionComments; // logbook, as they stand
    QByteArray sessionComments;   // session record, trimmed
};

// Quick Log's input: the beacon on display, the UTC clock texts ("hh:mm" -> "hhmm",
// "yyyy-MM-dd" -> "yyyymmdd") and blank comments.
ReceptionInput quickLogInput(QByteArrayView currentIdent, QByteArrayView currentFrequency,
                             const ClockTexts &clock);

struct ReceptionResult {
    // On failure the caller shows messageText() titled "Error".
    FileError error;
    // The record holds another beacon now: nothing was written, and the caller shows
    // kBeaconMovedText and its beacon again.
    bool beaconMoved = false;
    bool firstAtLocation = false; // the location bit was clear: NewFlag "1"
    quint32 loggedMask = 0;       // the beacon's mask after the write
    qint64 logRecordNumber = 0;
    qint64 sessionRecordNumber = 0;
    bool sessionRecordOverwritten = false;
    // After a failure: what taking the writes back left.
    TakenBack takenBack;

    // "Error # n: description", then that nothing was written; or, when a write could
    // not be put back, that the files may now disagree, where their copies from before
    // are, and why; or that the disk did not confirm the putting back, and why.
    QString messageText() const;
};

// Said after the failure when the three files are as they were before it.
inline constexpr const char *kReceptionNotWrittenText = "Nothing of this reception was written.";

// Said after the failure when part of the reception stays written.
inline constexpr const char *kReceptionNotUndoneText =
    "Part of this reception stays written: the logbook, ndb.dat and the session log may not agree. "
    "Their copies from before it are ndb.bak and the AutoBackups folder.";

// shown: the beacon on display and its 1-based ndb.dat record; locationIndex: 0 to 15.
// The time must pass isStorableTime and the date CheckDate.
ReceptionResult writeReception(const ProgramFolder &folder, const ShownBeacon &shown, int locationIndex,
                               const ReceptionInput &input);

} // namespace qern
