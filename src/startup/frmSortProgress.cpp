#include "frmSortProgress.h"

#include <climits>

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

#include "BeaconDatabase.h"
#include "DatabaseSort.h"
#include "FormSupport.h"
#include "MessageBox.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "main/frmMain.h"

namespace qern {

frmSortProgress::frmSortProgress(WindowSet &windows)
{
    Q_UNUSED(windows);
    setObjectName(QStringLiteral("frmSortProgress"));
    setWindowTitle(QStringLiteral("QERN"));
    setWindowFlag(Qt::WindowCloseButtonHint, false);

    lblSorting = new QLabel(QStringLiteral("Sorting Database"), this);
    lblSorting->setObjectName(QStringLiteral("lblSorting"));
    lblSorting->setFont(namedFont(QStringLiteral("Tahoma"), 10, true));
    lblSorting->setAlignment(Qt::AlignCenter);
    prgProgress = new QProgressBar(this);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    prgProgress->setTextVisible(false);

    auto *column = new QVBoxLayout(this);
    column->addWidget(lblSorting);
    column->addWidget(prgProgress);
    setFixedSize(twipsToPixels(4800), twipsToPixels(1400));
}

void frmSortProgress::showForm()
{
    show();
    raise();
}

bool SortBeaconDatabase(WindowSet &windows, AutomaticBackup backup)
{
    SharedState &state = windows.state();

    frmSortProgress *progressWindow = windows.sortProgress();
    QProgressBar *bar = progressWindow->prgProgress;
    const qint64 records = databaseRecordCount(state.folder);
    bar->setRange(0, int(std::clamp<qint64>(records, 1, INT_MAX)));
    bar->setValue(0);
    progressWindow->showForm();
    letEventsRun();

    const SortResult result = SortBeaconDatabase(state.folder, [bar](qint64 value, qint64 maximum) {
        bar->setRange(0, int(std::min<qint64>(maximum, INT_MAX)));
        bar->setValue(int(std::min<qint64>(value, maximum)));
        letEventsRun();
    }, backup);
    const bool sorted = result.verdict == SortVerdict::Sorted;
    if (sorted)
        windows.main()->databaseSorted();
    else
        MessageBox::show(result.message(), QStringLiteral("Error"));

    windows.main()->GatherDatabaseStatistics(false);
    progressWindow->setEnabled(false);
    letEventsRun();
    windows.unloadSortProgress();
    return sorted;
}

} // namespace qern
