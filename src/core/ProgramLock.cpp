#include "ProgramLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qern {

QString settingsLockPath(const QString &settingsFile)
{
    // Through a symbolic link, the file it names is the one two copies would share.
    const QFileInfo info(settingsFile);
    const QString file = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    return file + QStringLiteral(".lock");
}

ProgramLock::~ProgramLock()
{
    release();
}

void ProgramLock::release()
{
    for (const int fd : std::as_const(m_descriptors))
        ::close(fd);
    m_descriptors.clear();
}

ProgramLock::Outcome ProgramLock::lock(const QStringList &paths)
{
    release();
    m_blockedPath.clear();
    m_error = {};

    QStringList missing;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path)) {
            missing << path;
            continue;
        }
        const Outcome outcome = take(path, Open::Existing);
        if (outcome != Outcome::Taken)
            return outcome;
    }
    for (const QString &path : std::as_const(missing)) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return refuse(path, Outcome::Failed, FileError::pathNotFound(path));
        const Outcome outcome = take(path, Open::Create);
        if (outcome != Outcome::Taken)
            return outcome;
    }
    return Outcome::Taken;
}

ProgramLock::Outcome ProgramLock::take(const QString &path, Open how)
{
    // Close-on-exec: a program started from here must not inherit the lock and keep
    // it after this copy has ended. Read-write: over NFS an exclusive flock() needs it.
    int flags = O_RDWR | O_CLOEXEC;
    if (how == Open::Create)
        flags |= O_CREAT;
    const int fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (fd < 0)
        return refuse(path, Outcome::Failed, FileError::fromErrno(errno, path));
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return refuse(path, Outcome::Held);
        return refuse(path, Outcome::Failed, FileError::fromErrno(err, path));
    }
    m_descriptors.append(fd);
    return Outcome::Taken;
}

ProgramLock::Outcome ProgramLock::refuse(const QString &path, Outcome outcome, FileError error)
{
    release();
    m_blockedPath = path;
    m_error = std::move(error);
    return outcome;
}

} // namespace qern
