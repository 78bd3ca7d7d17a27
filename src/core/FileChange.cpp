#include "FileChange.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

#include "AutoBackup.h"

namespace qern {

QString changeFailureText(const FileError &error, const TakenBack &takenBack, const char *notTakenBack,
                          const char *notWritten, const char *takenBackText)
{
    if (!error.failed())
        return {};
    QString text = error.messageText();
    auto addLine = [&text](const QString &line) { text += QStringLiteral("\r\n") + line; };
    if (!takenBack.anyWrite) {
        if (notWritten)
            addLine(QLatin1String(notWritten));
        return text;
    }
    if (takenBack.confirmed()) {
        addLine(QLatin1String(takenBackText ? takenBackText : kChangeTakenBackText));
        return text;
    }
    addLine(QLatin1String(takenBack.putBack ? kTakeBackNotConfirmedText : notTakenBack));
    if (takenBack.error.failed())
        addLine(takenBack.error.messageText());
    return text;
}

FileChange::FileChange(ProgramFolder folder) : m_folder(std::move(folder)) {}

FileChange::~FileChange() = default;

void FileChange::writesRecords(const QString &path, int recordLength, Missing missing)
{
    m_targets.append({path, false, recordLength, missing});
}

void FileChange::replaces(const QString &path)
{
    m_targets.append({path, true, 0, Missing::Created});
}

FileError FileChange::begin(AutomaticBackup backup)
{
    for (const Target &t : std::as_const(m_targets)) {
        if (t.missing == Missing::Refused && !fileExists(t.path))
            return missingFileError(t.path);
        if (FileError err = checkWritable(t.path))
            return err;
        // A file written whole is renamed in its folder; a missing one is made there.
        if (t.whole || !fileExists(t.path)) {
            if (FileError err = checkFolderWritable(t.path))
                return err;
        }
    }
    if (backup == AutomaticBackup::Take) {
        if (FileError err = AutoBackupFiles(m_folder))
            return err;
    }
    m_begun = true;
    return {};
}

FileError FileChange::findTarget(const QString &path, bool whole, const Target **found) const
{
    *found = nullptr;
    if (!m_begun)
        return FileError::refused(QStringLiteral("A change was written before it was checked (%1)").arg(path));
    for (const Target &t : m_targets) {
        if (t.path == path && t.whole == whole) {
            *found = &t;
            return {};
        }
    }
    return FileError::refused(QStringLiteral("A file was written that was not checked first (%1)").arg(path));
}

FileChange::Step &FileChange::recordStep(const Target &target)
{
    for (const std::shared_ptr<Step> &step : std::as_const(m_steps)) {
        if (step->records && step->path == target.path)
            return *step;
    }
    auto step = std::make_shared<Step>();
    step->path = target.path;
    // Constructed before the first write: it keeps the file's length as it was.
    step->records.emplace(target.path, target.recordLength);
    m_steps.append(step);
    return *step;
}

FileError FileChange::writeRecord(const QString &path, qint64 number, QByteArrayView record)
{
    return writeRecords(path, number, record, nullptr);
}

FileError FileChange::appendRecord(const QString &path, QByteArrayView record, qint64 *writtenAs)
{
    return writeRecords(path, std::nullopt, record, writtenAs);
}

// Without a number the record is appended.
FileError FileChange::writeRecords(const QString &path, std::optional<qint64> number, QByteArrayView record,
                                   qint64 *writtenAs)
{
    const Target *t = nullptr;
    if (FileError err = findTarget(path, false, &t))
        return err;
    if (t->missing == Missing::Refused && !fileExists(path))
        return missingFileError(path);
    Step &step = recordStep(*t);
    if (FileError err = number ? step.records->keepRecord(*number) : step.records->keepAppendPosition())
        return err;
    step.written = true;
    RecordFile file(path, t->recordLength);
    return number ? file.write(*number, record) : file.append(record, writtenAs);
}

FileError FileChange::keepWholeFile(const QString &path, Step *step) const
{
    step->path = path;
    step->existed = fileExists(path);
    if (!step->existed)
        return {};
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        step->mode = info.st_mode & 07777;
    return readWholeFile(path, &step->content);
}

// What the file holds is kept first; the step counts when write() changed the file,
// also when the sync after it failed.
FileError FileChange::writeWhole(const QString &path, const std::function<FileError(bool *changed)> &write)
{
    const Target *t = nullptr;
    if (FileError err = findTarget(path, true, &t))
        return err;
    auto step = std::make_shared<Step>();
    if (FileError err = keepWholeFile(path, step.get()))
        return err;
    bool changed = false;
    FileError err = write(&changed);
    if (changed)
        m_steps.append(step);
    return err;
}

FileError FileChange::replaceFile(const QString &path, QByteArrayView content)
{
    return writeWhole(path, [&](bool *replaced) { return replaceFileContents(path, content, replaced); });
}

FileError FileChange::removeFile(const QString &path)
{
    return writeWhole(path, [&](bool *removed) { return removeFileIfExists(path, removed); });
}

FileError FileChange::copyFile(const QString &source, const QString &target)
{
    const Target *t = nullptr;
    if (FileError err = findTarget(target, true, &t))
        return err;
    return copyFileUnlessSame(source, target);
}

FileError FileChange::putBack(const Step &step, bool *back)
{
    if (step.records)
        return step.records->undo(back);
    if (!step.existed) {
        *back = !fileExists(step.path);
        return *back ? FileError{} : removeFileIfExists(step.path, back);
    }
    // A removed file comes back with the permission bits it had.
    const bool removed = !fileExists(step.path);
    FileError err = replaceFileContents(step.path, step.content, back);
    if (!*back || !removed)
        return err;
    QString target;
    FileError linkError = resolveLinks(step.path, &target);
    if (!linkError && ::chmod(QFile::encodeName(target).constData(), step.mode) != 0)
        linkError = FileError::fromErrno(errno, step.path);
    return err.failed() ? err : linkError;
}

TakenBack FileChange::takeBack()
{
    TakenBack out;
    for (auto it = m_steps.crbegin(); it != m_steps.crend(); ++it) {
        const Step &step = **it;
        if (step.records && !step.written)
            continue;
        out.anyWrite = true;
        bool back = false;
        FileError err = putBack(step, &back);
        if (!back)
            out.putBack = false;
        if (err && !out.error)
            out.error = std::move(err);
    }
    m_steps.clear();
    return out;
}

} // namespace qern
