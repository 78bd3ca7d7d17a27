#include "StartupFiles.h"

#include <QDir>
#include <QFile>

#include "LogRecords.h"
#include "SharedState.h"
#include "Tables.h"

namespace qern {

namespace {

// A folder or a loop of links in the table's place is named, not called missing.
QString tableMessage(const QString &path, const FileError &error, const char *missingText)
{
    return isMissing(path) ? QString::fromLatin1(missingText) : error.messageText();
}

// A folder counts when an entry of that name, compared upper-cased, is a folder; a
// plain file of the same name does not.
bool hasFolderNamed(const QString &root, const QString &name)
{
    const QStringList folders = QDir(root).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : folders) {
        if (entry.toUpper() == name.toUpper())
            return true;
    }
    return false;
}

} // namespace

QStringList loadLookupTables(SharedState &state)
{
    QStringList messages;
    const QString statePath = state.folder.path(QStringLiteral("State.dat"));
    state.States = StateTable();
    if (const FileError error = loadStateTable(statePath, &state.States))
        messages << tableMessage(statePath, error, "State, Province lookup table missing.");
    const QString countryPath = state.folder.path(QStringLiteral("Country.dat"));
    state.Countries = CountryTable();
    if (const FileError error = loadCountryTable(countryPath, &state.Countries))
        messages << tableMessage(countryPath, error, "Country lookup table missing.");
    return messages;
}

QStringList ensureDataFolders(const ProgramFolder &folder)
{
    QStringList messages;
    for (const QString &name : {QStringLiteral("Logs"), QStringLiteral("AutoBackups")}) {
        if (hasFolderNamed(folder.root(), name))
            continue;
        if (!QDir(folder.root()).mkdir(name))
            messages << FileError::accessError(folder.root() + QLatin1Char('/') + name).messageText();
    }
    // Without the folder every logbook would fail the same way; that is reported once.
    if (!hasFolderNamed(folder.root(), QStringLiteral("Logs")))
        return messages;
    for (int n = 0; n < 16; ++n) {
        const QString path = logbookPath(folder, n);
        if (fileExists(path))
            continue;
        // NewOnly: whatever appeared under that name meanwhile is never truncated.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            messages << FileError::fromQFile(file).messageText();
    }
    return messages;
}

} // namespace qern
