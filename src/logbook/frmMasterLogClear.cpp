#include "frmMasterLogClear.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "LogMaintenance.h"
#include "MessageBox.h"
#include "Statistics.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"

namespace qern {

frmMasterLogClear::frmMasterLogClear(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmMasterLogClear"));
    setWindowTitle(QStringLiteral("Master Log Clear"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Select logs you want to erase"));
    Label1->setObjectName(QStringLiteral("Label1"));

    // Two columns of eight, each as wide as designed or as its location's name needs.
    auto *boxes = new QGridLayout;
    for (int i = 0; i < kLocationCount; ++i) {
        auto *box = new QCheckBox;
        box->setObjectName(QStringLiteral("chklog(%1)").arg(i));
        boxes->addWidget(box, i % 8, i / 8);
        chklog[static_cast<size_t>(i)] = box;
    }
    for (int column : {0, 1})
        boxes->setColumnMinimumWidth(column, 246);

    cmdDelete = namedButton("cmdDelete", QStringLiteral("Delete Selected Logs"));
    setDesignedSize(cmdDelete, 180, 30);
    cmdExit = namedButton("cmdExit", QStringLiteral("Exit"));
    setDesignedSize(cmdExit, 100, 30);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout;
    column->addWidget(Label1);
    column->addLayout(boxes);
    column->addStretch();
    column->addLayout(buttons);
    layOutWindow(this, column, QSize(520, 300));
    // Only as large as its captions need: a longer name widens it, up to what the screen has.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdDelete, &QPushButton::clicked, this, &frmMasterLogClear::cmdDelete_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMasterLogClear::cmdExit_Click);
}

void frmMasterLogClear::applyStatistics(const DatabaseStatistics &statistics)
{
    // Each caption begins with the location's name, which may be too long for its box.
    const std::array<QByteArray, kLocationCount> names = m_windows.location()->locationNames();
    for (int i = 0; i < kLocationCount; ++i) {
        const auto at = static_cast<size_t>(i);
        const QByteArray &caption = statistics.chklogCaptions[at];
        const qsizetype nameLength = caption.startsWith(names[at]) ? names[at].size() : caption.size();
        setUserTextCaption(chklog[at], QString(), fromWindows1252(caption.left(nameLength)),
                           fromWindows1252(caption.mid(nameLength)));
        chklog[at]->setVisible(statistics.chklogVisible[at]);
    }
    if (statistics.cmdDeleteEnabled)
        cmdDelete->setEnabled(*statistics.cmdDeleteEnabled);
}

quint16 frmMasterLogClear::selectionMask() const
{
    quint16 mask = 0;
    for (int i = 0; i < kLocationCount; ++i) {
        if (checkValue(chklog[static_cast<size_t>(i)]) == 1)
            mask |= static_cast<quint16>(1u << i);
    }
    return mask;
}

void frmMasterLogClear::showModal()
{
    exec();
    m_windows.unloadMasterLogClear();
}

void frmMasterLogClear::cmdDelete_Click()
{
    cmdDelete->setEnabled(false);
    cmdExit->setEnabled(false);

    const quint16 selection = selectionMask();
    if (selection != 0) {
        const MsgAnswer answer =
            MessageBox::show(QLatin1String(kMasterLogClearQuestion), QLatin1String(kMasterLogClearQuestionTitle),
                             MsgButtons::YesNo, MsgIcon::Critical);
        if (answer != MsgAnswer::Yes) {
            MessageBox::show(QLatin1String(kMasterLogsNotClearedText));
        } else {
            const MasterLogClearResult result = clearMasterLogs(m_state.folder, selection);
            frmMain *main = m_windows.main();
            // Recounted also after a failure: part of the clear may stay made.
            main->GatherDatabaseStatistics(true);
            main->ClearBeaconDisplay();
            main->CheckDatabaseIntegrity();
            if (result.error)
                MessageBox::show(result.messageText(), QStringLiteral("Error"));
            else
                MessageBox::show(QLatin1String(kMasterLogsClearedText));
        }
    }

    cmdDelete->setEnabled(true);
    cmdExit->setEnabled(true);
}

void frmMasterLogClear::cmdExit_Click()
{
    done(QDialog::Rejected);
}

void frmMasterLogClear::reject()
{
    // Escape and the title bar do what "Exit" does, except while a clear runs.
    if (cmdExit->isEnabled())
        cmdExit_Click();
}

} // namespace qern
