#pragma once
// The program folder: where ndb.dat, the tables, Logs, AutoBackups and maps live.
// Names inside it are matched without regard to case ("Logs/cle.dat" finds
// "logs/Cle.dat"), because the files were always named several ways.

#include <QString>
#include <QStringList>

#include "FileIo.h"

namespace qern {

// Not a user file: a folder that holds only it is still new, and gets the starter ndb.dat.
inline constexpr const char *kFolderLockFileName = ".qern.lock";

class ProgramFolder {
public:
    ProgramFolder() = default;
    explicit ProgramFolder(QString root);

    const QString &root() const { return m_root; }
    bool isValid() const { return !m_root.isEmpty(); }

    // Resolves a relative path ("/" or "\" separated) component by component without
    // regard to case. A component that exists in no spelling keeps the spelling
    // given, so the result is also the name to create.
    QString path(const QString &relative) const;

    // The lock file of the copy that works here (see ProgramLock).
    QString lockFilePath() const { return m_root + QLatin1Char('/') + QLatin1String(kFolderLockFileName); }

    // ~/.local/share/qern (XDG_DATA_HOME honoured).
    static QString defaultLocation();

    // Copies in each shipped file of dataDir (folders included) that the folder lacks,
    // on every start; whatever exists under a shipped name is never replaced. The
    // starter ndb.dat goes only into a new folder, and first: in a folder in use a
    // missing database is the user's to restore, never hidden behind the starter one.
    // Each file is copied under a temporary name and renamed, so a start killed
    // half-way leaves no part file under a real name. A failed copy does not stop the
    // others; the first failure is returned. *copied: the files copied.
    FileError seedFrom(const QString &dataDir, QStringList *copied = nullptr) const;
    // Missing, empty, or holding only what a start killed while seeding it left: the
    // lock file and temporary copies.
    bool isEmptyOrMissing() const;

private:
    QString m_root;
};

// Resolves one name in folder without regard to case: the exact spelling when it
// exists, else the first entry (in name order) that matches, else name itself.
QString resolveEntryName(const QString &folder, const QString &name);

} // namespace qern
