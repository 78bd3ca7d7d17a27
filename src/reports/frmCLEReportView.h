#pragma once
// The session (CLE) report view: its sort key and order, and the output file the
// report would be saved to (see ReportView).

#include "ReportView.h"

namespace qern {

class frmCLEReportView : public ReportView {
    Q_OBJECT

public:
    explicit frmCLEReportView(WindowSet &windows);

    QPushButton *cmdSort = nullptr;
    QPushButton *cmdSaveAs = nullptr; // presets the last file name
    QPushButton *cmdSave = nullptr;

public slots:
    void cmdSort_Click();
    void cmdSaveAs_Click();
    void cmdSave_Click();
};

} // namespace qern
