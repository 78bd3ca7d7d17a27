#include "Tables.h"

#include <array>

#include "Text.h"

namespace qern {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool endsItem(char c)
{
    return c == ',' || isLineBreak(c);
}

QByteArray trimmedItem(QByteArrayView item)
{
    qsizetype begin = 0;
    qsizetype end = item.size();
    while (begin < end && isBlank(item[begin]))
        ++begin;
    while (end > begin && isBlank(item[end - 1]))
        --end;
    return item.sliced(begin, end - begin).toByteArray();
}

// Three items at a time; a group cut off by the end of the text gets empty items.
std::array<QByteArray, 3> nextTriple(CsvFieldReader &reader)
{
    std::array<QByteArray, 3> triple;
    for (QByteArray &item : triple)
        item = reader.next();
    return triple;
}

struct TextOrError {
    FileError error;
    QByteArray content;
};

TextOrError readTable(const QString &path)
{
    TextOrError result;
    result.error = readWholeFile(path, &result.content);
    return result;
}

QString countryFilePath(const ProgramFolder &folder)
{
    return folder.path(QStringLiteral("Country.dat"));
}

QString stateFilePath(const ProgramFolder &folder)
{
    return folder.path(QStringLiteral("State.dat"));
}

// The first line whose first item matches code ignoring case gives its second item.
FileLookup lookupInFile(const QString &path, QByteArrayView code)
{
    FileLookup lookup;
    if (!fileExists(path)) {
        lookup.fileMissing = true;
        return lookup;
    }
    TextOrError file = readTable(path);
    if (file.error.failed()) {
        lookup.error = file.error;
        return lookup;
    }
    const QByteArray wanted = upperCase(code);
    CsvFieldReader reader(std::move(file.content));
    if (reader.atEnd()) {
        lookup.fileEmpty = true;
        return lookup;
    }
    while (!reader.atEnd()) {
        const auto line = nextTriple(reader);
        if (upperCase(line[0]) == wanted) {
            lookup.name = line[1];
            return lookup;
        }
    }
    lookup.name = " ";
    return lookup;
}

// Both tables are lines of three quoted fields, read up to their capacity.
template <typename Table>
FileError loadThreeFieldTable(const QString &path, Table *table, qsizetype capacity)
{
    TextOrError file = readTable(path);
    if (file.error.failed())
        return file.error;
    table->rows.clear();
    CsvFieldReader reader(std::move(file.content));
    while (!reader.atEnd() && table->rows.size() < capacity) {
        auto line = nextTriple(reader);
        table->rows.append({std::move(line[0]), std::move(line[1]), std::move(line[2])});
    }
    return {};
}

} // namespace

CsvFieldReader::CsvFieldReader(QByteArray content) : m_content(std::move(content)) {}

void CsvFieldReader::skipBlanks()
{
    while (m_pos < m_content.size() && isBlank(m_content[m_pos]))
        ++m_pos;
}

bool CsvFieldReader::atEnd() const
{
    if (m_itemPending)
        return false;
    for (qsizetype i = m_pos; i < m_content.size(); ++i) {
        if (!isBlank(m_content[i]) && !isLineBreak(m_content[i]))
            return false;
    }
    return true;
}

QByteArray CsvFieldReader::next()
{
    // Blank lines between items hold no item; after a comma a line break ends an empty one.
    if (m_itemPending) {
        skipBlanks();
    } else {
        while (m_pos < m_content.size()
               && (isBlank(m_content[m_pos]) || isLineBreak(m_content[m_pos])))
            ++m_pos;
    }
    m_itemPending = false;
    if (m_pos >= m_content.size())
        return {};

    QByteArray item;
    if (m_content[m_pos] == '"') {
        const qsizetype start = m_pos + 1;
        qsizetype close = m_content.indexOf('"', start);
        if (close < 0)
            close = m_content.size();
        item = m_content.mid(start, close - start);
        m_pos = std::min(close + 1, m_content.size());
        // Anything between the closing quote and the separator is dropped.
        while (m_pos < m_content.size() && !endsItem(m_content[m_pos]))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_content.size() && !endsItem(m_content[m_pos]))
            ++m_pos;
        item = trimmedItem(QByteArrayView(m_content).sliced(start, m_pos - start));
    }
    skipSeparatorAfterItem();
    return item;
}

void CsvFieldReader::skipSeparatorAfterItem()
{
    if (m_pos >= m_content.size())
        return;
    const char c = m_content[m_pos++];
    if (c == ',')
        m_itemPending = true;
    else if (c == '\r' && m_pos < m_content.size() && m_content[m_pos] == '\n')
        ++m_pos;
}

FileError loadCountryTable(const QString &path, CountryTable *table)
{
    return loadThreeFieldTable(path, table, kCountryTableRows);
}

FileError loadStateTable(const QString &path, StateTable *table)
{
    return loadThreeFieldTable(path, table, kStateTableRows);
}

QByteArray FindCountryName(const CountryTable &table, QByteArrayView code)
{
    for (const CountryEntry &row : table.rows) {
        if (row.Code == code)
            return row.Name;
    }
    return {};
}

QByteArray FindStateName(const StateTable &table, QByteArrayView code, QByteArrayView countryCode)
{
    const StateEntry *first = nullptr;
    for (const StateEntry &row : table.rows) {
        if (row.Code != code)
            continue;
        if (countryCode.isEmpty() || row.CountryCode == countryCode)
            return row.Name;
        if (!first)
            first = &row;
    }
    return first ? first->Name : QByteArray();
}

FileLookup LookupCountry(const ProgramFolder &folder, QByteArrayView code)
{
    return lookupInFile(countryFilePath(folder), code);
}

FileLookup LookupState(const ProgramFolder &folder, QByteArrayView code)
{
    return lookupInFile(stateFilePath(folder), code);
}

StateList LoadStateList(const ProgramFolder &folder, QByteArrayView stateCode,
                        QByteArrayView countryName, QByteArrayView countryCode)
{
    StateList list;
    const QString path = stateFilePath(folder);
    if (!fileExists(path)) {
        list.fileMissing = true;
        return list;
    }
    TextOrError file = readTable(path);
    if (file.error.failed()) {
        list.error = file.error;
        return list;
    }
    CsvFieldReader reader(std::move(file.content));
    StateTable withCode; // the lines of stateCode, of whatever country
    while (!reader.atEnd()) {
        const auto line = nextTriple(reader);
        const QByteArray &code = line[0];
        const QByteArray &name = line[1];
        const QByteArray &country = line[2];
        if ((country == "CAN" && countryName == "Canada")
            || (country == "AUS" && countryName == "Australia")
            || (country == "USA" && countryName == "USA"))
            list.names.append(name);
        if (code == stateCode)
            withCode.rows.append({code, name, country});
    }
    if (!withCode.rows.isEmpty())
        list.stateBoxText = FindStateName(withCode, stateCode, countryCode);
    return list;
}

} // namespace qern
