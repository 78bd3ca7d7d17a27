#include "PathChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace qern {

namespace {

QString cleaned(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

bool caseInsensitiveLess(const QString &a, const QString &b)
{
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

QStringList sortedWithoutCase(QStringList names)
{
    std::sort(names.begin(), names.end(), caseInsensitiveLess);
    return names;
}

FileError badFileName(const QString &path)
{
    return {52, QStringLiteral("Bad file name or number (%1)").arg(path)};
}

} // namespace

PathChoiceMode pathChoiceMode(int mode)
{
    PathChoiceMode m;
    switch (mode) {
    case 2:
    case 4:
        m.fileControlsEnabled = true;
        break;
    case 3:
        m.pattern = QStringLiteral("*.js");
        m.fileControlsEnabled = false;
        m.nameRequired = false;
        break;
    case 5:
    case 6:
    case 7:
    case 8: {
        const bool text = mode == 5 || mode == 7;
        m.forcedExtension = text ? QStringLiteral("txt") : QStringLiteral("csv");
        m.pattern = QStringLiteral("*.") + m.forcedExtension;
        m.fileControlsEnabled = true;
        m.startFolderFromOpener = true;
        break;
    }
    default:
        break;
    }
    return m;
}

QStringList mountedVolumeRoots()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    if (!roots.contains(QStringLiteral("/")))
        roots.append(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end());
    return roots;
}

bool isVolumeRoot(const QString &folder, const QStringList &volumeRoots)
{
    const QString path = cleaned(folder);
    if (path == QStringLiteral("/"))
        return true;
    return std::any_of(volumeRoots.begin(), volumeRoots.end(),
                       [&path](const QString &root) { return cleaned(root) == path; });
}

QString volumeRootOf(const QString &folder, const QStringList &volumeRoots)
{
    const QString path = cleaned(folder);
    QString best = QStringLiteral("/");
    for (const QString &root : volumeRoots) {
        const QString r = cleaned(root);
        const bool contains = r == QStringLiteral("/") || path == r || path.startsWith(r + QLatin1Char('/'));
        if (contains && r.size() > best.size())
            best = r;
    }
    return folderListPath(best, volumeRoots);
}

QString folderListPath(const QString &folder, const QStringList &volumeRoots)
{
    const QString path = cleaned(folder);
    if (path != QStringLiteral("/") && isVolumeRoot(path, volumeRoots))
        return path + QLatin1Char('/');
    return path;
}

QString joinFolderAndName(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString folderWithSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString forceExtension(const QString &name, const QString &extension)
{
    // A dot of a folder typed before the name is no extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < name.lastIndexOf(QLatin1Char('/')))
        return name + QLatin1Char('.') + extension;
    return name.left(dot + 1) + extension;
}

std::optional<QString> startFolderFromText(const QString &text, const QString &homeFolder)
{
    if (text.isEmpty())
        return homeFolder;
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    return text.left(slash + 1);
}

SetPathResult SetPath(int mode, const QString &folder, const QString &name)
{
    const PathChoiceMode rules = pathChoiceMode(mode);
    SetPathResult result;
    result.txtFileName = name;
    if (name.isEmpty() && rules.nameRequired) {
        result.nameMissing = true;
        return result;
    }
    switch (mode) {
    case 3:
        result.openerText = folderWithSeparator(folder);
        result.WeblogFolder = result.openerText;
        break;
    case 4:
        result.BeaconRadarFolder = folder;
        result.openerText = joinFolderAndName(folder, name);
        break;
    case 5:
    case 6:
    case 7:
    case 8:
        result.txtFileName = forceExtension(name, rules.forcedExtension);
        result.openerText = joinFolderAndName(folder, result.txtFileName);
        break;
    default:
        break;
    }
    return result;
}

FileError checkFolderCanBeShown(const QString &folder)
{
    if (folder.isEmpty() || !folderExists(folder))
        return FileError::pathNotFound(folder);
    const QFileInfo info(folder);
    if (!info.isReadable() || !info.isExecutable())
        return {70, QStringLiteral("Permission denied (%1)").arg(folder)};
    return {};
}

QStringList subfolderNames(const QString &folder)
{
    return sortedWithoutCase(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot));
}

QStringList fileNames(const QString &folder, const QString &pattern)
{
    QDir dir(folder);
    if (!pattern.isEmpty())
        dir.setNameFilters({pattern});
    return sortedWithoutCase(dir.entryList(QDir::Files));
}

FileError createSubfolder(const QString &parent, const QString &name)
{
    const QString path = joinFolderAndName(parent, name);
    // A name of blanks alone would list as an empty row: refused as the empty name is.
    if (name.trimmed().isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return badFileName(path);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return FileError::accessError(path);
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return {};
    switch (errno) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {70, QStringLiteral("Permission denied (%1)").arg(path)};
    case ENOENT:
    case ENOTDIR:
        return FileError::pathNotFound(path);
    case ENOSPC:
    case EDQUOT:
        return {61, QStringLiteral("Disk full (%1)").arg(path)};
    case ENAMETOOLONG:
        return badFileName(path);
    default:
        return FileError::accessError(path);
    }
}

} // namespace qern
