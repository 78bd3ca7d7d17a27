#include "frmListeningReportView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "ReportSettings.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "startup/frmFileOperation.h"

namespace qern {

namespace {

QPushButton *namedButton(const char *objectName, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(QLatin1String(objectName));
    b->setAutoDefault(false);
    return b;
}

QRadioButton *namedOption(const char *objectName, const QString &caption)
{
    auto *o = new QRadioButton(caption);
    o->setObjectName(QLatin1String(objectName));
    return o;
}

} // namespace

frmListeningReportView::frmListeningReportView(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmListeningReportView"));
    setWindowTitle(QStringLiteral("Listening Report"));

    lblNotBuilt = new QLabel(QStringLiteral("Listening reports are not part of this version of QERN: no report is "
                                            "built, sorted, printed or saved. The sort order and the file name "
                                            "below are kept for later."));
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);

    lstSortBy = new QListWidget;
    lstSortBy->setObjectName(QStringLiteral("lstSortBy"));
    for (const char *key : kReportSortKeys)
        lstSortBy->addItem(QLatin1String(key));
    lstSortBy->setMaximumHeight(110);
    optAscending = namedOption("optAscending", QStringLiteral("Ascending"));
    optDescending = namedOption("optDescending", QStringLiteral("Descending"));
    Command1 = namedButton("Command1", QStringLiteral("Sort"));
    auto *sortBox = new QGroupBox(QStringLiteral("Sort By"));
    auto *sortLayout = new QGridLayout(sortBox);
    sortLayout->addWidget(lstSortBy, 0, 0, 3, 1);
    sortLayout->addWidget(optAscending, 0, 1);
    sortLayout->addWidget(optDescending, 1, 1);
    sortLayout->addWidget(Command1, 2, 1);

    optText = namedOption("optText", QStringLiteral("Text (.txt)"));
    optExcel = namedOption("optExcel", QStringLiteral("Comma-separated (.csv)"));
    txtFileName = new QLineEdit;
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    Command3 = namedButton("Command3", QStringLiteral("Browse..."));
    cmdExcel = namedButton("cmdExcel", QStringLiteral("Save As..."));
    cmdOK = namedButton("cmdOK", QStringLiteral("OK"));
    auto *saveBox = new QGroupBox(QStringLiteral("Save Report"));
    auto *saveLayout = new QGridLayout(saveBox);
    saveLayout->addWidget(optText, 0, 0);
    saveLayout->addWidget(optExcel, 0, 1);
    saveLayout->addWidget(txtFileName, 1, 0, 1, 2);
    saveLayout->addWidget(Command3, 1, 2);
    saveLayout->addWidget(cmdExcel, 2, 1);
    saveLayout->addWidget(cmdOK, 2, 2);
    optText->setChecked(true);

    cmdClose = namedButton("cmdClose", QStringLiteral("Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto *column = new QVBoxLayout(this);
    column->addWidget(lblNotBuilt);
    column->addWidget(sortBox);
    column->addWidget(saveBox);
    column->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &frmListeningReportView::Command1_Click);
    connect(cmdExcel, &QPushButton::clicked, this, &frmListeningReportView::cmdExcel_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmListeningReportView::cmdOK_Click);
    connect(Command3, &QPushButton::clicked, this, &frmListeningReportView::Command3_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmListeningReportView::cmdClose_Click);
}

void frmListeningReportView::showForm()
{
    show();
    raise();
    activateWindow();
}

void frmListeningReportView::Form_Load()
{
    const ReportSort sort = readReportSort(m_windows.store(), kListeningReportSort);
    lstSortBy->setCurrentRow(sort.index);
    (sort.descending ? optDescending : optAscending)->setChecked(true);
}

void frmListeningReportView::Command1_Click()
{
    storeReportSort(m_windows.store(), kListeningReportSort,
                    {std::max(lstSortBy->currentRow(), 0), optDescending->isChecked()});
}

void frmListeningReportView::cmdExcel_Click()
{
    const RegistryStore &store = m_windows.store();
    const QByteArray text = readReportFileName(store, kListeningReportFiles, true);
    const QByteArray excel = readReportFileName(store, kListeningReportFiles, false);
    txtFileName->setText(fromWindows1252(optText->isChecked() ? text : excel));
    txtFileName->setFocus();
}

void frmListeningReportView::cmdOK_Click()
{
    bool lossless = true;
    const QByteArray fileName = toWindows1252(txtFileName->text(), &lossless);
    if (!lossless) {
        MessageBox::show(QStringLiteral("The file name holds characters that cannot be stored."),
                         QStringLiteral("Error"));
        return;
    }
    storeReportFileName(m_windows.store(), kListeningReportFiles, optText->isChecked(), fileName);
    MessageBox::show(QStringLiteral("No report file was written: listening reports are not part of this version "
                                    "of QERN."));
}

// The chooser starts in the folder of the file this box names and writes its choice
// back into it.
void frmListeningReportView::Command3_Click()
{
    frmFileOperation *chooser = m_windows.fileOperation();
    chooser->setTarget(txtFileName);
    m_windows.state().FileOperationMode = optText->isChecked() ? 5 : 6;
    chooser->showForm();
}

void frmListeningReportView::cmdClose_Click()
{
    m_windows.unloadListeningReportView();
}

void frmListeningReportView::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdClose_Click();
}

} // namespace qern
