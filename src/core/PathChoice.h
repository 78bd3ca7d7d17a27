#pragma once
// The rules of the path chooser (frmFileOperation): what each mode shows and
// requires, where it starts, and what "Set Path" and "New Folder" hand back.
//
// A "drive" is a mounted volume and its root is the mount point. Paths use "/".
// The folder on show is kept in the form the chooser's folder list shows it:
// without a trailing "/", except at the root of a volume ("/", "/media/usb/"),
// whose path ends with one, so "P & N" at a root and "P/N" elsewhere always
// give a well-formed path.

#include <QString>
#include <QStringList>

#include <optional>

#include "FileIo.h"

namespace qern {

inline constexpr char kMustSpecifyFileName[] = "Must specify file name.";

// What each FileOperationMode does on activation and on "Set Path".
// 1 database file, 2 session-log file, 3 weblog folder, 4 beacon radar output file,
// 5/6 listening report (text/csv), 7/8 session report (text/csv).
struct PathChoiceMode {
    QString pattern;                          // file-list pattern; empty: leave it as it is
    std::optional<bool> fileControlsEnabled;  // file list and file box; unset: unchanged
    bool startFolderFromOpener = false;       // modes 5-8 start in the opener's folder
    bool nameRequired = true;                 // only mode 3 takes an empty file name
    QString forcedExtension;                  // "txt" or "csv" in modes 5-8
};
PathChoiceMode pathChoiceMode(int mode);

// The mount points of the machine, sorted, "/" among them.
QStringList mountedVolumeRoots();

// True for "/" and for a folder that is one of volumeRoots (compared cleaned).
bool isVolumeRoot(const QString &folder, const QStringList &volumeRoots);
// The volume of volumeRoots that holds folder (the longest root that contains it).
QString volumeRootOf(const QString &folder, const QStringList &volumeRoots);

// folder as the folder list shows it: absolute, cleaned, a trailing "/" only at a
// volume root.
QString folderListPath(const QString &folder, const QStringList &volumeRoots);

// P & N at a root (P ends with "/"), else P & "/" & N.
QString joinFolderAndName(const QString &folder, const QString &name);
// P at a root, else P & "/": the weblog folder's form.
QString folderWithSeparator(const QString &folder);

// name with its last extension replaced by extension; a name without one gets "." and
// extension appended ("week.1.csv" -> "week.1.txt", "list" -> "list.txt").
QString forceExtension(const QString &name, const QString &extension);

// The folder that modes 5-8 start in, from the text of the opener's file box: the
// home folder when the text is empty, the text up to and including its last "/"
// otherwise, and nothing (stay where the list is) when it holds no "/".
std::optional<QString> startFolderFromText(const QString &text, const QString &homeFolder);

// What "Set Path" does. P: the folder on show (folder-list form); N: the file box.
struct SetPathResult {
    bool nameMissing = false;                 // "Must specify file name." titled "Error"; the chooser stays
    QString txtFileName;                      // the file box afterwards (extension forced in modes 5-8)
    std::optional<QString> openerText;        // written into the opener's text box
    std::optional<QString> WeblogFolder;      // mode 3
    std::optional<QString> BeaconRadarFolder; // mode 4
};
SetPathResult SetPath(int mode, const QString &folder, const QString &name);

// Whether the folder list can move to folder: error 76 when it does not exist (or is
// not a folder), 70 when it cannot be read.
FileError checkFolderCanBeShown(const QString &folder);

// The folders and the files (matching pattern, case ignored; every file when the
// pattern is empty) of folder, sorted by name without regard to case. Hidden
// entries (a leading ".") are left out, as the lists always did.
QStringList subfolderNames(const QString &folder);
QStringList fileNames(const QString &folder, const QString &pattern);

// Creates the folder name inside parent (the new-folder dialog's "OK"). An empty or
// unusable name (blanks only, ".", "..", a "/" inside) is error 52, a name that exists error 75;
// the system's refusals come back as their numbers (70 no access, 76 no parent).
FileError createSubfolder(const QString &parent, const QString &name);

} // namespace qern
