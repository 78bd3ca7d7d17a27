#pragma once
// The look-up's "?" pattern operator, on bytes, case-sensitive:
//   "?"      any one character
//   "*"      any run of characters, none included
//   "#"      any one digit 0-9
//   "[...]"  one character of the list; "A-Z" stands for its range
//   "[!...]" one character not in the list
// A "-" first or last in a list is itself; "[]" matches nothing (stands for no
// character). Anything else stands for itself, "]" and "!" outside a list included.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <bitset>
#include <optional>

namespace qern {

class LikePattern {
public:
    // Refuses (nullopt) a pattern with an unclosed "[" or a descending range ("[Z-A]").
    static std::optional<LikePattern> compile(QByteArrayView pattern);

    // True when the whole text matches the whole pattern.
    bool matches(QByteArrayView text) const;
    // False when no text ending with c can match.
    bool mayEndWith(char c) const { return m_lastCharacters.test(static_cast<unsigned char>(c)); }

private:
    struct Token {
        enum Kind : unsigned char { Literal, AnyOne, AnyRun, Digit, OneOf } kind = Literal;
        char literal = 0;
        std::bitset<256> set; // OneOf: the bytes accepted
    };
    bool matchesOne(const Token &token, char c) const;

    QList<Token> m_tokens;
    qsizetype m_minLength = 0; // characters the pattern needs at the least
    qsizetype m_fixedTail = 0; // tokens after the last star (all of them without one)
    std::bitset<256> m_lastCharacters; // what a matching text may end with
    bool m_hasStar = false;
    bool m_onlyLeadingStar = false; // "*" and then tokens that take a character each
};

} // namespace qern
