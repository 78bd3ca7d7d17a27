#pragma once
// Clearing and correcting what receptions wrote: the session clear, the master log
// clear, and the log viewer's Update and Delete of one logbook entry or session record.
//
// Each operation that writes is one FileChange: it checks its files and their folders,
// takes the automatic backup, writes, and takes every write back, synced, when one
// fails. Whole-file changes of ndb.dat and of a logbook replace the file through a new
// one, so a failure leaves the old file whole; single records are written in place,
// checked. Nothing here shows a message: each result says what the window shows.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include "BeaconDatabase.h"
#include "FileChange.h"
#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

inline constexpr char kSessionClearQuestion[] =
    "This action will delete your entire Session/CLE. Are you sure you want to do this?";
inline constexpr char kSessionClearQuestionTitle[] = "Confirm Session/CLE Delete";
inline constexpr char kSessionClearedText[] = "     Session/CLE deleted.     ";
inline constexpr char kSessionNotClearedText[] = "Session/CLE not deleted.";

inline constexpr char kMasterLogClearQuestion[] =
    "This action will delete your selected logs. Are you sure you want to do this?";
inline constexpr char kMasterLogClearQuestionTitle[] = "Confirm Log Delete";
inline constexpr char kMasterLogsClearedText[] = "     Selected NDB Logs deleted.     ";
inline constexpr char kMasterLogsNotClearedText[] = "Selected NDB Logs not deleted.";

inline constexpr char kBeaconMissingTitle[] = "Beacon Missing";
inline constexpr char kBeaconMissingText[] =
    "Your log or CLE file appears to be out of sync with the master lookup database. \r"
    "This condition occurs when the master lookup database has this beacon recorded as logged \r"
    "yet the log file does not have a record of it. To remedy this condition go back to the main screen, \r"
    "call up this beacon and log it again. You will then have the opportunity to change the logged time, date or \r"
    "reception comments";

// --- Session clear and master log clear -------------------------------------------

struct SessionClearResult {
    FileError error;                // shown as messageText() titled "Error"
    qint64 marksCleared = 0;        // records whose CLEMark was not already the shifted blank
    bool sessionLogDeleted = false; // false also when there was none
    TakenBack takenBack;            // after a failure

    // "Error # n: description", and what the files hold when a write had been made.
    QString messageText() const;
};

// Stores the shifted blank as every beacon's CLEMark (one rewrite of ndb.dat), then
// deletes Logs/cle.dat. A missing ndb.dat is error 53, and either file or its folder
// read-only is error 70: nothing is changed. When the delete fails, the marks are put
// back.
SessionClearResult clearSession(const ProgramFolder &folder);

struct MasterLogClearResult {
    FileError error;
    QList<int> logbooksEmptied; // ticked locations whose logbook existed
    qint64 beaconsChanged = 0;  // records that lost a selected bit
    TakenBack takenBack;        // after a failure

    QString messageText() const;
};

// selection: bit i set = location i ticked. Mask 0 does nothing.
// Order: every existing selected logbook is copied to AutoBackups/log<i>.bak; ndb.dat
// is rewritten with the selected bits cleared (value - (value AND selection)); then the
// selected logbooks are emptied (length 0). A ticked location without a logbook gets no
// copy and no file, but its bit is still cleared. A failure after the copies puts
// ndb.dat and the logbooks back as they were. A missing ndb.dat is error 53, and a
// read-only file or folder among those it would change is error 70: nothing is changed.
MasterLogClearResult clearMasterLogs(const ProgramFolder &folder, quint16 selection);

// --- Log viewer: Update and Delete -------------------------------------------------

// Said after the failure when part of an Update or Delete stays written; the cause
// follows.
inline constexpr const char *kEditNotUndoneText =
    "Part of this change stays written: the logbook and ndb.dat may not agree. "
    "Their copies from before it are ndb.bak and the AutoBackups folder.";

// Every edit below first checks that the shown beacon's record still holds it; when
// it does not, nothing is written and the result says beaconMoved.
struct LogEditResult {
    FileError error; // shown as messageText() titled "Error"
    // The record holds another beacon now: the window shows kBeaconMovedText and
    // its beacon again.
    bool beaconMoved = false;
    // After a failure: what taking the writes back left.
    TakenBack takenBack;
    // Update of an entry that is not in the logbook (the out-of-sync beacon): the
    // window shows kBeaconMissingText titled kBeaconMissingTitle and ends the update
    // there (the beacon comments are already saved).
    bool beaconMissing = false;
    qint64 recordsWritten = 0;      // session records updated
    qint64 entriesLeft = 0;         // the beacon's logbook entries after a delete
    bool locationBitCleared = false;

    // "Error # n: description"; after a write, also what the files hold now (see
    // changeFailureText).
    QString messageText() const;
};

struct LogbookEntryEdit {
    QByteArray beaconComments;    // txtLogComments: stored shifted in ndb.dat
    QByteArray time;              // txtLogTime, as typed
    QByteArray date;              // txtLogDate, as typed
    QByteArray receptionComments; // txtReceptionComments, as typed
};

// Logbook mode. shown: the beacon shown, at RecNo(k + 1); entryRecord: EntryRecNo(i),
// 0 when the beacon has no entry. Comments holding byte 254 or 255, and a time or date
// that checkEntryTimeAndDate refuses, are refused before anything is written. An
// entry number that is 0, past the logbook's end or names another beacon's entry is
// beaconMissing. When the entry cannot be written the comments are put back.
LogEditResult updateLogbookEntry(const ProgramFolder &folder, int locationIndex, const ShownBeacon &shown,
                                 qint64 entryRecord, const LogbookEntryEdit &edit);

// Session mode: every session record of the beacon (its decoded ident with the
// duplicate suffix, frequency and country code) gets the trimmed time, date and
// comments, which checkEntryTimeAndDate must pass. ndb.dat and the logbooks are not
// touched. A missing session log updates nothing. All or nothing: a read-only session
// log is refused before the first write, and a failed write puts back the records
// written before it (recordsWritten 0 unless they could not be put back).
LogEditResult updateSessionRecords(const ProgramFolder &folder, const ShownBeacon &shown, QByteArrayView time,
                                   QByteArrayView date, QByteArrayView comments);

// Logbook mode. Rewrites the logbook without entryRecord (0: the beacon has no entry,
// nothing is removed); when the beacon has no entry left, clears its location bit,
// before the rewrite. A failure at any step, its sync included, puts the bit and the
// logbook back, so they agree. An entry number past the end, or one that names another
// beacon's entry, is error 63 and nothing is changed.
LogEditResult deleteLogbookEntry(const ProgramFolder &folder, int locationIndex, const ShownBeacon &shown,
                                 qint64 entryRecord);

// Session mode: stores the shifted blank as the beacon's CLEMark. Logs/cle.dat stays
// as it is.
LogEditResult removeFromSession(const ProgramFolder &folder, const ShownBeacon &shown);

// --- Field checks of the log viewer -------------------------------------------------

enum class BoxColour {
    Red,      // RGB(255, 0, 0): invalid
    Green,    // &H80FF80: accepted, and stored as it stands
    LightRed, // &H8080FF: not invalid, but not yet a value that can be stored
};

struct FieldCheck {
    QByteArray text; // the box's text after the check
    BoxColour colour = BoxColour::Green;
    bool updateEnabled = true;
    // Selection to set, or selectionStart -1 to leave it as it is.
    int selectionStart = -1;
    int selectionLength = 0;
};

// txtLogTime_Change. Longer than 4 characters: cut to 4 (checked again) and the last
// two selected. Hours (first two) above 23 or below 0: red, and with 2 characters both
// selected. With 4 characters, minutes (last two) above 59 or below 0: red with the
// minutes selected. Any character other than a digit: red. Fewer than 4 digits are
// no time yet: light red with Update disabled.
FieldCheck checkLogTime(QByteArrayView text);

// txtLogTime_LostFocus: a time of 2 or 3 characters gets one "0" in front.
QByteArray logTimeAfterFocusLoss(QByteArrayView text);

// txtLogDate_Change: red with Update disabled when CheckDate counts an error.
FieldCheck checkLogDate(QByteArrayView text);

} // namespace qern
