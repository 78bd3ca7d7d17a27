#pragma once
// The small window that shows the progress of the database sort, and the sort as
// the beacon editor starts it.

#include <QWidget>

#include "FileChange.h"

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

// Sorts ndb.dat into ascending frequency with frmSortProgress on show (modeless),
// then recounts the statistics and closes the window. The sort is one change of the
// core: the automatic backup is taken unless the caller's change took it already;
// when it fails nothing is sorted. Failures are shown titled "Error"; returns true
// when ndb.dat was sorted.
//
// The editor's sort button calls SortBeaconDatabase(windows); its "Update", whose
// record write has taken the automatic backup, calls
// SortBeaconDatabase(windows, AutomaticBackup::AlreadyTaken), so the automatic backup
// keeps the database as it was before the edit.
bool SortBeaconDatabase(WindowSet &windows, AutomaticBackup backup = AutomaticBackup::Take);

} // namespace qern
