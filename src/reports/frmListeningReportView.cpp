#include "frmListeningReportView.h"

#include <QPushButton>

#include "WindowSet.h"

namespace qern {

frmListeningReportView::frmListeningReportView(WindowSet &windows)
    : ReportView(windows, {"frmListeningReportView", QStringLiteral("Listening Report"),
                           QStringLiteral("Listening reports are not part of this version of QERN: no report is "
                                          "built, sorted, printed or saved. The sort order and the file name "
                                          "below are kept for later."),
                           QStringLiteral("No report file was written: listening reports are not part of this "
                                          "version of QERN."),
                           "Command1", "cmdExcel", "cmdOK", QStringLiteral("OK"), kListeningReportSort,
                           kListeningReportFiles, 5, 6, &WindowSet::unloadListeningReportView}),
      Command1(sortButton()), cmdExcel(saveAsButton()), cmdOK(saveButton())
{
    connect(Command1, &QPushButton::clicked, this, &frmListeningReportView::Command1_Click);
    connect(cmdExcel, &QPushButton::clicked, this, &frmListeningReportView::cmdExcel_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmListeningReportView::cmdOK_Click);
}

void frmListeningReportView::Command1_Click()
{
    storeSortOrder();
}

void frmListeningReportView::cmdExcel_Click()
{
    presetLastFileName();
}

void frmListeningReportView::cmdOK_Click()
{
    storeFileName();
}

} // namespace qern
