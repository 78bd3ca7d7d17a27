#include "RegistryBackup.h"

#include <QDir>
#include <QFileInfo>

#include <optional>
#include <vector>

#include "NumberText.h"
#include "ProgramFolder.h"
#include "Text.h"

namespace qern {

namespace {

// How a value is written on backup.
enum class Written { Text, SignedNumber, Digits };
// How the text after the label is stored on restore.
enum class Restored {
    TrimmedText,     // String, the trimmed text
    NumericValue,    // Number, the leading number of the trimmed text
    Unchanged,       // Number, the trimmed text as it stands (SetRegistryValue takes its number)
    SignedNumberText // String, the trimmed text as a signed number (" 3"); not a number is an error
};

struct Row {
    QByteArray label;
    const char *key;
    QByteArray name;
    Written written;
    Restored restored;
};

const std::vector<Row> &rows()
{
    static const std::vector<Row> table = [] {
        using namespace RegistryKeys;
        std::vector<Row> t;
        t.reserve(kRegistryBackupLines);
        for (int i = 0; i < 16; ++i) {
            const QByteArray n = digitsText(i);
            const QByteArray index = '(' + n + ')';
            t.push_back({"Location " + n + " Name =", ListeningLocations, "Location" + index, Written::Text,
                         Restored::TrimmedText});
            t.push_back({"Location " + n + " Latitude =", ListeningLocations, "Lat" + index, Written::Text,
                         Restored::TrimmedText});
            t.push_back({"Location " + n + " Longitude =", ListeningLocations, "Lon" + index, Written::Text,
                         Restored::TrimmedText});
        }
        auto add = [&t](const char *label, const char *key, const char *name, Written w, Restored r) {
            t.push_back({label, key, name, w, r});
        };
        add("Default Location =", ListeningLocations, "ListeningLocation", Written::SignedNumber,
            Restored::NumericValue);
        add("Com Port = ", ProgramPreferences, "ComPort", Written::SignedNumber, Restored::NumericValue);
        add("Com Speed = ", ProgramPreferences, "ComSpeed", Written::SignedNumber, Restored::NumericValue);
        add("Com Parity = ", ProgramPreferences, "ComParity", Written::SignedNumber, Restored::NumericValue);
        add("Show Lakes = ", ProgramPreferences, "ShowLakes", Written::Digits, Restored::NumericValue);
        add("Show States = ", ProgramPreferences, "ShowStates", Written::Digits, Restored::NumericValue);
        add("Show Islands = ", ProgramPreferences, "ShowIslands", Written::Digits, Restored::NumericValue);
        add("Show Rivers = ", ProgramPreferences, "ShowRivers", Written::Digits, Restored::NumericValue);
        add("Show Borders = ", ProgramPreferences, "ShowBorders", Written::Digits, Restored::NumericValue);
        add("Show Detail = ", ProgramPreferences, "ShowDetail", Written::Digits, Restored::NumericValue);
        add("Metric = ", ProgramPreferences, "Metric", Written::Text, Restored::TrimmedText);
        add("CLE Report Settings = ", ProgramPreferences, "CLEReportSettings", Written::Text, Restored::TrimmedText);
        add("Weblog Path = ", FilePath, "WeblogPath", Written::Text, Restored::TrimmedText);
        add("CLE Path = ", FilePath, "CLEPath", Written::Text, Restored::TrimmedText);
        add("Beacon Radar Path = ", FilePath, "BeaconRadarPath", Written::Text, Restored::TrimmedText);
        add("Radar Lakes = ", RadarPreferences, "RadarLakes", Written::Digits, Restored::Unchanged);
        add("Radar States = ", RadarPreferences, "RadarStates", Written::Digits, Restored::Unchanged);
        add("Radar Islands = ", RadarPreferences, "RadarIslands", Written::Digits, Restored::Unchanged);
        add("Radar Rivers = ", RadarPreferences, "RadarRivers", Written::Digits, Restored::Unchanged);
        add("Radar Borders = ", RadarPreferences, "RadarBorders", Written::Digits, Restored::Unchanged);
        add("Radar Detail = ", RadarPreferences, "RadarDetail", Written::Digits, Restored::NumericValue);
        add("Radar All = ", RadarPreferences, "RadarAll", Written::Digits, Restored::Unchanged);
        add("Radar Logged = ", RadarPreferences, "RadarLogged", Written::Digits, Restored::Unchanged);
        add("Radar DGPS = ", RadarPreferences, "RadarDGPS", Written::Digits, Restored::Unchanged);
        add("Radar Navtex = ", RadarPreferences, "RadarNavtex", Written::Digits, Restored::Unchanged);
        add("Radar Session = ", RadarPreferences, "RadarSession", Written::Digits, Restored::Unchanged);
        add("User Name = ", UserInfo, "User Name", Written::Text, Restored::TrimmedText);
        add("Call Sign = ", UserInfo, "Call Sign", Written::Text, Restored::TrimmedText);
        add("Listening Report txt = ", FilePath, "ListeningReportText", Written::Text, Restored::TrimmedText);
        add("Listening Report csv = ", FilePath, "ListeningReportExcel", Written::Text, Restored::TrimmedText);
        add("CLE Report txt = ", FilePath, "CLEReportText", Written::Text, Restored::TrimmedText);
        add("CLE Report csv = ", FilePath, "CLEReportExcel", Written::Text, Restored::TrimmedText);
        add("DX Logger Signature = ", ProgramPreferences, "DXLoggerSignature", Written::Text, Restored::TrimmedText);
        add("Distance Filter Enable = ", ProgramPreferences, "DistanceFilterEnable", Written::Text,
            Restored::TrimmedText);
        add("Distance Filter Value = ", ProgramPreferences, "DistanceFilter", Written::Text, Restored::NumericValue);
        add("CLE Sort By Order = ", ProgramPreferences, "CLESortByOrder", Written::Text, Restored::TrimmedText);
        add("CLE Sort By Criteria = ", ProgramPreferences, "CLESortBy", Written::Text, Restored::SignedNumberText);
        add("Listening Report Default Location = ", ProgramPreferences, "ListeningReportDefaultLocation",
            Written::Text, Restored::SignedNumberText);
        add("Listening Report Sort By Order = ", ProgramPreferences, "ListeningReportSortByOrder", Written::Text,
            Restored::TrimmedText);
        add("Listening Report Sort By Criteria = ", ProgramPreferences, "ListeningReportSortBy", Written::Text,
            Restored::SignedNumberText);
        return t;
    }();
    return table;
}

// A missing number is written as an empty value; a value that is not a number (only
// possible in a hand-edited store) is written as it stands.
QByteArray writtenForm(const QByteArray &value, Written form)
{
    if (form == Written::Text || value.isEmpty())
        return value;
    const StrictResult number = strictToInt32(value);
    if (!number.ok())
        return value;
    return form == Written::SignedNumber ? signedText(number.value) : digitsText(number.value);
}

// The value to store for one line, or an error. An empty value is skipped (nullopt, no error).
std::optional<QByteArray> restoredForm(const Row &row, QByteArrayView rest, std::optional<ConversionError> *error)
{
    const QByteArray trimmed = trimBlanks(rest);
    if (trimmed.isEmpty())
        return std::nullopt;
    switch (row.restored) {
    case Restored::TrimmedText:
        return trimmed;
    case Restored::NumericValue: {
        QByteArray number = decimalText(numericValue(trimmed));
        if (!registryNumberFor(number))
            *error = overflowError();
        return number;
    }
    case Restored::Unchanged:
        if (!registryNumberFor(trimmed))
            *error = overflowError();
        return trimmed;
    case Restored::SignedNumberText: {
        const StrictResult number = strictToInt16(trimmed);
        if (!number.ok()) {
            *error = number.error;
            return std::nullopt;
        }
        return signedText(number.value);
    }
    }
    return std::nullopt;
}

QList<QByteArrayView> splitLines(QByteArrayView content)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.append(content.sliced(start, i - start));
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < content.size())
        lines.append(content.sliced(start));
    return lines;
}

QString existingSpelling(const QString &path)
{
    if (fileExists(path))
        return path;
    const QFileInfo info(path);
    return info.absoluteDir().filePath(resolveEntryName(info.absolutePath(), info.fileName()));
}

RestoreResult restoreFailed(FileError error)
{
    return {QStringLiteral("Registry Restore Error"), false, std::move(error), {}};
}

FileError notASettingsBackup(const QString &path, const QByteArray &missingLabel)
{
    return FileError::refused(QStringLiteral("%1 is not a settings backup: it has no line \"%2\"")
                                  .arg(QDir::toNativeSeparators(path), fromWindows1252(trimRightBlanks(missingLabel))));
}

} // namespace

QList<QByteArray> registryBackupLines(const RegistryStore &store)
{
    QList<QByteArray> lines;
    lines.reserve(kRegistryBackupLines);
    for (const Row &row : rows())
        lines.append(row.label + writtenForm(store.GetRegistryValue(row.key, row.name), row.written));
    return lines;
}

QString BackupRegistry(const RegistryStore &store, const QString &path, FileError *error)
{
    FileError err;
    if (!store.isReadable()) {
        // Settings that could not be read are no settings: backed up, they would be 88
        // blank lines over the Reg.bak the user needs to restore them.
        const FileError &cause = store.loadError();
        err = {cause.number, QStringLiteral("The settings could not be read and were not backed up: ") +
                                 cause.description};
    } else {
        QByteArray content;
        for (const QByteArray &line : registryBackupLines(store))
            content += line + "\r\n";
        err = replaceFileContents(path, content);
    }
    const bool failed = err.failed();
    if (error)
        *error = std::move(err);
    return failed ? QStringLiteral("Registry Backup Error") : QStringLiteral("Registry Backed Up");
}

RestoreResult RestoreRegistry(RegistryStore &store, const QString &path)
{
    QByteArray content;
    if (FileError err = readWholeFile(existingSpelling(path), &content))
        return restoreFailed(std::move(err));

    // The whole file is checked and converted before anything is written: every line of
    // the backup present, every value converting. A later value of the same label wins.
    std::vector<std::optional<QByteArray>> values(rows().size());
    std::vector<bool> present(rows().size(), false);
    int lineNumber = 0;
    for (QByteArrayView line : splitLines(content)) {
        ++lineNumber;
        const QByteArray item = trimLeftBlanks(line);
        for (size_t r = 0; r < rows().size(); ++r) {
            const Row &row = rows()[r];
            if (!item.startsWith(row.label))
                continue;
            std::optional<ConversionError> conversionError;
            std::optional<QByteArray> value =
                restoredForm(row, QByteArrayView(item).sliced(row.label.size()), &conversionError);
            if (value)
                values[r] = std::move(value);
            if (conversionError) {
                return restoreFailed(FileError{conversionError->number,
                                               QStringLiteral("%1 (line %2 of %3)")
                                                   .arg(conversionError->description)
                                                   .arg(lineNumber)
                                                   .arg(QDir::toNativeSeparators(path))});
            }
            present[r] = true;
            break; // no label begins another
        }
    }
    for (size_t r = 0; r < rows().size(); ++r) {
        if (!present[r])
            return restoreFailed(notASettingsBackup(path, rows()[r].label));
    }

    auto writeValues = [&values](RegistryStore &target) {
        target.CreateRegistryKey(RegistryKeys::Base);
        for (size_t r = 0; r < rows().size(); ++r) {
            if (!values[r])
                continue; // an empty value leaves the stored one, as it was backed up
            const Row &row = rows()[r];
            const bool number = row.restored == Restored::NumericValue || row.restored == Restored::Unchanged;
            target.SetRegistryValue(row.key, number ? kRegistryNumber : kRegistryString, row.name, *values[r]);
        }
    };

    RestoreResult restored{QStringLiteral("Registry Restored"), true, {}, {}};
    if (!store.isReadable()) {
        // The backup replaces the damaged file, which is kept beside it.
        FileError err = store.replaceDamagedFile(
            [&writeValues](RegistryStore &fresh) {
                WriteDefaultPreferences(fresh);
                writeValues(fresh);
            },
            &restored.damagedFileKeptAs);
        return err ? restoreFailed(std::move(err)) : restored;
    }
    RegistryStore::Batch batch(store);
    writeValues(store);
    // Every restored value reaches the file, also one this store already held.
    batch.writeEvenIfUnchanged();
    if (!batch.finish())
        return restoreFailed(batch.error());
    return restored;
}

QString damagedSettingsKeptText(const QString &keptAs)
{
    return QStringLiteral("The damaged settings file was kept as ") + QDir::toNativeSeparators(keptAs);
}

} // namespace qern
