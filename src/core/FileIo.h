#pragma once
// The one way QERN reads and writes the user's files.
//
// - Readers never create a file that is missing.
// - A whole file is replaced by writing a new one beside it and renaming it over.
// - One fixed-length record is written in place at its offset and checked: a short
//   write is an error, never a silent success.
// Failures come back as FileError, with the number and description the user sees
// in "Error # n: description".

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <functional>

namespace qern {

struct [[nodiscard]] FileError {
    int number = 0; // 0: no error
    QString description;

    bool failed() const { return number != 0; }
    explicit operator bool() const { return failed(); }
    // "Error # 61: Disk full"
    QString messageText() const;

    static FileError fromQFile(const QFileDevice &file, int fallbackNumber = 75);
    static FileError fromErrno(int err, const QString &path);
    static FileError notFound(const QString &path);
    static FileError pathNotFound(const QString &path);
    static FileError accessError(const QString &path);
    static FileError ioError(const QString &path);
    static FileError refused(const QString &description); // invalid data refused by a writer
};

bool fileExists(const QString &path);     // a normal file (not a folder)
bool folderExists(const QString &path);
qint64 fileLength(const QString &path);   // 0 when missing

// The name a whole-file write uses beside its target until it renames it over.
QString temporaryPathFor(const QString &target);

FileError readWholeFile(const QString &path, QByteArray *content);
FileError replaceFileContents(const QString &path, QByteArrayView content);
// Copies source over target through a temporary file beside target, so target is
// replaced only by a complete copy.
FileError copyFileSafely(const QString &source, const QString &target);
FileError removeFileIfExists(const QString &path);

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
    // Writes exactly one record at its offset, flushed and checked.
    FileError write(qint64 number, QByteArrayView record);
    FileError append(QByteArrayView record, qint64 *writtenAs = nullptr);
    // Flushes and syncs to the disk.
    FileError sync();

private:
    QString m_path;
    int m_recordLength;
    QFile m_file;
};

// Reads every record of a file in order, in large blocks. The callback gets the
// 1-based number and the record bytes; returning false stops the walk.
// A missing file is error 53 (never created).
FileError forEachRecord(const QString &path, int recordLength,
                        const std::function<bool(qint64, QByteArrayView)> &visit);

} // namespace qern
