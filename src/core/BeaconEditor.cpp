#include "BeaconEditor.h"

#include <array>

#include "BeaconDatabase.h"
#include "Text.h"

namespace qern {

namespace {

constexpr int kCountryCodeWidth = 3;
constexpr int kStateCodeWidth = 2;

// The entries of fields 1 to 15 that are stored as typed, with the names the editor's
// labels give them (for the refusal message).
struct EntryField {
    BeaconField field;
    QByteArray BeaconEntries::*entry;
    const char *label;
};

constexpr std::array<EntryField, 11> kPlainEntries = {{
    {BeaconField::Ident, &BeaconEntries::ident, "Ident"},
    {BeaconField::Location, &BeaconEntries::location, "Location"},
    {BeaconField::Frequency, &BeaconEntries::frequency, "Frequency"},
    {BeaconField::BeaconClass, &BeaconEntries::beaconClass, "Class"},
    {BeaconField::Power, &BeaconEntries::power, "Power"},
    {BeaconField::Latitude, &BeaconEntries::latitude, "Latitude"},
    {BeaconField::Longitude, &BeaconEntries::longitude, "Longitude"},
    {BeaconField::Cycle, &BeaconEntries::cycle, "Ident Cycle"},
    {BeaconField::USB, &BeaconEntries::usb, "USB"},
    {BeaconField::LSB, &BeaconEntries::lsb, "LSB"},
    {BeaconField::Comments, &BeaconEntries::comments, "Comments"},
}};

QString unstorableCharacter(const char *label)
{
    return QStringLiteral("The %1 entry holds a character that cannot be stored in the database.")
        .arg(QLatin1String(label));
}

} // namespace

EditorLoad loadBeaconForEditing(const ProgramFolder &folder, qint64 number, const CountryTable &countries)
{
    EditorLoad load;
    BeaconRecord record;
    load.error = readBeacon(folder, number, &record);
    if (load.error.failed())
        return load;
    load.shown = shownBeaconOf(number, record);

    bool allDecoded = true;
    auto field = [&](BeaconField f) {
        bool ok = true;
        QByteArray value = record.trimmedText(f, &ok);
        allDecoded = allDecoded && ok;
        return value;
    };
    BeaconEntries &e = load.entries;
    e.ident = field(BeaconField::Ident);
    const QByteArray countryCode = field(BeaconField::CountryCode);
    const QByteArray countryName = FindCountryName(countries, countryCode);
    e.country = countryName.isEmpty() ? countryCode : countryName;
    load.stateCode = field(BeaconField::StateCode);
    e.state = load.stateCode;
    e.location = field(BeaconField::Location);
    e.frequency = field(BeaconField::Frequency);
    e.beaconClass = field(BeaconField::BeaconClass);
    e.power = field(BeaconField::Power);
    e.latitude = field(BeaconField::Latitude);
    e.longitude = field(BeaconField::Longitude);
    e.current = field(BeaconField::Current);
    e.cycle = field(BeaconField::Cycle);
    e.usb = field(BeaconField::USB);
    e.lsb = field(BeaconField::LSB);
    e.daid = field(BeaconField::DAID) == "1";
    e.comments = field(BeaconField::Comments);
    load.undecodable = !allDecoded;
    return load;
}

std::optional<QByteArray> countryCodeFor(QByteArrayView text, const CountryTable &countries)
{
    const QByteArrayView wanted = trimBlanksView(text);
    if (wanted.isEmpty())
        return QByteArray();
    for (const CountryEntry &row : countries.rows) {
        if (sameIgnoringCase(trimBlanksView(row.Name), wanted))
            return row.Code;
    }
    for (const CountryEntry &row : countries.rows) {
        if (sameIgnoringCase(row.Code, wanted))
            return row.Code;
    }
    if (wanted.size() <= kCountryCodeWidth)
        return wanted.toByteArray();
    return std::nullopt;
}

std::optional<QByteArray> stateCodeFor(QByteArrayView text, QByteArrayView countryCode, const StateTable &states)
{
    const QByteArrayView wanted = trimBlanksView(text);
    if (wanted.isEmpty())
        return QByteArray();
    auto firstRow = [&](auto matches) -> std::optional<QByteArray> {
        for (const StateEntry &row : states.rows) {
            if (matches(row) && row.CountryCode == countryCode)
                return row.Code;
        }
        for (const StateEntry &row : states.rows) {
            if (matches(row))
                return row.Code;
        }
        return std::nullopt;
    };
    if (auto code = firstRow([&](const StateEntry &row) { return sameIgnoringCase(trimBlanksView(row.Name), wanted); }))
        return code;
    if (auto code = firstRow([&](const StateEntry &row) { return sameIgnoringCase(row.Code, wanted); }))
        return code;
    if (wanted.size() <= kStateCodeWidth)
        return wanted.toByteArray();
    return std::nullopt;
}

PreparedBeacon prepareBeaconWrite(const ProgramFolder &folder, const BeaconEntries &typed,
                                  const CountryTable &countries, const StateTable &states, bool isNew,
                                  const ShownBeacon &shown, QByteArrayView month)
{
    PreparedBeacon prepared;
    // The look-up finds idents in capitals only.
    BeaconEntries entries = typed;
    entries.ident = upperCase(entries.ident);
    if (isNew) {
        const QString path = databasePath(folder);
        if (!fileExists(path)) {
            prepared.error = FileError::notFound(path);
            return prepared;
        }
        // A new record goes right after the last whole one; a cut record would shift it.
        if (fileLength(path) % BeaconRecord::Length != 0) {
            prepared.refusal = QStringLiteral("Records mismatched. Database corrupted.");
            return prepared;
        }
        prepared.number = databaseRecordCount(folder) + 1;
    } else {
        prepared.number = shown.recordNumber;
        const BeaconCheck check = readShownBeacon(folder, shown, &prepared.record);
        prepared.beaconMoved = check.moved;
        prepared.error = check.error;
        if (!check.passed())
            return prepared;
    }

    BeaconRecord &r = prepared.record;
    for (const EntryField &f : kPlainEntries) {
        if (!r.setShiftedOrBlank(f.field, entries.*(f.entry))) {
            prepared.refusal = unstorableCharacter(f.label);
            return prepared;
        }
    }

    const std::optional<QByteArray> countryCode = countryCodeFor(entries.country, countries);
    if (!countryCode) {
        prepared.refusal = QStringLiteral("Country not found. Enter a country of Country.dat, by name or code.");
        return prepared;
    }
    if (!r.setShiftedOrBlank(BeaconField::CountryCode, *countryCode)) {
        prepared.refusal = unstorableCharacter("Country");
        return prepared;
    }
    const std::optional<QByteArray> stateCode = stateCodeFor(entries.state, *countryCode, states);
    if (!stateCode) {
        prepared.refusal =
            QStringLiteral("State/Province not found. Enter a state or province of State.dat, by name or code.");
        return prepared;
    }
    if (!r.setShiftedOrBlank(BeaconField::StateCode, *stateCode)) {
        prepared.refusal = unstorableCharacter("State/Province");
        return prepared;
    }

    if (!r.setShifted(BeaconField::Current, month) || !r.setShifted(BeaconField::DAID, entries.daid ? "1" : "0")) {
        prepared.refusal = unstorableCharacter("Data As Of");
        return prepared;
    }
    if (isNew) {
        r.setLoggedMask(0);
        r.setRaw(BeaconField::CLEMark, ShiftTextUp(QByteArray(1, '\x1e')));
    }

    // What the integrity check reads, after the cut to the field's width.
    if (!isValidFrequency(r)) {
        prepared.refusal = QStringLiteral("Frequency must be a number of kHz greater than 0 and less than 4500.");
        return prepared;
    }
    return prepared;
}

BeaconWriteResult writePreparedBeacon(const ProgramFolder &folder, const PreparedBeacon &prepared)
{
    BeaconWriteResult result;
    const QString database = databasePath(folder);
    FileChange change(folder);
    change.writesRecords(database, BeaconRecord::Length, FileChange::Missing::Refused);
    change.replaces(database);
    if ((result.error = change.begin()))
        return result;
    if ((result.error = change.writeRecord(database, prepared.number, prepared.record.bytes())))
        result.takenBack = change.takeBack();
    return result;
}

QString BeaconWriteResult::messageText() const
{
    return changeFailureText(error, takenBack, kChangeNotTakenBackText);
}

FoundBeacon findBeaconRecord(const ProgramFolder &folder, const BeaconRecord &record)
{
    return findBeacon(folder, [&record](const BeaconRecord &candidate) { return candidate.bytes() == record.bytes(); });
}

} // namespace qern
