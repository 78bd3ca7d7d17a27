#pragma once
// The small window that shows the progress of the database sort, and the sort as
// the beacon editor starts it.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace qern {

class WindowSet;

class frmSortProgress : public QWidget {
    Q_OBJECT

public:
    explicit frmSortProgress(WindowSet &windows);

    QLabel *lblSorting = nullptr;
    QProgressBar *prgProgress = nullptr;

    void showForm();
};

enum class SortBackup {
    TakeAutomaticBackup, // the sort button: the sort is the change
    AlreadyTaken,        // a command that backed up before its own change sorts afterwards
};

// Sorts ndb.dat into ascending frequency with frmSortProgress on show (modeless),
// then recounts the statistics and closes the window. The automatic backup runs
// first unless the caller has taken it already; when it fails nothing is sorted.
// Failures are shown titled "Error"; returns true when ndb.dat was sorted.
//
// The editor's sort button calls SortBeaconDatabase(windows); its "Update", which
// has run AutoBackupFiles before writing the record, calls
// SortBeaconDatabase(windows, SortBackup::AlreadyTaken), so the automatic backup
// keeps the database as it was before the edit.
bool SortBeaconDatabase(WindowSet &windows, SortBackup backup = SortBackup::TakeAutomaticBackup);

} // namespace qern
