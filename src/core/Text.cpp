#include "Text.h"

#include <array>

namespace qern {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five undefined codes, kept as the C1 control.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      //
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t unicodeOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t mapped = kHighTable[byte - 0x80];
        return mapped ? mapped : char16_t(byte);
    }
    return char16_t(byte);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The run of digits that starts at `at`, without its leading zeros; `at` moves past it.
QStringView digitRun(QStringView text, qsizetype &at)
{
    while (at < text.size() && text[at] == u'0')
        ++at;
    const qsizetype first = at;
    while (at < text.size() && isAsciiDigit(text[at]))
        ++at;
    return text.sliced(first, at - first);
}

} // namespace

QByteArray trimLeftBlanks(QByteArrayView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    return text.sliced(start).toByteArray();
}

QByteArray trimRightBlanks(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.first(end).toByteArray();
}

QByteArray trimBlanks(QByteArrayView text)
{
    return trimBlanksView(text).toByteArray();
}

QByteArrayView characters(QByteArrayView text, qsizetype first, qsizetype count)
{
    const qsizetype start = first - 1;
    if (start < 0 || start >= text.size())
        return {};
    return text.sliced(start, std::min(count, text.size() - start));
}

QByteArray fitField(QByteArrayView text, int width)
{
    QByteArray field = text.first(std::min<qsizetype>(text.size(), width)).toByteArray();
    if (field.size() < width)
        field.append(width - field.size(), ' ');
    return field;
}

namespace {

char upperCaseByte(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    unsigned char u = c;
    if (c >= 'a' && c <= 'z')
        u = c - 32;
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        u = c - 32;
    else if (c == 0x9A || c == 0x9C || c == 0x9E) // š œ ž
        u = c - 16;
    else if (c == 0xFF) // ÿ
        u = 0x9F;
    return static_cast<char>(u);
}

} // namespace

QByteArray upperCase(QByteArrayView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = upperCaseByte(text[i]);
    return out;
}

bool sameIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (upperCaseByte(a[i]) != upperCaseByte(b[i]))
            return false;
    }
    return true;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(unicodeOf(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray toWindows1252(QStringView text, bool *lossless, char replacement)
{
    QByteArray out;
    out.reserve(text.size());
    bool allMapped = true;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; ++k) {
            if (unicodeOf(static_cast<unsigned char>(0x80 + k)) == u) {
                found = k;
                break;
            }
        }
        if (found >= 0) {
            out += static_cast<char>(0x80 + found);
        } else {
            out += replacement;
            allMapped = false;
        }
    }
    if (lossless)
        *lossless = allMapped;
    return out;
}

bool precedesInNameOrder(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            const QStringView x = digitRun(a, i);
            const QStringView y = digitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int order = x.compare(y))
                return order < 0;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i == a.size(); // the shorter first
    return a < b; // equal values written differently ("ttyS01", "ttyS1")
}

} // namespace qern
