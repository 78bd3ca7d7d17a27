#pragma once
// The settings that the report windows keep for themselves: the sort key and order of
// each report view, the last output file names, the session report's options and the
// listening report's default location. All are Strings; indexes are stored in the
// number form with a leading blank (" 3"), as the settings restore writes them too.

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

namespace qern {

class RegistryStore;

// The keys a report can be sorted by, in list order.
inline constexpr std::array<const char *, 5> kReportSortKeys = {"Date", "Time", "Frequency", "Ident", "Distance"};

struct ReportSort {
    int index = 0; // in kReportSortKeys
    bool descending = false;
};

// The value names of one report view's settings (subkey ProgramPreferences).
struct ReportSortNames {
    const char *sortBy;
    const char *order;
};
inline constexpr ReportSortNames kListeningReportSort{"ListeningReportSortBy", "ListeningReportSortByOrder"};
inline constexpr ReportSortNames kCLEReportSort{"CLESortBy", "CLESortByOrder"};

// A missing, non-numeric or out-of-range key reads as the first; an order other than
// "Descending" reads as "Ascending".
ReportSort readReportSort(const RegistryStore &store, ReportSortNames names);
// Both values in one write; false when the store could not write them (reported by it).
bool storeReportSort(RegistryStore &store, ReportSortNames names, ReportSort sort);

// The value names of one report's last output files (subkey FilePath).
struct ReportFileNames {
    const char *text;
    const char *excel;
};
inline constexpr ReportFileNames kListeningReportFiles{"ListeningReportText", "ListeningReportExcel"};
inline constexpr ReportFileNames kCLEReportFiles{"CLEReportText", "CLEReportExcel"};

QByteArray readReportFileName(const RegistryStore &store, ReportFileNames names, bool text);
// An empty name writes nothing, as every empty setting.
void storeReportFileName(RegistryStore &store, ReportFileNames names, bool text, QByteArrayView fileName);

// CLEReportSettings: 13 digits "0"/"1" of the option boxes, then the lower and the
// upper kHz limit, 4 digits each: 21 characters.
constexpr int kCLEReportOptionCount = 13;
constexpr int kCLEReportKHzMax = 9999;
struct CLEReportOptions {
    std::array<bool, kCLEReportOptionCount> options{};
    int lowerKHz = 0;
    int upperKHz = kCLEReportKHzMax;

    // Every option ticked, every frequency: what the window shows before a first save.
    static CLEReportOptions defaults();
};
// nullopt for any text that is not of that form.
std::optional<CLEReportOptions> parseCLEReportSettings(QByteArrayView text);
// Limits outside 0..9999 are brought into it, so the text is always 21 characters.
QByteArray cleReportSettingsText(const CLEReportOptions &options);

} // namespace qern
