#pragma once
// Byte-text helpers. Files hold Windows-1252 bytes; core code works on bytes and
// converts to QString only at the window edge.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qern {

constexpr char kDegreeSign = '\xB0'; // Windows-1252

// Removes blanks (code 32 only) at both ends, as the record readers do.
QByteArray trimBlanks(QByteArrayView text);
// The same without a copy: a view into text. Inline: record walks trim every field.
inline QByteArrayView trimBlanksView(QByteArrayView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == ' ')
        ++start;
    while (end > start && text[end - 1] == ' ')
        --end;
    return text.sliced(start, end - start);
}
QByteArray trimLeftBlanks(QByteArrayView text);
QByteArray trimRightBlanks(QByteArrayView text);

// Characters first..first+count-1 (1-based, as the record texts are described), as far
// as text reaches: characters past its end are simply absent.
QByteArrayView characters(QByteArrayView text, qsizetype first, qsizetype count);

// Left-aligned in width bytes: padded with blanks on the right, a longer value cut.
QByteArray fitField(QByteArrayView text, int width);

// Upper case in Windows-1252 (accented letters included).
QByteArray upperCase(QByteArrayView text);
// upperCase(a) == upperCase(b), without building either.
bool sameIgnoringCase(QByteArrayView a, QByteArrayView b);

// Name order of device names, the same in every language setting: characters by their
// codes, a run of digits by its value ("ttyS2" before "ttyS10").
bool precedesInNameOrder(QStringView a, QStringView b);

// Windows-1252 <-> QString. Qt 6.4 has no converter for this code page.
QString fromWindows1252(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become replacement ('?' by default);
// *lossless tells whether any did.
QByteArray toWindows1252(QStringView text, bool *lossless = nullptr, char replacement = '?');

} // namespace qern
