#include "ReportSettings.h"

#include <algorithm>

#include "NumberText.h"
#include "RegistryStore.h"
#include "Text.h"

namespace qern {

namespace {

constexpr int kKHzDigits = 4;

bool allDigits(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ReportSort readReportSort(const RegistryStore &store, ReportSortNames names)
{
    ReportSort sort;
    const QByteArray sortBy = trimBlanks(store.GetRegistryValue(RegistryKeys::ProgramPreferences, names.sortBy));
    if (!sortBy.isEmpty()) {
        const qint64 index = roundToInteger(numericValue(sortBy));
        if (index >= 0 && index < static_cast<qint64>(kReportSortKeys.size()))
            sort.index = static_cast<int>(index);
    }
    sort.descending = store.GetRegistryValue(RegistryKeys::ProgramPreferences, names.order) == "Descending";
    return sort;
}

bool storeReportSort(RegistryStore &store, ReportSortNames names, ReportSort sort)
{
    RegistryStore::Batch batch(store);
    store.SetRegistryValue(RegistryKeys::ProgramPreferences, kRegistryString, names.sortBy, signedText(sort.index));
    store.SetRegistryValue(RegistryKeys::ProgramPreferences, kRegistryString, names.order,
                           sort.descending ? "Descending" : "Ascending");
    return batch.finish();
}

QByteArray readReportFileName(const RegistryStore &store, ReportFileNames names, bool text)
{
    return store.GetRegistryValue(RegistryKeys::FilePath, text ? names.text : names.excel);
}

void storeReportFileName(RegistryStore &store, ReportFileNames names, bool text, QByteArrayView fileName)
{
    store.SetRegistryValue(RegistryKeys::FilePath, kRegistryString, text ? names.text : names.excel, fileName);
}

CLEReportOptions CLEReportOptions::defaults()
{
    CLEReportOptions options;
    options.options.fill(true);
    return options;
}

std::optional<CLEReportOptions> parseCLEReportSettings(QByteArrayView text)
{
    if (text.size() != kCLEReportOptionCount + 2 * kKHzDigits)
        return std::nullopt;
    CLEReportOptions parsed;
    for (int i = 0; i < kCLEReportOptionCount; ++i) {
        if (text[i] != '0' && text[i] != '1')
            return std::nullopt;
        parsed.options[i] = text[i] == '1';
    }
    const QByteArrayView lower = text.sliced(kCLEReportOptionCount, kKHzDigits);
    const QByteArrayView upper = text.sliced(kCLEReportOptionCount + kKHzDigits, kKHzDigits);
    if (!allDigits(lower) || !allDigits(upper))
        return std::nullopt;
    parsed.lowerKHz = lower.toInt();
    parsed.upperKHz = upper.toInt();
    return parsed;
}

QByteArray cleReportSettingsText(const CLEReportOptions &options)
{
    QByteArray text;
    for (const bool ticked : options.options)
        text += ticked ? '1' : '0';
    for (const int kHz : {options.lowerKHz, options.upperKHz})
        text += QByteArray::number(std::clamp(kHz, 0, kCLEReportKHzMax)).rightJustified(kKHzDigits, '0');
    return text;
}

} // namespace qern
