// QERN: starts the program on its folder and hands over to the start-up window.
//
//   qern [--folder DIR] [--settings FILE]
//
// The folder defaults to ~/.local/share/qern. Each start copies in the shipped files
// it lacks (the starter ndb.dat only into a new folder). The settings file defaults to
// ~/.config/QERN6.1/registry.ini; QERN_SETTINGS_FILE overrides it as --settings does.
//
// One copy per folder and per settings file: a second start on either says so and
// ends with status 3, touching no file. QERN_UNATTENDED=1 answers every message box
// with its default button and prints it on the standard error instead.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "MessageBox.h"
#include "ProgramFolder.h"
#include "ProgramLock.h"
#include "RegistryStore.h"
#include "SharedState.h"
#include "WindowSet.h"
#include "preferences/SerialPorts.h"
#include "startup/frmSplash.h"

namespace {

// Installed: <prefix>/bin/qern next to <prefix>/share/qern. From the build tree:
// the source tree's data/.
QString shippedDataFolder()
{
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/qern"));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    return QStringLiteral(QERN_SOURCE_DATA_DIR);
}

// Two copies on one folder or one settings file would undo each other's writes.
// Returns 0 when this copy holds both, else the status to end with.
int lockFolderAndSettings(qern::ProgramLock &lock, const qern::ProgramFolder &folder, const QString &settingsPath)
{
    const QString folderLock = folder.lockFilePath();
    switch (lock.lock({folderLock, qern::settingsLockPath(settingsPath)})) {
    case qern::ProgramLock::Outcome::Taken:
        return 0;
    case qern::ProgramLock::Outcome::Held:
        if (lock.blockedPath() == folderLock)
            qern::MessageBox::show(QStringLiteral("QERN is already running on this folder.\r") + folder.root(),
                                   QStringLiteral("QERN"));
        else
            qern::MessageBox::show(QStringLiteral("QERN is already running with this settings file.\r") +
                                       QFileInfo(settingsPath).absoluteFilePath(),
                                   QStringLiteral("QERN"));
        return qern::kAlreadyRunningExitCode;
    case qern::ProgramLock::Outcome::Failed:
        break;
    }
    qern::MessageBox::show(lock.error().messageText(), QStringLiteral("Error"));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QERN"));
    QApplication::setApplicationVersion(QStringLiteral("6.2"));
    // Windows are hidden and shown again all the time; only the main window ends the run.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QERN, the beacon hunter's logbook"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(QStringLiteral("folder"), QStringLiteral("Program folder to work in."),
                                          QStringLiteral("DIR"), qern::ProgramFolder::defaultLocation());
    const QCommandLineOption settingsOption(QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                            QStringLiteral("FILE"));
    parser.addOption(folderOption);
    parser.addOption(settingsOption);
    parser.process(app);

    // Resolved here, before the program moves into its folder.
    const QString settingsPath = qern::RegistryStore::chosenPath(
        parser.isSet(settingsOption) ? parser.value(settingsOption) : qEnvironmentVariable("QERN_SETTINGS_FILE"));

    qern::SharedState state;
    state.folder = qern::ProgramFolder(parser.value(folderOption));
    qern::ProgramLock lock;
    if (const int status = lockFolderAndSettings(lock, state.folder, settingsPath))
        return status;
    if (const qern::FileError error = state.folder.seedFrom(shippedDataFolder())) {
        qern::MessageBox::show(error.messageText(), QStringLiteral("Error"));
        if (!QFileInfo(state.folder.root()).isDir())
            return 1;
    }
    if (!QDir::setCurrent(state.folder.root())) {
        qern::MessageBox::show(qern::FileError::pathNotFound(state.folder.root()).messageText(),
                               QStringLiteral("Error"));
        return 1;
    }

    qern::RegistryStore store(settingsPath);
    qern::WindowSet windows(state, store, qern::availableSerialPorts);
    qern::frmSplash *splash = windows.splash();
    if (windows.hasEnded())
        return windows.exitCode();
    splash->showForm();
    if (windows.hasEnded())
        return windows.exitCode();
    return app.exec();
}
