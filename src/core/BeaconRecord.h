#pragma once
// One record of ndb.dat: 213 bytes, 18 fixed-width fields, no header.
// Fields 1 to 15 are stored with every byte raised by 2 (the field shift) and
// padded with plain blanks after the shift; LoggedMask, CLEMark and Spare are plain.

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>

#include "Text.h"

namespace qern {

struct SharedState;

enum class BeaconField : int {
    Ident,
    CountryCode,
    StateCode,
    Location,
    Frequency,
    BeaconClass,
    Power,
    Latitude,
    Longitude,
    Current,
    Cycle,
    USB,
    LSB,
    DAID,
    Comments,
    LoggedMask,
    CLEMark,
    Spare,
};
constexpr int kBeaconFieldCount = 18;

struct FieldLayout {
    int offset;
    int width;
    bool shifted;
};

constexpr std::array<FieldLayout, kBeaconFieldCount> kBeaconLayout = {{
    {0, 7, true},    // Ident
    {7, 3, true},    // CountryCode
    {10, 2, true},   // StateCode
    {12, 30, true},  // Location
    {42, 6, true},   // Frequency
    {48, 7, true},   // BeaconClass
    {55, 5, true},   // Power
    {60, 9, true},   // Latitude
    {69, 10, true},  // Longitude
    {79, 6, true},   // Current
    {85, 20, true},  // Cycle
    {105, 5, true},  // USB
    {110, 5, true},  // LSB
    {115, 1, true},  // DAID
    {116, 90, true}, // Comments
    {206, 5, false}, // LoggedMask
    {211, 1, false}, // CLEMark
    {212, 1, false}, // Spare
}};

constexpr FieldLayout layoutOf(BeaconField field)
{
    return kBeaconLayout[static_cast<int>(field)];
}

// The stored form of a blank in a shifted field.
constexpr char kShiftedBlank = '"';

// Every byte raised by 2. An empty text becomes the shifted blank. Bytes 254 and
// 255 have no shifted form: *ok is set false and they are stored as the shifted blank.
QByteArray ShiftTextUp(QByteArrayView text, bool *ok = nullptr);
// Every byte lowered by 2. Bytes 0 and 1 have no plain form: they read as a blank
// and *ok is set false.
QByteArray ShiftTextDown(QByteArrayView text, bool *ok = nullptr);
// ShiftTextDown with the result left in state.DecodedText, emptied first.
void ShiftTextDownToGlobal(QByteArrayView text, SharedState &state, bool *ok = nullptr);
// True when text holds a byte that ShiftTextUp cannot store.
bool canShiftUp(QByteArrayView text);

// ShiftTextDown of one byte, for readers that look at every record and decode
// without allocating.
constexpr char shiftedDown(unsigned char stored)
{
    return stored >= 2 ? static_cast<char>(stored - 2) : ' ';
}

// A shifted field as readers take it (padding trimmed, decoded, trimmed again; see
// BeaconRecord::text), decoded into buffer, which holds at least the field's width.
// *ok tells whether every byte could be decoded.
template <std::size_t N>
QByteArrayView decodeFieldInto(QByteArrayView record, BeaconField field, std::array<char, N> &buffer,
                               bool *ok = nullptr)
{
    const FieldLayout f = layoutOf(field);
    Q_ASSERT(std::size_t(f.width) <= N);
    const QByteArrayView stored = trimBlanksView(record.sliced(f.offset, f.width));
    bool decodable = true;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const auto c = static_cast<unsigned char>(stored[i]);
        decodable = decodable && c >= 2;
        buffer[i] = shiftedDown(c);
    }
    if (ok)
        *ok = decodable;
    return trimBlanksView(QByteArrayView(buffer.data(), stored.size()));
}

// LoggedMask of a stored record as BeaconRecord::loggedMask() reads it, read in place
// when it holds digits and blanks only (what the writers store).
quint32 storedLoggedMask(QByteArrayView record);

class BeaconRecord {
public:
    static constexpr int Length = 213;

    // A record of blanks: every field empty, LoggedMask "0" is not set.
    BeaconRecord();
    // From exactly Length bytes; a shorter input is padded with blanks.
    static BeaconRecord fromBytes(QByteArrayView bytes);

    const QByteArray &bytes() const { return m_bytes; }

    // The field exactly as stored.
    QByteArrayView raw(BeaconField field) const;
    void setRaw(BeaconField field, QByteArrayView stored);

    // A field as readers take it: a shifted field is ShiftTextDown of the field with
    // its padding trimmed (the shifted blank reads as one blank); a plain field is
    // returned as stored. *ok turns false on a byte that cannot be decoded.
    QByteArray text(BeaconField field, bool *ok = nullptr) const;
    // text() trimmed of blanks at both ends: what displays and comparisons use.
    QByteArray trimmedText(BeaconField field, bool *ok = nullptr) const;

    // Stores value in a shifted field through ShiftTextUp, cut to the field's width
    // (an empty value stores the shifted blank). Refuses, changing nothing, a value
    // holding byte 254 or 255.
    [[nodiscard]] bool setShifted(BeaconField field, QByteArrayView value);
    // The editor's form: an empty value is one plain blank, anything else shifted.
    [[nodiscard]] bool setShiftedOrBlank(BeaconField field, QByteArrayView value);

    // LoggedMask: the numeric value of the text; bit N = logged at location N.
    quint32 loggedMask() const;
    // Stored as decimal digits, no sign, left-aligned in 5 characters. Only the 16
    // location bits are stored: more bits (a damaged or hand-edited mask) would need
    // more digits than the field holds and be cut into another number.
    void setLoggedMask(quint32 mask);
    bool isLoggedAt(int location) const;

    // CLEMark "z": the beacon is in the session log.
    bool inSession() const;
    void setSessionMark();   // "z"
    void clearSessionMark(); // the shifted blank

private:
    QByteArray m_bytes;
};

} // namespace qern
