#pragma once
// The two-pass sort of ndb.dat into ascending frequency.
//
// Pass 1 orders the records by the first character of the decoded ident, largest
// code first; pass 2, starting from that order, by the decoded frequency (four
// decimals), smallest first. The order is that of an exchange sort: for every pair
// i < j the two swap when the key of i is >= (pass 2) or <= (pass 1) the key of j, so
// equal keys swap too, and the order of equal frequencies follows from those
// exchanges. It is computed as the stable sort it equals, in n log n.
//
// Records move whole; their bytes never change. The new file is built in memory and
// replaces ndb.dat in one FileChange (its file and folder checked, the automatic backup
// taken), so a failure leaves the old ndb.dat as it was. The caller recounts the
// statistics afterwards (GatherDatabaseStatistics without the integrity check); the
// sort does not.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

#include "FileChange.h"
#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

enum class SortVerdict {
    Sorted,
    DatabaseDamaged, // a length that is not a whole number of records: nothing was written
    Failed,          // error says why; ndb.dat is unchanged
};

struct SortResult {
    SortVerdict verdict = SortVerdict::Sorted;
    qint64 recordCount = 0; // becomes RecordCount
    FileError error;
    TakenBack takenBack; // after a failed write
    // "" when sorted, "Records mismatched. Database corrupted." or the failure's text
    // (changeFailureText); the window shows it titled "Error".
    QString message() const;
};

// Called as the progress bar of frmSortProgress is: value from 1 to maximum - 1,
// maximum = the record count, only when the rounded percentage is a multiple of 10.
// Each pass reports afresh.
using SortProgress = std::function<void(qint64 value, qint64 maximum)>;

// ndb.hhh and ndb.srt left by an interrupted sort are removed first. A database
// already in order is not written.
SortResult SortBeaconDatabase(const ProgramFolder &folder, const SortProgress &progress = {},
                              AutomaticBackup backup = AutomaticBackup::Take);

// The two passes on an image of whole 213-byte records; returns the reordered image.
QByteArray sortedDatabaseImage(QByteArrayView image, const SortProgress &progress = {});

} // namespace qern
