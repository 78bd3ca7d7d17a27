#include "BeaconRecord.h"

#include <cmath>

#include "NumberText.h"
#include "SharedState.h"
#include "Text.h"

namespace qern {

QByteArray ShiftTextUp(QByteArrayView text, bool *ok)
{
    if (ok)
        *ok = true;
    if (text.isEmpty())
        return QByteArray(1, kShiftedBlank);
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 254) {
            out[i] = kShiftedBlank;
            if (ok)
                *ok = false;
        } else {
            out[i] = static_cast<char>(c + 2);
        }
    }
    return out;
}

QByteArray ShiftTextDown(QByteArrayView text, bool *ok)
{
    if (ok)
        *ok = true;
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 2 && ok)
            *ok = false;
        out[i] = shiftedDown(c);
    }
    return out;
}

void ShiftTextDownToGlobal(QByteArrayView text, SharedState &state, bool *ok)
{
    state.DecodedText = ShiftTextDown(text, ok);
}

bool canShiftUp(QByteArrayView text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 254)
            return false;
    }
    return true;
}

quint32 storedLoggedMask(QByteArrayView record)
{
    const FieldLayout mask = layoutOf(BeaconField::LoggedMask);
    quint32 value = 0;
    for (const char c : record.sliced(mask.offset, mask.width)) {
        if (c >= '0' && c <= '9')
            value = value * 10 + quint32(c - '0');
        else if (c != ' ')
            return BeaconRecord::fromBytes(record).loggedMask();
    }
    return value;
}

BeaconRecord::BeaconRecord() : m_bytes(Length, ' ') {}

BeaconRecord BeaconRecord::fromBytes(QByteArrayView bytes)
{
    BeaconRecord record;
    const qsizetype n = std::min<qsizetype>(bytes.size(), Length);
    std::copy_n(bytes.data(), n, record.m_bytes.data());
    return record;
}

QByteArrayView BeaconRecord::raw(BeaconField field) const
{
    const FieldLayout f = layoutOf(field);
    return QByteArrayView(m_bytes).sliced(f.offset, f.width);
}

void BeaconRecord::setRaw(BeaconField field, QByteArrayView stored)
{
    const FieldLayout f = layoutOf(field);
    const QByteArray fitted = fitField(stored, f.width);
    std::copy_n(fitted.constData(), f.width, m_bytes.data() + f.offset);
}

QByteArray BeaconRecord::text(BeaconField field, bool *ok) const
{
    if (!layoutOf(field).shifted) {
        if (ok)
            *ok = true;
        return raw(field).toByteArray();
    }
    return ShiftTextDown(trimBlanksView(raw(field)), ok);
}

QByteArray BeaconRecord::trimmedText(BeaconField field, bool *ok) const
{
    QByteArray decoded = text(field, ok);
    const QByteArrayView kept = trimBlanksView(decoded);
    if (kept.size() == decoded.size())
        return decoded;
    return kept.toByteArray();
}

bool BeaconRecord::setShifted(BeaconField field, QByteArrayView value)
{
    if (!canShiftUp(value))
        return false;
    setRaw(field, ShiftTextUp(value));
    return true;
}

bool BeaconRecord::setShiftedOrBlank(BeaconField field, QByteArrayView value)
{
    if (value.isEmpty()) {
        setRaw(field, " ");
        return true;
    }
    return setShifted(field, value);
}

quint32 BeaconRecord::loggedMask() const
{
    const double value = roundHalfEven(numericValue(raw(BeaconField::LoggedMask)));
    if (!(value > 0))
        return 0;
    return value >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<quint32>(value);
}

void BeaconRecord::setLoggedMask(quint32 mask)
{
    constexpr quint32 kLocationBits = 0xFFFF;
    setRaw(BeaconField::LoggedMask, digitsText(mask & kLocationBits));
}

bool BeaconRecord::isLoggedAt(int location) const
{
    if (location < 0 || location > 31)
        return false;
    const quint32 bit = 1u << location;
    return (loggedMask() & bit) == bit;
}

bool BeaconRecord::inSession() const
{
    return trimBlanks(raw(BeaconField::CLEMark)) == "z";
}

void BeaconRecord::setSessionMark()
{
    setRaw(BeaconField::CLEMark, "z");
}

void BeaconRecord::clearSessionMark()
{
    setRaw(BeaconField::CLEMark, QByteArray(1, kShiftedBlank));
}

} // namespace qern
