#include "frmCLEReportView.h"

#include <QPushButton>

#include "WindowSet.h"

namespace qern {

frmCLEReportView::frmCLEReportView(WindowSet &windows)
    : ReportView(windows, {"frmCLEReportView", QStringLiteral("CLE/Session Report"),
                           QStringLiteral("Session reports are not part of this version of QERN: no report is "
                                          "built, sorted, printed or saved. The sort order and the file name "
                                          "below are kept for later."),
                           QStringLiteral("No report file was written: session reports are not part of this "
                                          "version of QERN."),
                           "cmdSort", "cmdSaveAs", "cmdSave", QStringLiteral("Save"), kCLEReportSort,
                           kCLEReportFiles, 7, 8, &WindowSet::unloadCLEReportView}),
      cmdSort(sortButton()), cmdSaveAs(saveAsButton()), cmdSave(saveButton())
{
    connect(cmdSort, &QPushButton::clicked, this, &frmCLEReportView::cmdSort_Click);
    connect(cmdSaveAs, &QPushButton::clicked, this, &frmCLEReportView::cmdSaveAs_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmCLEReportView::cmdSave_Click);
}

void frmCLEReportView::cmdSort_Click()
{
    storeSortOrder();
}

void frmCLEReportView::cmdSaveAs_Click()
{
    presetLastFileName();
}

void frmCLEReportView::cmdSave_Click()
{
    storeFileName();
}

} // namespace qern
