#include "ReportView.h"

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

#include "FormSupport.h"
#include "MessageBox.h"
#include "Text.h"
#include "WindowSet.h"
#include "startup/frmFileOperation.h"

namespace qern {

ReportView::ReportView(WindowSet &windows, const Kind &kind) : m_windows(windows), m_kind(kind)
{
    setObjectName(QLatin1String(kind.objectName));
    setWindowTitle(kind.title);

    lblNotBuilt = new QLabel(kind.notBuiltText);
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);

    lstSortBy = new QListWidget;
    lstSortBy->setObjectName(QStringLiteral("lstSortBy"));
    for (const char *key : kReportSortKeys)
        lstSortBy->addItem(QLatin1String(key));
    // Tall enough for every key, in the font the window opens with.
    lstSortBy->setFixedHeight(lstSortBy->sizeHintForRow(0) * lstSortBy->count() + 2 * lstSortBy->frameWidth());
    optAscending = namedOption("optAscending", QStringLiteral("Ascending"));
    optDescending = namedOption("optDescending", QStringLiteral("Descending"));
    m_sort = namedButton(kind.sortButtonName, QStringLiteral("Sort"));
    auto *sortBox = new QGroupBox(QStringLiteral("Sort By"));
    auto *sortLayout = new QGridLayout(sortBox);
    sortLayout->addWidget(lstSortBy, 0, 0, 3, 1);
    sortLayout->addWidget(optAscending, 0, 1);
    sortLayout->addWidget(optDescending, 1, 1);
    sortLayout->addWidget(m_sort, 2, 1);

    optText = namedOption("optText", QStringLiteral("Text (.txt)"));
    optExcel = namedOption("optExcel", QStringLiteral("Comma-separated (.csv)"));
    txtFileName = new QLineEdit;
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    Command3 = namedButton("Command3", QStringLiteral("Browse..."));
    m_saveAs = namedButton(kind.saveAsButtonName, QStringLiteral("Save As..."));
    m_save = namedButton(kind.saveButtonName, kind.saveCaption);
    auto *saveBox = new QGroupBox(QStringLiteral("Save Report"));
    auto *saveLayout = new QGridLayout(saveBox);
    saveLayout->addWidget(optText, 0, 0);
    saveLayout->addWidget(optExcel, 0, 1);
    saveLayout->addWidget(txtFileName, 1, 0, 1, 2);
    saveLayout->addWidget(Command3, 1, 2);
    saveLayout->addWidget(m_saveAs, 2, 1);
    saveLayout->addWidget(m_save, 2, 2);
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

    connect(Command3, &QPushButton::clicked, this, &ReportView::Command3_Click);
    connect(cmdClose, &QPushButton::clicked, this, &ReportView::cmdClose_Click);
}

void ReportView::showForm()
{
    bringToFront(this);
}

void ReportView::Form_Load()
{
    const ReportSort sort = readReportSort(m_windows.store(), m_kind.sortNames);
    lstSortBy->setCurrentRow(sort.index);
    (sort.descending ? optDescending : optAscending)->setChecked(true);
}

void ReportView::storeSortOrder()
{
    storeReportSort(m_windows.store(), m_kind.sortNames,
                    {std::max(lstSortBy->currentRow(), 0), optDescending->isChecked()});
}

void ReportView::presetLastFileName()
{
    const RegistryStore &store = m_windows.store();
    const QByteArray text = readReportFileName(store, m_kind.fileNames, true);
    const QByteArray excel = readReportFileName(store, m_kind.fileNames, false);
    txtFileName->setText(fromWindows1252(optText->isChecked() ? text : excel));
    txtFileName->setFocus();
}

void ReportView::storeFileName()
{
    const std::optional<QByteArray> fileName =
        storableText(txtFileName->text(), QStringLiteral("The file name holds characters that cannot be stored."));
    if (!fileName)
        return;
    storeReportFileName(m_windows.store(), m_kind.fileNames, optText->isChecked(), *fileName);
    MessageBox::show(m_kind.nothingWrittenText);
}

// The chooser starts in the folder of the file this box names and writes its choice
// back into it.
void ReportView::Command3_Click()
{
    openPathChooser(m_windows, txtFileName, optText->isChecked() ? m_kind.textChooserMode : m_kind.csvChooserMode);
}

void ReportView::cmdClose_Click()
{
    (m_windows.*m_kind.unload)();
}

void ReportView::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdClose_Click();
}

} // namespace qern
