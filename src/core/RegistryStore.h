#pragma once
// The per-user settings store: the key "SOFTWARE\QERN6.1\" with its five subkeys,
// kept in one small INI-like file instead of the Windows registry.
//
// File format (UTF-8 text, written whole through a temporary file and a rename):
//
//   ; comment lines start with ";" or "#"; blank lines are ignored
//   [SOFTWARE\QERN6.1\ProgramPreferences]
//   Metric=String:False
//   ComPort=Number:0
//
// - A section is a key; the key path is written as the program names it. A section
//   may be empty: the key exists without values. The keys above a key exist too.
// - A value line is  name=Kind:text. Kind "String" keeps the text exactly as it stands
//   after the colon (leading blanks included); kind "Number" holds a 32-bit integer in
//   decimal (-2147483648 to 4294967295) or hex ("0xFFFFFFFF"); a value above 2147483647
//   wraps, as a DWORD read as a signed number does, so 4294967295 reads "-1". Kind words
//   are matched without regard to case. Any other kind word (e.g. "Binary:00ff") is kept
//   as written and reads as "".
// - Bytes that would not survive a text editor are written as %HH: "%", control
//   characters, a blank at the end of a value, and in names "=" and blanks at either end.
//   Other characters are stored as UTF-8 and read back as Windows-1252 bytes.
// - Key paths and value names are matched without regard to case, as the registry does;
//   the spelling of the first write is kept.
//
// A missing file is an empty store (the first run). A file that exists but cannot be
// read, or holds a line that is not one of the above, is NOT a first run: loadError()
// says why, every read gives "", and every write is refused and reported, so the user's
// file is never overwritten with defaults. Nor is a symbolic link that points at
// nothing: its file may be on a disk that is not there. Restoring a settings backup is
// the way out of a damaged file or such a link (replaceDamagedFile): the damaged file
// is kept beside the new one, and the link gets its file.
//
// Nothing here shows a message: messages go to the sink installed with setMessageSink
// (the window side shows each text in a box with the default title), or are queued
// for takeMessages() when no sink is installed.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "FileIo.h"

namespace qern {

namespace RegistryKeys {
inline constexpr const char *Base = "SOFTWARE\\QERN6.1\\";
inline constexpr const char *ListeningLocations = "SOFTWARE\\QERN6.1\\ListeningLocations";
inline constexpr const char *ProgramPreferences = "SOFTWARE\\QERN6.1\\ProgramPreferences";
inline constexpr const char *RadarPreferences = "SOFTWARE\\QERN6.1\\RadarPreferences";
inline constexpr const char *FilePath = "SOFTWARE\\QERN6.1\\FilePath";
inline constexpr const char *UserInfo = "SOFTWARE\\QERN6.1\\UserInfo";
} // namespace RegistryKeys

// The two type words of SetRegistryValue (compared exactly, case-sensitively).
inline constexpr const char *kRegistryString = "String";
inline constexpr const char *kRegistryNumber = "Number";

// Said after the load error at start-up: the way out that fits it (loadErrorWayOut()).
inline constexpr const char *kDamagedSettingsWayOut =
    "QERN will not write over this file. To replace it, restore your settings from a backup "
    "(Tools, Database, Restore, with Preferences ticked): the damaged file is then kept beside it "
    "under another name. Or mend or remove the file and start QERN again.";
inline constexpr const char *kSettingsLinkWayOut =
    "QERN will not begin new settings there on its own. To write them there, restore your settings "
    "from a backup (Tools, Database, Restore, with Preferences ticked). Or mend or remove the link "
    "and start QERN again.";
inline constexpr const char *kUnusableSettingsWayOut =
    "QERN will not write its settings there. Mend or remove it and start QERN again.";

// First-run "User Name": printed in report headers until the user changes it.
inline constexpr const char *kDefaultUserName = "QERN User";

// The home folder as a settings path, with a trailing "/": the Linux form of "C:\".
QByteArray defaultHomeFolder();

// The value SetRegistryValue stores for a "Number": the numeric value of the text
// (leading-number rule), rounded half to even. Empty when it does not fit 32 bits.
std::optional<qint32> registryNumberFor(QByteArrayView text);

class RegistryStore {
public:
    // $XDG_CONFIG_HOME/QERN6.1/registry.ini (~/.config when XDG_CONFIG_HOME is unset).
    static QString defaultPath();
    // The settings file the user chose (--settings, QERN_SETTINGS_FILE), made absolute
    // from the current folder, which is where the program was started until it moves
    // into its program folder; defaultPath() when none was chosen.
    static QString chosenPath(const QString &chosen);

    // Loads the file at filePath at once (see loadError()).
    explicit RegistryStore(QString filePath = defaultPath());

    const QString &filePath() const { return m_filePath; }

    // Set when the file exists but could not be read; the store then refuses writes.
    const FileError &loadError() const { return m_loadError; }
    bool isReadable() const { return !m_loadError.failed(); }
    // What to do about the load error: kDamagedSettingsWayOut for a file that is not a
    // settings file, kSettingsLinkWayOut for a link to nothing, else
    // kUnusableSettingsWayOut (a folder, a loop of links, a file that cannot be read).
    const char *loadErrorWayOut() const;

    // True when the key "SOFTWARE\QERN6.1\" exists: false means the first run.
    // Always true for a store that exists but cannot be read.
    bool baseKeyExists() const;
    bool keyExists(QByteArrayView keyPath) const;

    // Creates the key (and the keys above it) when missing. Reports "Bad input to create
    // key" CR LF "Key =  <path>" for an empty path, "Could not create key" when the key
    // cannot be made (a malformed path, an unreadable store) and "Could not close key"
    // when the file could not be written.
    void CreateRegistryKey(QByteArrayView keyPath);

    // The value as text: a String as stored, a Number as its signed decimal text ("-1"),
    // "" for any other kind, a missing value or a missing key. Never reports anything.
    QByteArray GetRegistryValue(QByteArrayView keyPath, QByteArrayView valueName) const;

    // Stores one value, creating its key when needed. Nothing is written for an empty
    // value or a type word other than "String" / "Number". A Number is
    // registryNumberFor(value) ("150.5" -> 150, "151.5" -> 152, " 1" -> 1, "abc" -> 0);
    // a number beyond 32 bits writes nothing and reports "Overflow". A file that cannot
    // be written is reported ("Error # n: description") and the store keeps what the
    // file holds.
    void SetRegistryValue(QByteArrayView keyPath, QByteArrayView valueType, QByteArrayView valueName,
                          QByteArrayView value);

    // Removes one value (nothing happens when it does not exist). Returns false when
    // the removal could not be stored (reported as above).
    bool DeleteRegistryValue(QByteArrayView keyPath, QByteArrayView valueName);

    // Several writes as one file write: the file is written when the outermost batch
    // ends. A failure of that write is reported once and undoes every change of the
    // batch, so the store and the file never disagree. Wrap every save of more than
    // one value in a batch (one message instead of one per value on failure).
    class Batch {
    public:
        explicit Batch(RegistryStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        // Ends the batch now; false when its changes could not be stored (already
        // reported). An inner batch returns true and leaves the write to the outer one.
        bool finish();
        // Why finish() returned false.
        const FileError &error() const { return m_error; }
        // The file is written when the batch ends even when no value changed here: what
        // the file holds may differ from what this store read.
        void writeEvenIfUnchanged();

    private:
        RegistryStore *m_store;
        bool m_finished = false;
        FileError m_error;
    };

    // For a store whose file could not be read: keeps that file beside it under a free
    // name (*keptAs: "<file>.damaged", "<file>.damaged2", ...; empty for a link to
    // nothing, which holds nothing to keep), then writes what fill() stores into an
    // empty store as the new file, in one write. On failure the store is as before
    // (reading nothing, refusing writes) and no copy is left.
    FileError replaceDamagedFile(const std::function<void(RegistryStore &)> &fill, QString *keptAs);

    // Where messages go. Without a sink they are queued for takeMessages().
    using MessageSink = std::function<void(const QString &text)>;
    void setMessageSink(MessageSink sink);
    QStringList takeMessages();

    // The file text this store would write now (for tests and the benchmark).
    QByteArray serialized() const;

private:
    enum class Kind { String, Number, Other };
    struct Value {
        QByteArray name;
        Kind kind = Kind::String;
        QByteArray otherKind; // the kind word of Kind::Other, kept as read
        QByteArray text;      // String text, or the raw text of Kind::Other
        qint32 number = 0;
    };
    struct Key {
        QByteArray path; // without the trailing backslash
        QList<Value> values;
    };

    FileError load();
    FileError parse(const QByteArray &content);
    int findKey(QByteArrayView normalizedPath) const;
    int ensureKey(QByteArrayView normalizedPath);
    const Value *findValue(QByteArrayView keyPath, QByteArrayView valueName) const;
    bool beginChange();
    FileError endChange();
    FileError writeFile() const;
    void report(const QString &text);

    enum class LoadFailure { None, Damaged, LinkToNothing, Unusable };

    QString m_filePath;
    FileError m_loadError;
    LoadFailure m_loadFailure = LoadFailure::None;
    QList<Key> m_keys;
    MessageSink m_sink;
    QStringList m_queued;
    int m_batchDepth = 0;
    bool m_batchFailed = false;
    bool m_dirty = false;
    QList<Key> m_committed; // the keys as the file holds them, while a change is open
};

// The first-run defaults, in the order the program always wrote them: UserInfo, the
// 16 locations (Lat, Lon, Location, UTC), ListeningLocation, the map switches, Metric,
// ShowDetail, the radar switches, the three paths (home folder, <home>/cle.txt,
// <home>/radar.txt) and the three port indexes. One file write.
void WriteDefaultPreferences(RegistryStore &store);

} // namespace qern
