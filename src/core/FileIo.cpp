#include "FileIo.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <cstdio>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NumberText.h"

namespace qern {

namespace {

QString withPath(const QString &description, const QString &path)
{
    return path.isEmpty() ? description
                          : QStringLiteral("%1 (%2)").arg(description, QDir::toNativeSeparators(path));
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The bare access error says nothing of its cause; these name what stands in the way.
FileError linkLoop(const QString &path)
{
    return {75, QStringLiteral("Path/File access error (%1 is a loop of symbolic links)").arg(native(path))};
}

// An entry at path that is not a plain file.
FileError notAFile(const QString &path, mode_t mode)
{
    const QString what = S_ISDIR(mode) ? QStringLiteral("is a folder") : QStringLiteral("is not a plain file");
    return {75, QStringLiteral("Path/File access error (%1 %2)").arg(native(path), what)};
}

// What stands at the temporary name of a whole-file write, where no file may be made.
FileError temporaryInTheWay(const QString &path, const QString &temporary, bool folder)
{
    return {75, QStringLiteral("Path/File access error (%1: %2 stands at %3, where its new copy is written first)")
                    .arg(native(path), folder ? QStringLiteral("a folder") : QStringLiteral("something not a file"),
                         native(temporary))};
}

} // namespace

QString FileError::messageText() const
{
    return QStringLiteral("Error # %1: %2").arg(number).arg(description);
}

FileError FileError::fromErrno(int err, const QString &path)
{
    switch (err) {
    case ENOENT:
        return notFound(path);
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::permissionDenied(path);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull(path);
    case EIO:
        return FileError::ioError(path);
    case ELOOP:
        return linkLoop(path);
    case EISDIR:
        return notAFile(path, S_IFDIR);
    default:
        return FileError::accessError(path);
    }
}

FileError FileError::fromQFile(const QFileDevice &file, int fallbackNumber, const QString &shownPath)
{
    const QString path = shownPath.isEmpty() ? file.fileName() : shownPath;
    switch (file.error()) {
    case QFileDevice::NoError:
        // A write cut short sets no error of its own: the disk is full.
        if (fallbackNumber == 61)
            return diskFull(path);
        return {fallbackNumber, withPath(QStringLiteral("Path/File access error"), path)};
    case QFileDevice::PermissionsError:
        return permissionDenied(path);
    case QFileDevice::ResourceError:
        return diskFull(path);
    case QFileDevice::ReadError:
    case QFileDevice::WriteError:
    case QFileDevice::FatalError:
        return {57, withPath(QStringLiteral("Device I/O error"), path)};
    case QFileDevice::OpenError: {
        const QFileInfo info(file.fileName());
        if (!info.isFile() && shownPath.isEmpty())
            return missingFileError(path);
        if (!info.dir().exists())
            return pathNotFound(path);
        if (info.exists() && !info.isFile())
            return accessError(path);
        return permissionDenied(path);
    }
    default:
        return {fallbackNumber, withPath(file.errorString(), path)};
    }
}

FileError FileError::notFound(const QString &path)
{
    return {53, withPath(QStringLiteral("File not found"), path)};
}

FileError FileError::pathNotFound(const QString &path)
{
    return {76, withPath(QStringLiteral("Path not found"), path)};
}

FileError FileError::accessError(const QString &path)
{
    return {75, withPath(QStringLiteral("Path/File access error"), path)};
}

FileError FileError::permissionDenied(const QString &path)
{
    return {70, withPath(QStringLiteral("Permission denied"), path)};
}

FileError FileError::ioError(const QString &path)
{
    return {57, withPath(QStringLiteral("Device I/O error"), path)};
}

FileError FileError::diskFull(const QString &path)
{
    return {61, withPath(QStringLiteral("Disk full"), path)};
}

FileError FileError::refused(const QString &description)
{
    return {5, description}; // "Invalid procedure call or argument"
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool folderExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

qint64 fileLength(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

FileError readWholeFile(const QString &path, QByteArray *content)
{
    if (!fileExists(path))
        return missingFileError(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError::fromQFile(file);
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError::fromQFile(file, 57);
    *content = std::move(data);
    return {};
}

QString temporaryPathFor(const QString &target)
{
    return target + QStringLiteral(".tmp");
}

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// Writes all of data at the position of file, which is open unbuffered. A write cut
// short comes back with the cause the system gave: errno is cleared first, so that a
// cause left from an earlier call is not taken for it. Cut short without a cause of
// its own, it is a full disk.
FileError writeAll(QFile &file, QByteArrayView data, const QString &shownPath)
{
    errno = 0;
    if (file.write(data.data(), data.size()) == data.size())
        return {};
    const int cause = errno;
    return cause != 0 ? FileError::fromErrno(cause, shownPath) : FileError::diskFull(shownPath);
}

// A file made read-only is refused to root as well: access() alone lets root write
// anything, but the user took the write bits away to keep the file as it is.
bool modeAllowsWriting(const QString &existing, const struct stat &info)
{
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(encoded(existing).constData(), W_OK) == 0;
}

// The folder that holds target, path's file through its links, where a new file is
// made, renamed or removed: it must exist and be writable, by its mode as by access.
FileError checkFolderOfTarget(const QString &path, const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    struct stat info {};
    if (::stat(encoded(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return missingFileError(path);
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(encoded(folder).constData(), W_OK | X_OK) != 0)
        return {70, QStringLiteral("Permission denied (%1: its folder %2 is read-only)").arg(native(path), native(folder))};
    return {};
}

// The folder entry of a rename, a new file or a removal is on the disk only once the
// folder itself is synced.
FileError syncFolderOf(const QString &file, const QString &shownPath)
{
    const int fd = ::open(encoded(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return FileError::fromErrno(errno, shownPath);
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL; // a file system that cannot sync folders
    const int err = errno;
    ::close(fd);
    return synced ? FileError{} : FileError::fromErrno(err, shownPath);
}

// Renames from to to unless something stands at to: then from is dropped and *renamed
// says so. A file system that cannot refuse in the rename itself is asked first.
FileError renameUnlessTaken(const QString &from, const QString &to, const QString &shownPath, bool *renamed)
{
    *renamed = false;
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    int result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        struct stat info {};
        if (::lstat(target.constData(), &info) == 0)
            errno = EEXIST;
        else
            result = ::rename(source.constData(), target.constData());
    }
    if (result == 0) {
        *renamed = true;
        return {};
    }
    const int cause = errno;
    QFile::remove(from);
    return cause == EEXIST ? FileError{} : FileError::fromErrno(cause, shownPath);
}

enum class Replace { Always, OnlyWhenMissing };

using BlockWriter = std::function<bool(QByteArrayView block)>;
using Producer = std::function<FileError(const BlockWriter &)>;

// A whole new file written into a temporary file beside the final target of path
// (through its symbolic links, which stay), given the old file's permission bits,
// synced and renamed over the target; the folder's sync is the caller's. The old file
// stays untouched until the new one is complete. Errors name path, the user's file,
// never the temporary one. A new file that is not put in place is removed.
class NewFileBeside {
public:
    explicit NewFileBeside(QString path) : m_path(std::move(path)) {}
    ~NewFileBeside() { drop(); }
    NewFileBeside(const NewFileBeside &) = delete;
    NewFileBeside &operator=(const NewFileBeside &) = delete;

    // Checks the target and its folder and opens the new file. OnlyWhenMissing: with a
    // file at the target already, nothing is opened.
    FileError open(Replace replace);
    bool isOpen() const { return m_out.isOpen(); }
    // The whole content, each block's writeback started as soon as it is written, so
    // that the disk writes while the rest is produced.
    FileError fill(const Producer &produce);
    FileError sync();
    // OnlyWhenMissing: whatever stands at the target when the new file is complete
    // stays; *renamed says whether the new file went in.
    FileError putInPlace(Replace replace, bool *renamed);
    FileError syncFolder() const { return syncFolderOf(m_target, m_path); }
    QString folder() const { return QFileInfo(m_target).absolutePath(); }

private:
    void drop();

    QString m_path;
    QString m_target;
    QString m_temporary;
    QFile m_out;
    bool m_pending = false; // a temporary file stands beside the target
};

FileError NewFileBeside::open(Replace replace)
{
    if (FileError err = resolveLinks(m_path, &m_target))
        return err;
    struct stat old {};
    const bool existed = ::stat(encoded(m_target).constData(), &old) == 0;
    if (existed && replace == Replace::OnlyWhenMissing)
        return {};
    if (existed && !S_ISREG(old.st_mode))
        return notAFile(m_path, old.st_mode);
    if (existed && !modeAllowsWriting(m_target, old))
        return FileError::permissionDenied(m_path);
    if (FileError err = checkFolderOfTarget(m_path, m_target))
        return err;

    m_temporary = temporaryPathFor(m_target);
    const QFileInfo tempInfo(m_temporary);
    if (tempInfo.isSymLink())
        QFile::remove(m_temporary); // never write through a link left under the temporary name
    else if (tempInfo.exists() && !tempInfo.isFile())
        return temporaryInTheWay(m_path, m_temporary, tempInfo.isDir());
    m_out.setFileName(m_temporary);
    // Unbuffered: a failed write is seen, with its cause, at the write that failed.
    if (!m_out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return FileError::fromQFile(m_out, 75, m_path);
    m_pending = true;
    if (existed && ::fchmod(m_out.handle(), old.st_mode & 07777) != 0)
        return FileError::fromErrno(errno, m_path);
    return {};
}

FileError NewFileBeside::fill(const Producer &produce)
{
    FileError writeError;
    off_t written = 0;
    const BlockWriter put = [&](QByteArrayView block) {
        if (!writeError)
            writeError = writeAll(m_out, block, m_path);
        if (writeError)
            return false;
        // Only a start: a failure of this writeback is reported by the sync that waits
        // for it.
        ::sync_file_range(m_out.handle(), written, block.size(), SYNC_FILE_RANGE_WRITE);
        written += block.size();
        return true;
    };
    if (FileError err = produce(put))
        return err;
    return writeError;
}

FileError NewFileBeside::sync()
{
    const bool synced = ::fsync(m_out.handle()) == 0;
    const int err = errno;
    m_out.close();
    return synced ? FileError{} : FileError::fromErrno(err, m_path);
}

FileError NewFileBeside::putInPlace(Replace replace, bool *renamed)
{
    *renamed = false;
    FileError err;
    if (replace == Replace::OnlyWhenMissing)
        err = renameUnlessTaken(m_temporary, m_target, m_path, renamed);
    else if (::rename(encoded(m_temporary).constData(), encoded(m_target).constData()) == 0)
        *renamed = true;
    else
        err = FileError::fromErrno(errno, m_path);
    // A rename refused because the target was taken has dropped the temporary file;
    // one that failed has left it, for drop().
    m_pending = !*renamed && err.failed();
    return err;
}

void NewFileBeside::drop()
{
    if (m_out.isOpen())
        m_out.close();
    if (m_pending)
        QFile::remove(m_temporary);
    m_pending = false;
}

// The whole new content with produce() through a new file beside path's target, renamed
// over it, then the folder synced. OnlyWhenMissing: see NewFileBeside; *written says
// whether the new file went in.
FileError writeBesideAndRename(const QString &path, const Producer &produce, Replace replace = Replace::Always,
                               bool *written = nullptr)
{
    if (written)
        *written = false;
    NewFileBeside file(path);
    if (FileError err = file.open(replace))
        return err;
    if (!file.isOpen())
        return {};
    FileError err = file.fill(produce);
    if (!err)
        err = file.sync();
    bool renamed = false;
    if (!err)
        err = file.putInPlace(replace, &renamed);
    if (err)
        return err;
    if (written)
        *written = renamed;
    return renamed ? file.syncFolder() : FileError{};
}

} // namespace

FileError resolveLinks(const QString &path, QString *target)
{
    // The limit the system itself puts on a chain of links.
    constexpr int kMaxLinks = 40;
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink()) {
            *target = current;
            return {};
        }
        current = info.symLinkTarget();
    }
    return linkLoop(path);
}

bool isMissing(const QString &path)
{
    const QByteArray name = encoded(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return true;
    if (::stat(name.constData(), &info) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR;
}

FileError missingFileError(const QString &path)
{
    const QByteArray name = encoded(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return folderExists(QFileInfo(path).absolutePath()) ? FileError::notFound(path)
                                                            : FileError::pathNotFound(path);
    if (::stat(name.constData(), &info) == 0)
        return S_ISREG(info.st_mode) ? FileError::notFound(path) : notAFile(path, info.st_mode);
    if (errno == ELOOP)
        return linkLoop(path);
    if (errno != ENOENT && errno != ENOTDIR)
        return FileError::fromErrno(errno, path);
    // Links that end at nothing: the file they name was never made, or has gone.
    QString target;
    if (FileError err = resolveLinks(path, &target))
        return err;
    if (folderExists(QFileInfo(target).absolutePath()))
        return {53, QStringLiteral("File not found (%1 is a link to %2, which does not exist)")
                        .arg(native(path), native(target))};
    return {76, QStringLiteral("Path not found (%1 is a link to %2, whose folder does not exist)")
                    .arg(native(path), native(target))};
}

FileError checkFolderWritable(const QString &path)
{
    QString target;
    if (FileError err = resolveLinks(path, &target))
        return err;
    return checkFolderOfTarget(path, target);
}

FileError checkWritable(const QString &path)
{
    QString target;
    if (FileError err = resolveLinks(path, &target))
        return err;
    struct stat info {};
    if (::stat(encoded(target).constData(), &info) != 0)
        return {}; // a missing file is created
    if (!S_ISREG(info.st_mode))
        return notAFile(path, info.st_mode);
    return modeAllowsWriting(target, info) ? FileError{} : FileError::permissionDenied(path);
}

FileError replaceFileContents(const QString &path, QByteArrayView content, bool *replaced)
{
    return writeBesideAndRename(
        path,
        [&](const BlockWriter &put) -> FileError {
            put(content);
            return {};
        },
        Replace::Always, replaced);
}

namespace {

FileError openSource(const QString &source, QFile *in)
{
    if (!fileExists(source))
        return missingFileError(source);
    in->setFileName(source);
    if (!in->open(QIODevice::ReadOnly))
        return FileError::fromQFile(*in);
    return {};
}

// Every byte of in, a block at a time.
Producer readingFrom(QFile &in)
{
    return [&in](const BlockWriter &put) -> FileError {
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (in.error() != QFileDevice::NoError)
                return FileError::fromQFile(in, 57);
            if (!put(block))
                return {};
        }
        return {};
    };
}

FileError copyFile(const QString &source, const QString &target, Replace replace, bool *copied)
{
    QFile in;
    if (FileError err = openSource(source, &in))
        return err;
    return writeBesideAndRename(target, readingFrom(in), replace, copied);
}

} // namespace

FileError copyFileSafely(const QString &source, const QString &target)
{
    return copyFile(source, target, Replace::Always, nullptr);
}

FileError copyFileIfMissing(const QString &source, const QString &target, bool *copied)
{
    return copyFile(source, target, Replace::OnlyWhenMissing, copied);
}

namespace {

// A buffer for blocks read from a file, starting on a page. The kernel copies from the
// file's pages many times slower (ten times on the development machine) into memory
// that lies a few bytes past the place in its page that the bytes have in theirs, as a
// heap block may: a block of a whole number of 1024 records starts on a multiple of
// 1024 bytes in its first page, as does every block after it.
class ReadBuffer {
public:
    char *data(qsizetype size)
    {
        if (m_storage.size() < std::size_t(size) + kPage)
            m_storage.resize(std::size_t(size) + kPage);
        const auto at = reinterpret_cast<std::uintptr_t>(m_storage.data());
        return m_storage.data() + (kPage - at % kPage) % kPage;
    }

private:
    static constexpr std::size_t kPage = 4096;
    std::vector<char> m_storage;
};

// True when both are regular files of the same length and the same bytes; false on
// any doubt (a read that fails included), which only costs a copy.
bool holdSameBytes(const QString &a, const QString &b)
{
    const QFileInfo infoA(a);
    const QFileInfo infoB(b);
    if (!infoA.isFile() || !infoB.isFile() || infoA.size() != infoB.size())
        return false;
    const int fdA = ::open(encoded(a).constData(), O_RDONLY | O_CLOEXEC);
    const int fdB = fdA < 0 ? -1 : ::open(encoded(b).constData(), O_RDONLY | O_CLOEXEC);
    bool same = fdA >= 0 && fdB >= 0;
    // Made once: a backup compares up to 18 pairs, and new blocks would be cleared first.
    constexpr qsizetype kBlock = 1 << 18;
    thread_local ReadBuffer bufferA;
    thread_local ReadBuffer bufferB;
    char *const blockA = bufferA.data(kBlock);
    char *const blockB = bufferB.data(kBlock);
    while (same) {
        const ssize_t gotA = ::read(fdA, blockA, kBlock);
        const ssize_t gotB = gotA <= 0 ? gotA : ::read(fdB, blockB, size_t(gotA));
        if (gotA < 0 || gotB != gotA)
            same = false;
        else if (gotA == 0)
            break;
        else
            same = std::memcmp(blockA, blockB, size_t(gotA)) == 0;
    }
    if (fdA >= 0)
        ::close(fdA);
    if (fdB >= 0)
        ::close(fdB);
    return same;
}

} // namespace

FileError copyFileUnlessSame(const QString &source, const QString &target)
{
    if (holdSameBytes(source, target))
        return {};
    return copyFileSafely(source, target);
}

QList<FileError> copyFilesUnlessSame(const QList<CopyOrder> &copies)
{
    QList<FileError> errors(copies.size());
    std::vector<std::unique_ptr<NewFileBeside>> written(copies.size());
    auto failed = [&](qsizetype i, FileError err) {
        errors[i] = std::move(err);
        written[i].reset();
    };
    // Every new copy is written before the first is synced: the disk writes the ones
    // started while the others are compared and written.
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (holdSameBytes(copies[i].source, copies[i].target))
            continue;
        QFile in;
        written[i] = std::make_unique<NewFileBeside>(copies[i].target);
        FileError err = openSource(copies[i].source, &in);
        if (!err)
            err = written[i]->open(Replace::Always);
        if (!err)
            err = written[i]->fill(readingFrom(in));
        if (err)
            failed(i, std::move(err));
    }
    // Each one whole on the disk before any is renamed over its old copy.
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (written[i]) {
            if (FileError err = written[i]->sync())
                failed(i, std::move(err));
        }
    }
    for (qsizetype i = 0; i < copies.size(); ++i) {
        bool renamed = false;
        if (written[i]) {
            if (FileError err = written[i]->putInPlace(Replace::Always, &renamed))
                failed(i, std::move(err));
        }
    }
    // One sync of each folder renamed into, its failure told of the first copy there.
    QStringList synced;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (!written[i] || synced.contains(written[i]->folder()))
            continue;
        synced << written[i]->folder();
        errors[i] = written[i]->syncFolder();
    }
    return errors;
}

FileError removeFileIfExists(const QString &path, bool *removed)
{
    if (removed)
        *removed = false;
    QString target;
    if (FileError err = resolveLinks(path, &target))
        return err;
    const QFileInfo info(target);
    if (!info.exists())
        return {};
    if (FileError err = checkWritable(path))
        return err;
    if (FileError err = checkFolderOfTarget(path, target))
        return err;
    QFile file(target);
    if (!file.remove())
        return FileError::fromQFile(file, 70, path);
    if (removed)
        *removed = true;
    return syncFolderOf(target, path);
}

RecordFile::RecordFile(QString path, int recordLength)
    : m_path(std::move(path)), m_recordLength(recordLength), m_file(m_path)
{
}

RecordFile::~RecordFile()
{
    close();
}

FileError RecordFile::openForReading()
{
    if (m_file.isOpen())
        return {};
    if (!fileExists(m_path))
        return missingFileError(m_path);
    if (!m_file.open(QIODevice::ReadOnly))
        return FileError::fromQFile(m_file);
    return {};
}

FileError RecordFile::openForWriting()
{
    if (m_file.isOpen()) {
        if (m_file.isWritable())
            return {};
        m_file.close();
    }
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return missingFileError(m_path);
    if (!folderExists(info.absolutePath()))
        return FileError::pathNotFound(m_path);
    if (FileError err = checkWritable(m_path))
        return err;
    m_createdByOpen = !info.exists();
    if (m_createdByOpen) {
        if (FileError err = checkFolderWritable(m_path))
            return err;
    }
    // Unbuffered: a write that fails leaves nothing behind to be flushed later.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return FileError::fromQFile(m_file);
    return {};
}

void RecordFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

qint64 RecordFile::byteLength() const
{
    return m_file.isOpen() ? m_file.size() : fileLength(m_path);
}

qint64 RecordFile::count() const
{
    return recordCountForLength(byteLength(), m_recordLength);
}

bool RecordFile::holdsWholeRecords() const
{
    return byteLength() % m_recordLength == 0;
}

FileError RecordFile::read(qint64 number, QByteArray *record)
{
    if (!m_file.isOpen()) {
        if (FileError err = openForReading())
            return err;
    }
    const qint64 offset = (number - 1) * m_recordLength;
    if (number < 1 || offset >= m_file.size())
        return {62, withPath(QStringLiteral("Input past end of file"), m_path)};
    if (!m_file.seek(offset))
        return FileError::fromQFile(m_file, 57);
    QByteArray data = m_file.read(m_recordLength);
    if (m_file.error() != QFileDevice::NoError)
        return FileError::fromQFile(m_file, 57);
    if (data.size() < m_recordLength)
        data.append(m_recordLength - data.size(), ' ');
    *record = std::move(data);
    return {};
}

FileError RecordFile::write(qint64 number, QByteArrayView record)
{
    if (record.size() != m_recordLength)
        return FileError::refused(QStringLiteral("Bad record length"));
    if (number < 1)
        return {63, withPath(QStringLiteral("Bad record number"), m_path)};
    if (FileError err = openForWriting())
        return err;
    const qint64 offset = (number - 1) * m_recordLength;
    const qint64 lengthBefore = m_file.size();
    // A write that grew the file and then failed (a full disk) is cut back, so no
    // part record is left at the end.
    auto failed = [&](FileError err) {
        if (m_file.size() > lengthBefore)
            m_file.resize(lengthBefore);
        return err;
    };
    if (offset > lengthBefore) {
        // A record beyond the end: the gap becomes blank records, not holes.
        if (!m_file.seek(lengthBefore))
            return failed(FileError::fromQFile(m_file, 57));
        if (FileError err = writeAll(m_file, QByteArray(offset - lengthBefore, ' '), m_path))
            return failed(std::move(err));
    }
    if (!m_file.seek(offset))
        return failed(FileError::fromQFile(m_file, 57));
    if (FileError err = writeAll(m_file, record, m_path))
        return failed(std::move(err));
    // The command that wrote the record reports success next: the record is on the
    // disk first, and so is the name of a file this write created.
    if (::fdatasync(m_file.handle()) != 0)
        return FileError::fromErrno(errno, m_path);
    if (m_createdByOpen) {
        QString target;
        if (FileError err = resolveLinks(m_path, &target))
            return err;
        if (FileError err = syncFolderOf(target, m_path))
            return err;
        m_createdByOpen = false;
    }
    return {};
}

FileError RecordFile::append(QByteArrayView record, qint64 *writtenAs)
{
    if (FileError err = openForWriting())
        return err;
    const qint64 number = count() + 1;
    if (writtenAs)
        *writtenAs = number;
    return write(number, record);
}

FileError RecordFile::sync()
{
    if (!m_file.isOpen())
        return {};
    if (!m_file.flush())
        return FileError::fromQFile(m_file, 61);
    if (m_file.isWritable() && ::fsync(m_file.handle()) != 0)
        return FileError::fromErrno(errno, m_path);
    return {};
}

RecordFileUndo::RecordFileUndo(QString path, int recordLength)
    : m_path(std::move(path)), m_recordLength(recordLength), m_existed(fileExists(m_path)),
      m_length(fileLength(m_path))
{
}

FileError RecordFileUndo::keepRecord(qint64 number)
{
    const qint64 offset = (number - 1) * m_recordLength;
    if (number < 1 || offset >= m_length)
        return {};
    for (const auto &kept : std::as_const(m_kept)) {
        if (kept.first == offset)
            return {};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return FileError::fromQFile(file);
    const qint64 want = std::min<qint64>(m_recordLength, m_length - offset);
    QByteArray bytes = file.read(want);
    if (bytes.size() != want)
        return FileError::fromQFile(file, 57);
    m_kept.append({offset, std::move(bytes)});
    return {};
}

FileError RecordFileUndo::keepAppendPosition()
{
    return keepRecord(recordCountForLength(m_length, m_recordLength) + 1);
}

FileError RecordFileUndo::undo(bool *putBack) const
{
    bool back = false;
    const auto tell = qScopeGuard([&] {
        if (putBack)
            *putBack = back;
    });
    if (!m_existed) {
        if (!fileExists(m_path)) {
            back = true;
            return {};
        }
        return removeFileIfExists(m_path, &back);
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return FileError::fromQFile(file);
    bool changed = file.size() > m_length;
    if (changed && !file.resize(m_length))
        return FileError::fromQFile(file, 61);
    // Only bytes that differ are written back: a write that failed may have changed
    // nothing, and writing there again could fail the same way.
    for (const auto &[offset, bytes] : m_kept) {
        if (!file.seek(offset))
            return FileError::fromQFile(file, 57);
        const QByteArray now = file.read(bytes.size());
        if (now == bytes)
            continue;
        if (!file.seek(offset))
            return FileError::fromQFile(file, 57);
        if (FileError err = writeAll(file, bytes, m_path))
            return err;
        changed = true;
    }
    back = true;
    // The writes it takes back were on the disk before they returned: so is the undo.
    if (changed && ::fdatasync(file.handle()) != 0)
        return FileError::fromErrno(errno, m_path);
    return {};
}

FileError forEachRecordBlock(const QString &path, int recordLength,
                             const std::function<bool(qint64, QByteArrayView)> &visit)
{
    if (!fileExists(path))
        return missingFileError(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileError::fromQFile(file);
    const qint64 total = recordCountForLength(file.size(), recordLength);
    // About 256 KiB.
    const qint64 perBlock = 1024 * std::max(1, (1 << 18) / (1024 * recordLength));
    // Walks reuse one buffer, whose pages are then at hand; a walk started while another
    // runs (events let run half-way) takes a buffer of its own.
    thread_local ReadBuffer sharedBuffer;
    thread_local bool sharedBufferInUse = false;
    ReadBuffer ownBuffer;
    const bool share = !sharedBufferInUse;
    char *const block = (share ? sharedBuffer : ownBuffer).data(perBlock * recordLength);
    sharedBufferInUse = true;
    const auto release = qScopeGuard([share] {
        if (share)
            sharedBufferInUse = false;
    });
    qint64 number = 0;
    while (number < total) {
        const qint64 want = std::min(perBlock, total - number) * recordLength;
        qint64 got = file.read(block, want);
        if (got < 0)
            return FileError::fromQFile(file, 57);
        if (got < want) {
            // The last record may be cut short (the count rounds up past a half record).
            const qint64 rest = got % recordLength;
            if (rest) {
                std::fill(block + got, block + got + (recordLength - rest), ' ');
                got += recordLength - rest;
            }
        }
        const qint64 inBlock = std::min(got / recordLength, total - number);
        if (inBlock == 0)
            break;
        if (!visit(number + 1, QByteArrayView(block, inBlock * recordLength)))
            return {};
        number += inBlock;
        if (got < want)
            break;
    }
    return {};
}

} // namespace qern
