#include "frmNewDirectory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "MessageBox.h"
#include "PathChoice.h"

namespace qern {

frmNewDirectory::frmNewDirectory(const QString &parentFolder, QWidget *parent)
    : QDialog(parent), m_parentFolder(parentFolder)
{
    setObjectName(QStringLiteral("frmNewDirectory"));
    setWindowTitle(QStringLiteral("New Directory"));
    setModal(true);
    setFont(namedFont(QStringLiteral("Tahoma")));

    Label1 = new QLabel(QStringLiteral("Enter new directory name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtNewDir = new QLineEdit(this);
    txtNewDir->setObjectName(QStringLiteral("txtNewDir"));
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto *column = new QVBoxLayout(this);
    column->addWidget(Label1);
    column->addWidget(txtNewDir);
    column->addLayout(buttons);
    setFixedWidth(twipsToPixels(4500));

    connect(Command2, &QPushButton::clicked, this, &frmNewDirectory::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmNewDirectory::Command1_Click);
}

void frmNewDirectory::Command2_Click()
{
    const FileError err = createSubfolder(m_parentFolder, txtNewDir->text());
    if (err) {
        MessageBox::show(err.messageText(), QStringLiteral("Error"));
        txtNewDir->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

void frmNewDirectory::Command1_Click()
{
    reject();
}

} // namespace qern
