#pragma once
// The look-up of the main window: an ident, an ident pattern with "?", or a
// frequency text, matched against every record of ndb.dat, with the distance filter.
// Returns what it found; the window shows the messages and the beacon.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

struct SharedState;

// What the search reads from elsewhere.
struct SearchContext {
    QByteArray locationLat;      // LocationLat(CurrentLocationIndex), "430000N"
    QByteArray locationLon;      // LocationLon(CurrentLocationIndex), "0800000W"
    int distanceFilterValue = 0; // radius, in km when metric, else miles
    bool metric = true;          // frmLocation.optMetric

    static SearchContext fromState(const SharedState &state, bool metric);
};

enum class SearchOutcome {
    Found,             // a beacon to show: matches[*shownMatch]
    FrequencyNotAmongMatches, // a frequency was given and no match has it: nothing shown,
                              // no message, SearchMatchCount 0, Log It / QLog disabled
    EmptyText,         // "Empty search field." / "Huh?"
    WildcardsOnly,     // "Searching wildcards only is not allowed." / "A big no, no."
    BadPattern,        // "Invalid pattern." / "Huh?" (an unclosed "[")
    NotFound,          // "Facility not found." (+ the filter hint) / "Not found"
    ReadError,         // ndb.dat could not be read: error.messageText() / "Error"
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    QList<qint64> matches;              // record numbers, file order (for Found)
    std::optional<qsizetype> shownMatch; // index into matches of the beacon to show
    bool frequencySearch = false;       // the trimmed text was digits and "." only
    bool filterOn = false;
    qint64 recordCount = 0;             // records scanned
    FileError error;                    // for ReadError

    bool found() const { return outcome == SearchOutcome::Found; }
    // What SearchMatchCount becomes: the number of matches when a beacon is shown, else 0.
    qint64 searchMatchCount() const { return found() ? matches.size() : 0; }
    // The record to give ShowBeacon, when there is one.
    std::optional<qint64> shownRecord() const;

    // The message the window shows (none for Found and FrequencyNotAmongMatches).
    bool hasMessage() const;
    QString messageText() const;
    QString messageTitle() const;
};

// text: as typed; frequency: empty, or the frequency text of the match to show.
// A missing ndb.dat is an empty database (never created): NotFound.
SearchResult SearchBeacons(const ProgramFolder &folder, QByteArrayView text,
                           QByteArrayView frequency, bool filterOn, const SearchContext &ctx);

} // namespace qern
