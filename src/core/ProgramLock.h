#pragma once
// Keeps a second copy of QERN off the program folder and the settings file that a
// running copy works on: two copies would undo and misdirect each other's writes.
//
// Each thing is guarded by a small empty lock file, locked with flock() on a descriptor
// that stays open for as long as the lock is held. The kernel drops the lock when the
// process ends in any way (kill -9 and crashes included), and nothing survives a power
// cut, so a copy that died never blocks the next start; its lock file stays and is reused.
// flock() is tied to the open file, not to the process: a second lock on the same path
// in the same process is refused too, and closing some other descriptor of the file
// cannot drop it by accident (as it would drop a POSIX fcntl() lock).

#include <QList>
#include <QString>
#include <QStringList>

#include "FileIo.h"

namespace qern {

// The exit status of a copy that found its folder or settings file held by another.
inline constexpr int kAlreadyRunningExitCode = 3;

// The lock file of a settings file, beside it. The settings file itself cannot carry
// the lock: every save replaces it by a rename.
QString settingsLockPath(const QString &settingsFile);

class ProgramLock {
public:
    enum class Outcome { Taken, Held, Failed };

    ProgramLock() = default;
    ~ProgramLock();
    ProgramLock(const ProgramLock &) = delete;
    ProgramLock &operator=(const ProgramLock &) = delete;

    // Locks every lock file in paths, or none. The lock files that exist are tried
    // first, so a copy that is refused has created nothing; a missing one is created
    // (its folders too) only once every existing one is ours.
    Outcome lock(const QStringList &paths);
    void release();
    bool isHeld() const { return !m_descriptors.isEmpty(); }

    // After Held or Failed: the lock file that another copy holds or that failed.
    const QString &blockedPath() const { return m_blockedPath; }
    // After Failed: why.
    const FileError &error() const { return m_error; }

private:
    enum class Open { Existing, Create };
    Outcome take(const QString &path, Open how);
    Outcome refuse(const QString &path, Outcome outcome, FileError error = {});

    QList<int> m_descriptors;
    QString m_blockedPath;
    FileError m_error;
};

} // namespace qern
