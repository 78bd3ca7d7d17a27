#include "frmCLEReport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "RegistryStore.h"
#include "ReportSettings.h"
#include "WindowSet.h"
#include "logbook/frmLog.h"
#include "reports/frmCLEReportView.h"

namespace qern {

frmCLEReport::frmCLEReport(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmCLEReport"));
    setWindowTitle(QStringLiteral("CLE/Session Report"));

    lblNotBuilt = new QLabel(QStringLiteral("Session reports are not part of this version of QERN. The options "
                                            "below are kept for later."));
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);

    auto *options = new QGridLayout;
    for (int i = 0; i < kCLEReportOptionCount; ++i) {
        auto *box = new QCheckBox(QStringLiteral("Option %1").arg(i + 1));
        box->setObjectName(QStringLiteral("chkOption%1").arg(i));
        chkOption.append(box);
        options->addWidget(box, i % 7, i / 7);
    }

    auto kHzBox = [](const char *objectName) {
        auto *box = new QLineEdit;
        box->setObjectName(QLatin1String(objectName));
        box->setMaxLength(4);
        // Digits only in every language setting: a "." or "," typed as a thousands
        // separator would make the stored limit 0.
        auto *validator = new QIntValidator(0, kCLEReportKHzMax, box);
        QLocale digitsOnly = QLocale::c();
        digitsOnly.setNumberOptions(QLocale::RejectGroupSeparator);
        validator->setLocale(digitsOnly);
        box->setValidator(validator);
        return box;
    };
    txtLowerKHz = kHzBox("txtLowerKHz");
    txtUpperKHz = kHzBox("txtUpperKHz");
    auto *limits = new QFormLayout;
    limits->addRow(QStringLiteral("Lower kHz"), txtLowerKHz);
    limits->addRow(QStringLiteral("Upper kHz"), txtUpperKHz);

    Command3 = new QPushButton(QStringLiteral("Create Report"));
    Command3->setObjectName(QStringLiteral("Command3"));
    Command2 = new QPushButton(QStringLiteral("Close"));
    Command2->setObjectName(QStringLiteral("Command2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);

    auto *column = new QVBoxLayout(this);
    column->addWidget(lblNotBuilt);
    column->addLayout(options);
    column->addLayout(limits);
    column->addLayout(buttons);

    connect(Command3, &QPushButton::clicked, this, &frmCLEReport::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmCLEReport::Command2_Click);
}

void frmCLEReport::showForm()
{
    bringToFront(this);
}

void frmCLEReport::Form_Load()
{
    // The log viewer is hidden meanwhile; its report button waits for this window to go.
    if (m_windows.isLogLoaded())
        m_windows.log()->commands().setArmed(m_windows.log()->cmdExport, false);

    const QByteArray stored =
        m_windows.store().GetRegistryValue(RegistryKeys::ProgramPreferences, "CLEReportSettings");
    const CLEReportOptions options = parseCLEReportSettings(stored).value_or(CLEReportOptions::defaults());
    for (int i = 0; i < kCLEReportOptionCount; ++i)
        chkOption[i]->setChecked(options.options[i]);
    txtLowerKHz->setText(QString::number(options.lowerKHz));
    txtUpperKHz->setText(QString::number(options.upperKHz));
}

void frmCLEReport::Command3_Click()
{
    CLEReportOptions options;
    for (int i = 0; i < kCLEReportOptionCount; ++i)
        options.options[i] = chkOption[i]->isChecked();
    options.lowerKHz = txtLowerKHz->text().toInt();
    options.upperKHz = txtUpperKHz->text().toInt();
    m_windows.store().SetRegistryValue(RegistryKeys::ProgramPreferences, kRegistryString, "CLEReportSettings",
                                       cleReportSettingsText(options));
    m_windows.cleReportView()->showForm();
}

void frmCLEReport::Command2_Click()
{
    if (m_leaving)
        return;
    m_leaving = true;
    hide();
    // Enabled before the viewer is shown, so its activation still disables the button
    // when the reloaded list is empty.
    if (m_windows.isLogLoaded()) {
        frmLog *viewer = m_windows.log();
        viewer->commands().setArmed(viewer->cmdExport, true);
        viewer->showForm();
    }
    m_windows.unloadCLEReportView();
    m_windows.unloadCLEReport();
}

void frmCLEReport::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command2_Click();
}

} // namespace qern
