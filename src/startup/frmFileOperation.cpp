#include "frmFileOperation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "FormSupport.h"
#include "MessageBox.h"
#include "PathChoice.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "frmNewDirectory.h"

namespace qern {

namespace {

constexpr int kFolderPathRole = Qt::UserRole;

// The folders from "/" down to folder ("/", "/home", "/home/u").
QStringList ancestorsOf(const QString &folder)
{
    QStringList chain{QStringLiteral("/")};
    QString walked;
    for (const QString &part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked += QLatin1Char('/') + part;
        chain.append(walked);
    }
    return chain;
}

} // namespace

void openPathChooser(WindowSet &windows, QLineEdit *target, int mode, const std::optional<QString> &startFolder,
                     const std::optional<QString> &fileName)
{
    SharedState &state = windows.state();
    frmFileOperation *chooser = windows.fileOperation();
    if (fileName)
        chooser->txtFileName->setText(*fileName);
    state.FileOperationMode = mode;
    if (startFolder && !chooser->presetFolder(*startFolder))
        chooser->presetFolder(state.folder.root());
    chooser->setTarget(target);
    chooser->showForm();
}

frmFileOperation::frmFileOperation(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmFileOperation"));
    setWindowTitle(QStringLiteral("Path Setting"));
    setFont(namedFont(QStringLiteral("Tahoma")));

    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };

    lstDrive = new QComboBox(this);
    name(lstDrive, "lstDrive");
    lstDirectory = new QListWidget(this);
    name(lstDirectory, "lstDirectory");
    lstFile = new QListWidget(this);
    name(lstFile, "lstFile");
    txtFileName = new QLineEdit(this);
    name(txtFileName, "txtFileName");
    lblPath = new QLabel(this);
    name(lblPath, "lblPath");
    lblPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A folder can be deeper than any window is wide: the window keeps its width and the
    // path shows its ends.
    lblPath->setSizePolicy(QSizePolicy::Ignored, lblPath->sizePolicy().verticalPolicy());
    cmdNewDir = new QPushButton(QStringLiteral("New Folder"), this);
    name(cmdNewDir, "cmdNewDir");
    Command1 = new QPushButton(QStringLiteral("Set Path"), this);
    name(Command1, "Command1");
    Command2 = new QPushButton(QStringLiteral("Exit"), this);
    name(Command2, "Command2");
    for (QPushButton *button : {cmdNewDir, Command1, Command2})
        button->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Drives"), this), 0, 0);
    grid->addWidget(lstDrive, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Folders"), this), 2, 0);
    grid->addWidget(lstDirectory, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("File Name"), this), 0, 1);
    grid->addWidget(txtFileName, 1, 1);
    grid->addWidget(lstFile, 2, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdNewDir);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto *column = new QVBoxLayout(this);
    column->addWidget(lblPath);
    column->addLayout(grid);
    column->addLayout(buttons);
    resize(twipsToPixels(7800), twipsToPixels(5400));

    // The design state: every box enabled, no pattern, the folder list in the
    // program's folder (its current directory).
    m_volumes = mountedVolumeRoots();
    fillDrives();
    const QString start = m_state.folder.isValid() ? m_state.folder.root() : QDir::currentPath();
    if (setDirectoryPath(start))
        (void)setDirectoryPath(QDir::homePath());

    connect(lstDrive, &QComboBox::activated, this, &frmFileOperation::lstDrive_Change);
    connect(lstDirectory, &QListWidget::itemActivated, this, &frmFileOperation::openFolderItem);
    // A file chosen with the arrow keys is taken as one clicked; a click on the file
    // already chosen copies its name again over what was typed since.
    connect(lstFile, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem *> chosen = lstFile->selectedItems();
        if (!chosen.isEmpty())
            lstFile_Click(chosen.first());
    });
    connect(lstFile, &QListWidget::itemClicked, this, &frmFileOperation::lstFile_Click);
    connect(cmdNewDir, &QPushButton::clicked, this, &frmFileOperation::cmdNewDir_Click);
    connect(Command1, &QPushButton::clicked, this, &frmFileOperation::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFileOperation::Command2_Click);
}

void frmFileOperation::setVolumeRoots(const QStringList &roots)
{
    m_fixedVolumes = roots;
    m_volumes = roots;
    fillDrives();
}

void frmFileOperation::fillDrives()
{
    const QSignalBlocker blocker(lstDrive);
    lstDrive->clear();
    for (const QString &root : m_volumes) {
        const QString shown = folderListPath(root, m_volumes);
        lstDrive->addItem(shown, shown);
    }
    selectDriveOfFolder();
}

void frmFileOperation::selectDriveOfFolder()
{
    if (m_folder.isEmpty())
        return;
    const QSignalBlocker blocker(lstDrive);
    lstDrive->setCurrentIndex(lstDrive->findData(volumeRootOf(m_folder, m_volumes)));
}

FileError frmFileOperation::setDirectoryPath(const QString &folder)
{
    if (FileError err = checkFolderCanBeShown(folder))
        return err;
    m_folder = folderListPath(folder, m_volumes);
    fillFolderList();
    selectDriveOfFolder();
    lstDirectory_Change();
    return {};
}

bool frmFileOperation::presetFolder(const QString &folder)
{
    return !setDirectoryPath(folder).failed();
}

void frmFileOperation::setTarget(QLineEdit *box)
{
    m_target = box;
}

void frmFileOperation::fillFolderList()
{
    lstDirectory->clear();
    const QStringList chain = ancestorsOf(m_folder);
    int depth = 0;
    for (const QString &folder : chain) {
        const QString text = folder == QStringLiteral("/") ? folder : folder.section(QLatin1Char('/'), -1);
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + text, lstDirectory);
        item->setData(kFolderPathRole, folder);
        ++depth;
    }
    QListWidgetItem *current = lstDirectory->item(lstDirectory->count() - 1);
    QFont bold = current->font();
    bold.setBold(true);
    current->setFont(bold);
    for (const QString &sub : subfolderNames(m_folder)) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub, lstDirectory);
        item->setData(kFolderPathRole, joinFolderAndName(m_folder, sub));
    }
    lstDirectory->setCurrentItem(current);
}

void frmFileOperation::openFolderItem(QListWidgetItem *item)
{
    if (!item)
        return;
    if (const FileError err = setDirectoryPath(item->data(kFolderPathRole).toString())) {
        MessageBox::show(err.messageText(), QStringLiteral("Error"));
        fillFolderList(); // the folder may have gone meanwhile
    }
}

void frmFileOperation::showForm()
{
    m_leftForOtherWindow = false;
    bringToFront(this);
    Form_Activate();
}

void frmFileOperation::Form_Activate()
{
    // What the disk holds now: a folder made meanwhile shows at once.
    m_volumes = m_fixedVolumes.isEmpty() ? mountedVolumeRoots() : m_fixedVolumes;
    fillDrives();
    if (checkFolderCanBeShown(m_folder).failed())
        (void)setDirectoryPath(QDir::homePath());
    else
        (void)setDirectoryPath(m_folder);

    applyModeRules();

    const PathChoiceMode rules = pathChoiceMode(m_state.FileOperationMode);
    if (rules.startFolderFromOpener) {
        const QString text = m_target ? m_target->text() : QString();
        // A folder that no longer exists leaves the list where it is.
        if (const std::optional<QString> start = startFolderFromText(text, QDir::homePath()))
            (void)setDirectoryPath(*start);
    }
}

void frmFileOperation::applyModeRules()
{
    const PathChoiceMode rules = pathChoiceMode(m_state.FileOperationMode);
    if (!rules.pattern.isEmpty() && rules.pattern != m_pattern) {
        m_pattern = rules.pattern;
        lstDirectory_Change();
    }
    if (rules.fileControlsEnabled) {
        lstFile->setEnabled(*rules.fileControlsEnabled);
        txtFileName->setEnabled(*rules.fileControlsEnabled);
    }
}

void frmFileOperation::lstDrive_Change(int index)
{
    const QString root = lstDrive->itemData(index).toString();
    if (const FileError err = setDirectoryPath(root)) {
        MessageBox::show(err.messageText(), QStringLiteral("Error"));
        selectDriveOfFolder();
    }
}

void frmFileOperation::lstDirectory_Change()
{
    setUserTextCaption(lblPath, QString(), m_folder, QString(), Qt::ElideMiddle);
    lstFile->clear();
    lstFile->addItems(fileNames(m_folder, m_pattern));
}

void frmFileOperation::lstFile_Click(QListWidgetItem *item)
{
    if (item)
        txtFileName->setText(item->text());
}

// Only creates the folder: what the chooser chose is recorded by "Set Path" alone.
void frmFileOperation::cmdNewDir_Click()
{
    frmNewDirectory dialog(m_folder, this);
    dialog.exec();
    if (m_unloading)
        return;
    m_leftForOtherWindow = false;
    Form_Activate();
}

void frmFileOperation::Command1_Click()
{
    const SetPathResult result = SetPath(m_state.FileOperationMode, m_folder, txtFileName->text());
    if (result.nameMissing) {
        MessageBox::show(QString::fromLatin1(kMustSpecifyFileName), QStringLiteral("Error"));
        return;
    }
    // The settings hold the folder in Windows-1252: a name they cannot hold would come
    // back as another folder, so nothing is taken.
    const std::optional<QString> &folder = result.WeblogFolder ? result.WeblogFolder : result.BeaconRadarFolder;
    std::optional<QByteArray> storedFolder;
    if (folder) {
        storedFolder = storableText(*folder, QStringLiteral("The folder name holds characters that cannot be stored."));
        if (!storedFolder)
            return;
    }
    txtFileName->setText(result.txtFileName);
    if (result.openerText && m_target)
        m_target->setText(*result.openerText);
    if (result.WeblogFolder)
        m_state.WeblogFolder = *storedFolder;
    if (result.BeaconRadarFolder)
        m_state.BeaconRadarFolder = *storedFolder;
    unloadChooser();
}

void frmFileOperation::Command2_Click()
{
    unloadChooser();
}

void frmFileOperation::unloadChooser()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_windows.unloadFileOperation();
}

void frmFileOperation::closeEvent(QCloseEvent *event)
{
    event->accept();
    Command2_Click();
}

bool frmFileOperation::event(QEvent *event)
{
    // Coming back from another window of the program runs the activation again; a
    // message box or the new-folder dialog of the chooser's own does not.
    if (event->type() == QEvent::WindowDeactivate) {
        if (!QApplication::activeModalWidget())
            m_leftForOtherWindow = true;
    } else if (event->type() == QEvent::WindowActivate) {
        if (m_leftForOtherWindow && !m_unloading) {
            m_leftForOtherWindow = false;
            Form_Activate();
        }
    }
    return QWidget::event(event);
}

} // namespace qern
