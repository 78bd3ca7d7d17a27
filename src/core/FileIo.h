#pragma once
// The one way QERN reads and writes the user's files.
//
// - Readers never create a file that is missing.
// - A whole file is replaced by writing a new one beside it and renaming it over. A
//   symbolic link stays a link: the new file replaces the link's final target.
// - A file the user made read-only (no write bit, or no write access) is refused by
//   every writer, root included, with "Permission denied"; a rewrite keeps the old
//   file's permission bits. So is a read-only folder that a file would be made,
//   renamed or removed in.
// - One fixed-length record is written in place at its offset and checked: a short
//   write is an error, never a silent success.
// - Every write is on the disk (file and folder synced) before it returns success.
// Failures come back as FileError, with the number and description the user sees
// in "Error # n: description"; they name the user's file, never a temporary one.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

namespace qern {

struct [[nodiscard]] FileError {
    int number = 0; // 0: no error
    QString description;

    bool failed() const { return number != 0; }
    explicit operator bool() const { return failed(); }
    // "Error # 61: Disk full"
    QString messageText() const;

    // shownPath: the name to give instead of the file's own (the user's file for a
    // temporary one).
    static FileError fromQFile(const QFileDevice &file, int fallbackNumber = 75, const QString &shownPath = {});
    static FileError fromErrno(int err, const QString &path);
    static FileError notFound(const QString &path);
    static FileError pathNotFound(const QString &path);
    static FileError accessError(const QString &path);
    static FileError permissionDenied(const QString &path);
    static FileError ioError(const QString &path);
    // "Disk full": no room left, or the user's quota spent, however the system says it.
    static FileError diskFull(const QString &path);
    static FileError refused(const QString &description); // invalid data refused by a writer
};

bool fileExists(const QString &path);     // a normal file (not a folder)
bool folderExists(const QString &path);
qint64 fileLength(const QString &path);   // 0 when missing

// The name a whole-file write uses beside its target until it renames it over.
QString temporaryPathFor(const QString &target);

// True when no file stands at path: no entry at all, or symbolic links that end at
// nothing. A loop of links, a folder or any other entry stands there, and reading it
// gives its own error rather than "missing".
bool isMissing(const QString &path);
// The error for a path where no plain file was found, naming what stands there
// instead: a loop of links, a folder or another kind of entry (75), a link to nothing
// (53, or 76 when the link's folder is missing too), or nothing (53, 76 without its
// folder).
FileError missingFileError(const QString &path);

// The file path names once its symbolic links are followed (a dangling link's missing
// target included). A loop of links is error 75, which says so.
FileError resolveLinks(const QString &path, QString *target);
// Error 70 "Permission denied" when an existing file may not be written (see above);
// a missing file may be. For commands that check every file before changing any.
FileError checkWritable(const QString &path);
// Error 70 when no file may be made, renamed or removed in the folder where path's file
// stands (through its links): a whole-file write renames its new file in there. A
// folder without write bits is refused whoever runs the program, as a read-only file
// is. A missing folder is error 76.
FileError checkFolderWritable(const QString &path);

FileError readWholeFile(const QString &path, QByteArray *content);
// *replaced, when given, says whether the new file took the old one's place: a failed
// sync of the folder after the rename is an error with the new content in place.
FileError replaceFileContents(const QString &path, QByteArrayView content, bool *replaced = nullptr);
// Copies source over target through a temporary file beside target, so target is
// replaced only by a complete copy.
FileError copyFileSafely(const QString &source, const QString &target);
// The same for a target that is missing: whatever stands at target when the copy is
// complete stays, and *copied (when given) says whether the copy took its place.
FileError copyFileIfMissing(const QString &source, const QString &target, bool *copied = nullptr);
// The same, unless target already holds source's very bytes (compared byte for byte;
// a target missing, of another length or that cannot be read is copied over): then it
// is left as it is, neither rewritten nor synced. For copies made only this way, each
// synced before it was renamed into place: one that holds its source's bytes is on the
// disk already. Most files are unchanged since their last copy.
FileError copyFileUnlessSame(const QString &source, const QString &target);
// copyFileUnlessSame for several files at once, each one's error at its place in the
// result (none for a copy left as it is). Every new copy is written, then each is
// synced, then renamed over its old copy, then each folder is synced once (its failure
// is the error of the first copy renamed there): each copy is always either the old one
// or the new one, whole, and a failure of one leaves the others to be copied.
struct CopyOrder {
    QString source;
    QString target;
};
QList<FileError> copyFilesUnlessSame(const QList<CopyOrder> &copies);
// Removes the file through its links (the link stays, so the next write through it
// makes the file again). A read-only file is refused. *removed, when given, says
// whether the file is gone (also when the folder's sync after it failed).
FileError removeFileIfExists(const QString &path, bool *removed = nullptr);

// A file of fixed-length records, numbered from 1, opened for one operation.
class RecordFile {
public:
    RecordFile(QString path, int recordLength);
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    FileError openForReading();           // a missing file is error 53, never created
    FileError openForWriting();           // creates the file when missing
    bool isOpen() const { return m_file.isOpen(); }
    void close();

    const QString &path() const { return m_path; }
    int recordLength() const { return m_recordLength; }
    qint64 byteLength() const;
    qint64 count() const;                 // length / record length, rounded half to even
    bool holdsWholeRecords() const;

    // Reads record number (1-based). A record cut short by the end of the file is
    // padded with blanks; a record wholly past the end is error 62.
    FileError read(qint64 number, QByteArray *record);
    // Writes exactly one record at its offset, checked and synced to the disk.
    FileError write(qint64 number, QByteArrayView record);
    FileError append(QByteArrayView record, qint64 *writtenAs = nullptr);
    // Flushes and syncs to the disk.
    FileError sync();

private:
    QString m_path;
    int m_recordLength;
    QFile m_file;
    bool m_createdByOpen = false; // its folder entry is synced after the first write
};

// What writes into one record file are about to change, kept so that a failure after
// them can put the file back as it was. The bytes go back in place and the file is
// cut to its old length: a rewrite through a temporary file would need the room that
// a full disk lacks.
class RecordFileUndo {
public:
    RecordFileUndo(QString path, int recordLength);

    // Keeps what record number holds now, a short last record as far as it goes; call
    // before writing it. Past the end there is nothing to keep.
    FileError keepRecord(qint64 number);
    // Keeps what an append may overwrite: a short last record the count rounds down.
    FileError keepAppendPosition();
    // Puts the kept bytes back and cuts the file to its old length, and syncs it as the
    // writes it takes back were synced; a file that was not there is removed. *putBack,
    // when given, says whether the file holds its old bytes again: true with an error
    // when only the sync failed.
    FileError undo(bool *putBack = nullptr) const;

private:
    QString m_path;
    int m_recordLength;
    bool m_existed = false;
    qint64 m_length = 0;
    QList<std::pair<qint64, QByteArray>> m_kept; // offset, bytes as they were
};

// Reads every record of a file in order, a block of whole records at a time: the
// callback gets the number of the block's first record (1-based) and the block;
// returning false stops the walk. A record cut short at the end of the file is padded
// with blanks. A missing file is error 53 (never created).
FileError forEachRecordBlock(const QString &path, int recordLength,
                             const std::function<bool(qint64, QByteArrayView)> &visit);

// The same record by record: visit(number, record bytes) -> false stops the walk.
// A template, so that the walks over every record call visit without an indirection.
template <typename Visit>
FileError forEachRecord(const QString &path, int recordLength, Visit &&visit)
{
    return forEachRecordBlock(path, recordLength, [&visit, recordLength](qint64 first, QByteArrayView block) {
        qint64 number = first;
        for (qsizetype at = 0; at < block.size(); at += recordLength, ++number) {
            if (!visit(number, block.sliced(at, recordLength)))
                return false;
        }
        return true;
    });
}

} // namespace qern
