#include "ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace qern {

ProgramFolder::ProgramFolder(QString root) : m_root(QDir::cleanPath(QDir(root).absolutePath())) {}

QString resolveEntryName(const QString &folder, const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return name;
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return name;
    if (!dir.exists())
        return name;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

QString ProgramFolder::path(const QString &relative) const
{
    QString current = m_root;
    const QStringList parts = QString(relative).replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        current = current + QLatin1Char('/') + resolveEntryName(current, part);
    return current;
}

QString ProgramFolder::defaultLocation()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/qern");
}

bool ProgramFolder::isEmptyOrMissing() const
{
    QStringList entries =
        QDir(m_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.removeOne(QLatin1String(kFolderLockFileName));
    entries.removeIf([](const QString &entry) { return entry.endsWith(QLatin1String(".tmp")); });
    return entries.isEmpty();
}

FileError ProgramFolder::seedFrom(const QString &dataDir, QStringList *copied) const
{
    const bool isNew = isEmptyOrMissing();
    if (!QDir().mkpath(m_root))
        return FileError::pathNotFound(m_root);
    const QDir source(dataDir);
    if (!source.exists())
        return FileError::pathNotFound(dataDir);
    QStringList shipped;
    bool shipsDatabase = false;
    QDirIterator it(dataDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = source.relativeFilePath(it.next());
        if (relative.compare(QLatin1String("ndb.dat"), Qt::CaseInsensitive) == 0)
            shipsDatabase = true;
        else if (relative.compare(QLatin1String("README.md"), Qt::CaseInsensitive) != 0)
            shipped.append(relative);
    }
    shipped.sort();
    // The database first: a start killed after it leaves a folder in use, which gets
    // the rest next time.
    if (isNew && shipsDatabase)
        shipped.prepend(QStringLiteral("ndb.dat"));

    FileError first;
    for (const QString &relative : std::as_const(shipped)) {
        const QString to = path(relative);
        if (!isMissing(to))
            continue;
        bool made = false;
        FileError err = QDir().mkpath(QFileInfo(to).absolutePath())
                            ? copyFileIfMissing(source.filePath(relative), to, &made)
                            : FileError::pathNotFound(to);
        if (err && !first)
            first = std::move(err);
        if (made && copied)
            copied->append(relative);
    }
    return first;
}

} // namespace qern
