#pragma once
// The listening report view: its sort key and order, and the output file the report
// would be saved to (see ReportView).

#include "ReportView.h"

namespace qern {

class frmListeningReportView : public ReportView {
    Q_OBJECT

public:
    explicit frmListeningReportView(WindowSet &windows);

    QPushButton *Command1 = nullptr; // "Sort"
    QPushButton *cmdExcel = nullptr; // "Save As..."
    QPushButton *cmdOK = nullptr;

public slots:
    void Command1_Click();
    void cmdExcel_Click();
    void cmdOK_Click();
};

} // namespace qern
