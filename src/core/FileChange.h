#pragma once
// The one way a command changes the user's files (ndb.dat, the logbooks, the session
// log, the settings), whichever window starts it:
//
//   1. The command reads what it needs: the shown beacon, which must still stand at
//      its record (readShownBeacon), and the records it changes; it refuses what it
//      cannot store. Then it names every file it will write and how (records in place,
//      or the whole file).
//   2. begin() checks every named file, and the folder of each one written whole or
//      removed (its new copy is renamed in there) or made, before anything is written;
//      then it takes the automatic backup. A failure of either changes nothing.
//   3. Each write goes through the change, which first keeps what the write replaces.
//   4. The change is kept when every write succeeded. After a failure, takeBack() puts
//      back what the writes changed, the last first. (The restore keeps its finished
//      steps instead, as its list shows them: its automatic backup holds the rest.)
//
// A write and its taking back are the two halves of one step, made the same way and
// synced the same way: records written in place are put back in place; a file written
// whole is written whole again with its old bytes; a removed file is written again; a
// file the change made is removed. A write counts as made once its bytes are in the
// file, also when the sync after it failed: such a write is taken back like any other.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

enum class AutomaticBackup {
    Take,
    AlreadyTaken, // a change that follows another of the same command (the editor's sort)
};

// What taking a change back left.
struct TakenBack {
    bool anyWrite = false; // a write had been started, so there was something to put back
    bool putBack = true;   // every file holds again what it held before the change
    // The first file that could not be put back, or whose putting back the disk did not
    // confirm (putBack true).
    FileError error;

    bool confirmed() const { return putBack && !error.failed(); }
};

// Said after the failure when every file was put back, confirmed by the disk.
inline constexpr const char *kChangeTakenBackText = "It was taken back: every file is as it was before.";
// Said after the failure when every file was put back but a sync of it failed; the
// cause follows on the next line.
inline constexpr const char *kTakeBackNotConfirmedText =
    "It was taken back, but the disk did not confirm that every file is as it was before:";
// Said after the failure when a write could not be put back; the cause follows.
inline constexpr const char *kChangeNotTakenBackText =
    "Part of this change stays written: the files it changed may not agree. "
    "Their copies from before it are ndb.bak and the AutoBackups folder.";

// The message of a failed change: error.messageText(), then what the files hold.
// Nothing written: nothing more, or notWritten when given. Written and put back:
// takenBack (kChangeTakenBackText when null). Put back but not confirmed:
// kTakeBackNotConfirmedText and its cause. Not put back: notTakenBack and its cause.
// Empty without an error.
QString changeFailureText(const FileError &error, const TakenBack &takenBack, const char *notTakenBack,
                          const char *notWritten = nullptr, const char *takenBackText = nullptr);

class FileChange {
public:
    explicit FileChange(ProgramFolder folder);
    ~FileChange();
    FileChange(const FileChange &) = delete;
    FileChange &operator=(const FileChange &) = delete;

    // What the change will write; named before begin().
    enum class Missing {
        Created, // a missing file is made by the first write, in its folder
        Refused, // a missing file is an error (ndb.dat is never made by a record write)
    };
    void writesRecords(const QString &path, int recordLength, Missing missing = Missing::Created);
    // Written whole (through a new file renamed over it), copied over or removed.
    void replaces(const QString &path);

    // Checks every named file and folder, then takes the automatic backup.
    FileError begin(AutomaticBackup backup = AutomaticBackup::Take);

    // Writes through the change. A path that was not named is refused.
    FileError writeRecord(const QString &path, qint64 number, QByteArrayView record);
    FileError appendRecord(const QString &path, QByteArrayView record, qint64 *writtenAs = nullptr);
    FileError replaceFile(const QString &path, QByteArrayView content);
    FileError removeFile(const QString &path);
    // A copy of source over target that is never taken back: a copy of what was, or
    // a step of a command whose failure keeps what it did (the restore, which the
    // automatic backup covers). Left as it is when target holds the same bytes.
    FileError copyFile(const QString &source, const QString &target);

    // Puts back every write, the last first.
    TakenBack takeBack();

private:
    struct Target {
        QString path;
        bool whole = false;
        int recordLength = 0;
        Missing missing = Missing::Created;
    };
    // One file's writes and what they replaced.
    struct Step {
        QString path;
        std::optional<RecordFileUndo> records; // written in place
        bool written = false;                  // a record write was started
        bool existed = false;                  // written whole: the old file, if any
        QByteArray content;
        unsigned mode = 0;
    };
    FileError findTarget(const QString &path, bool whole, const Target **found) const;
    Step &recordStep(const Target &target);
    FileError writeRecords(const QString &path, std::optional<qint64> number, QByteArrayView record,
                           qint64 *writtenAs);
    FileError keepWholeFile(const QString &path, Step *step) const;
    FileError writeWhole(const QString &path, const std::function<FileError(bool *changed)> &write);
    static FileError putBack(const Step &step, bool *back);

    ProgramFolder m_folder;
    QList<Target> m_targets;
    QList<std::shared_ptr<Step>> m_steps; // in the order of their first write
    bool m_begun = false;
};

} // namespace qern
