#include "frmWeblogImport.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "MessageBox.h"
#include "Preferences.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "startup/frmFileOperation.h"

namespace qern {

frmWeblogImport::frmWeblogImport(WindowSet &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("frmWeblogImport"));
    setWindowTitle(QStringLiteral("NDB Weblog Import/Export"));

    cmbListeningLocation = new NameList("cmbListeningLocation");
    txtWeblog = new QLineEdit;
    txtWeblog->setObjectName(QStringLiteral("txtWeblog"));
    cmdWeblogImport = namedButton("cmdWeblogImport", QStringLiteral("Browse..."));
    cmdSavePrefs = namedButton("cmdSavePrefs", QStringLiteral("Save as Default"));
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(txtWeblog, 1);
    folderRow->addWidget(cmdWeblogImport);
    folderRow->addWidget(cmdSavePrefs);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Listening Location"), cmbListeningLocation);
    form->addRow(QStringLiteral("Weblog Folder"), folderRow);

    lblNotBuilt = new QLabel(QStringLiteral("Importing from and exporting to stations.js and log.js are not part "
                                            "of this version of QERN."));
    lblNotBuilt->setObjectName(QStringLiteral("lblNotBuilt"));
    lblNotBuilt->setWordWrap(true);

    cmdImportToQERN = namedButton("cmdImportToQERN", QStringLiteral("Import to QERN"));
    cmdImportToQERN->setEnabled(false);
    Command1 = namedButton("Command1", QStringLiteral("Exit"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdImportToQERN);
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(lblNotBuilt);
    column->addLayout(buttons);

    connect(cmdSavePrefs, &QPushButton::clicked, this, &frmWeblogImport::cmdSavePrefs_Click);
    connect(cmdWeblogImport, &QPushButton::clicked, this, &frmWeblogImport::cmdWeblogImport_Click);
    connect(Command1, &QPushButton::clicked, this, &frmWeblogImport::Command1_Click);
}

void frmWeblogImport::showForm()
{
    bringToFront(this);
}

void frmWeblogImport::Form_Load()
{
    for (const QByteArray &name : storedLocationNames(m_windows.store()))
        cmbListeningLocation->addItem(fromWindows1252(name));
    cmbListeningLocation->setCurrentIndex(m_windows.state().CurrentLocationIndex);
    txtWeblog->setText(fromWindows1252(m_windows.state().WeblogFolder));
}

void frmWeblogImport::cmdSavePrefs_Click()
{
    const std::optional<QByteArray> folder =
        storableText(txtWeblog->text(), QStringLiteral("The folder name holds characters that cannot be stored."));
    if (folder)
        m_windows.store().SetRegistryValue(RegistryKeys::FilePath, kRegistryString, "WeblogPath", *folder);
}

void frmWeblogImport::cmdWeblogImport_Click()
{
    openPathChooser(m_windows, txtWeblog, 3, fromWindows1252(m_windows.state().WeblogFolder));
}

void frmWeblogImport::Command1_Click()
{
    m_windows.returnToMain();
    m_windows.unloadWeblogImport();
}

void frmWeblogImport::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command1_Click();
}

} // namespace qern
