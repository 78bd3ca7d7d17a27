#include "LikePattern.h"

namespace qern {

namespace {

unsigned char byteAt(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

} // namespace

std::optional<LikePattern> LikePattern::compile(QByteArrayView pattern)
{
    LikePattern compiled;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = pattern[i];
        Token token;
        if (c == '?') {
            token.kind = Token::AnyOne;
            ++i;
        } else if (c == '*') {
            ++i;
            compiled.m_hasStar = true;
            // A run of stars matches what one star matches.
            if (!compiled.m_tokens.isEmpty() && compiled.m_tokens.last().kind == Token::AnyRun)
                continue;
            token.kind = Token::AnyRun;
        } else if (c == '#') {
            token.kind = Token::Digit;
            ++i;
        } else if (c == '[') {
            qsizetype j = i + 1;
            const bool negated = j < n && pattern[j] == '!';
            if (negated)
                ++j;
            const qsizetype listStart = j;
            while (j < n && pattern[j] != ']')
                ++j;
            if (j >= n)
                return std::nullopt;
            const qsizetype listEnd = j;
            i = j + 1;
            if (listEnd == listStart && !negated)
                continue; // "[]" stands for no character at all
            std::bitset<256> set;
            for (qsizetype k = listStart; k < listEnd; ++k) {
                const unsigned char from = byteAt(pattern, k);
                // "-" between two characters makes a range; first or last it is itself.
                if (k + 2 < listEnd && pattern[k + 1] == '-') {
                    const unsigned char to = byteAt(pattern, k + 2);
                    if (to < from)
                        return std::nullopt;
                    for (unsigned v = from; v <= to; ++v)
                        set.set(v);
                    k += 2;
                } else {
                    set.set(from);
                }
            }
            if (negated)
                set.flip();
            token.kind = Token::OneOf;
            token.set = set;
        } else {
            token.kind = Token::Literal;
            token.literal = c;
            ++i;
        }
        if (token.kind != Token::AnyRun)
            ++compiled.m_minLength;
        compiled.m_fixedTail = token.kind == Token::AnyRun ? 0 : compiled.m_fixedTail + 1;
        compiled.m_tokens.append(token);
    }
    compiled.m_onlyLeadingStar = compiled.m_tokens.size() == compiled.m_fixedTail + 1
                                 && compiled.m_tokens.first().kind == Token::AnyRun;
    for (int c = 0; c < 256; ++c)
        compiled.m_lastCharacters[c] =
            compiled.m_fixedTail == 0 || compiled.matchesOne(compiled.m_tokens.last(), static_cast<char>(c));
    return compiled;
}

bool LikePattern::matchesOne(const Token &token, char c) const
{
    switch (token.kind) {
    case Token::Literal:
        return token.literal == c;
    case Token::AnyOne:
        return true;
    case Token::Digit:
        return c >= '0' && c <= '9';
    case Token::OneOf:
        return token.set.test(static_cast<unsigned char>(c));
    case Token::AnyRun:
        break;
    }
    return false;
}

bool LikePattern::matches(QByteArrayView text) const
{
    const qsizetype n = text.size();
    if (n < m_minLength || (!m_hasStar && n != m_minLength))
        return false;
    // The tokens after the last star take the last characters, one each: checked
    // first, they turn most texts away at once.
    const qsizetype m = m_tokens.size();
    for (qsizetype k = 1; k <= m_fixedTail; ++k) {
        if (!matchesOne(m_tokens[m - k], text[n - k]))
            return false;
    }
    // The star takes whatever comes before them.
    if (m_onlyLeadingStar)
        return true;

    // Every token but the star takes one character, so backing up to the last star
    // and letting it take one more character is enough (no deeper backtracking).
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starToken = -1;
    qsizetype starText = 0;
    while (t < n) {
        if (p < m && m_tokens[p].kind == Token::AnyRun) {
            starToken = p++;
            starText = t;
        } else if (p < m && matchesOne(m_tokens[p], text[t])) {
            ++p;
            ++t;
        } else if (starToken >= 0) {
            p = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < m && m_tokens[p].kind == Token::AnyRun)
        ++p;
    return p == m;
}

} // namespace qern
