#pragma once
// Country.dat and State.dat: comma-separated texts read three items at a time, the
// in-memory tables filled once at start-up, and the look-ups that read the files.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

constexpr int kCountryTableRows = 500;
constexpr int kStateTableRows = 200;

// Reads comma-separated items from a whole text. An item in double quotes keeps its
// commas and blanks; an unquoted item loses leading and trailing blanks. Line breaks
// end an item like a comma does, so items are read across lines.
class CsvFieldReader {
public:
    explicit CsvFieldReader(QByteArray content);
    bool atEnd() const;
    // The next item; an empty text once the content is used up.
    QByteArray next();

private:
    void skipBlanks();
    void skipSeparatorAfterItem();
    QByteArray m_content;
    qsizetype m_pos = 0;
    bool m_itemPending = false; // a comma was read: one more item follows, empty or not
};

struct CountryEntry {
    QByteArray Code, Name, Extra;
};
struct StateEntry {
    QByteArray Code, Name, CountryCode;
};

// Only the rows the file holds, at most the first 500 / 200.
struct CountryTable {
    QList<CountryEntry> rows;
};
struct StateTable {
    QList<StateEntry> rows;
};

FileError loadCountryTable(const QString &path, CountryTable *table);
FileError loadStateTable(const QString &path, StateTable *table);

// Exact comparison (case and blanks count); "" when no row matches.
QByteArray FindCountryName(const CountryTable &table, QByteArrayView code);
// With a country code, a row of that country wins over an earlier row of another
// country with the same state code; otherwise the first row with the code wins.
QByteArray FindStateName(const StateTable &table, QByteArrayView code,
                         QByteArrayView countryCode = {});

// A look-up in the file itself, ignoring case. name is " " when no line matches.
// fileMissing: the caller shows its message and keeps its previous result; so it does
// for an empty file (fileEmpty). A file that cannot be read sets error.
struct FileLookup {
    bool fileMissing = false;
    bool fileEmpty = false;
    FileError error;
    QByteArray name;
};
FileLookup LookupCountry(const ProgramFolder &folder, QByteArrayView code);
FileLookup LookupState(const ProgramFolder &folder, QByteArrayView code);

// What the beacon editor puts into its state list and state box: the names of the
// states of Canada, Australia or the USA in file order, and the name of stateCode
// when there is one, chosen as FindStateName chooses it for the beacon's countryCode
// (NS of AUS is New South Wales, not Nova Scotia).
struct StateList {
    bool fileMissing = false;
    FileError error;
    QList<QByteArray> names;
    std::optional<QByteArray> stateBoxText;
};
StateList LoadStateList(const ProgramFolder &folder, QByteArrayView stateCode,
                        QByteArrayView countryName, QByteArrayView countryCode = {});

} // namespace qern
