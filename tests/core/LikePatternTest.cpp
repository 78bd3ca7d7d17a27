#include <gtest/gtest.h>

#include "LikePattern.h"

using namespace qern;

namespace {

struct LikeCase {
    const char *pattern;
    QByteArray text;
    bool matches;
};

void expectCases(std::initializer_list<LikeCase> cases)
{
    for (const LikeCase &c : cases) {
        const auto pattern = LikePattern::compile(c.pattern);
        ASSERT_TRUE(pattern.has_value()) << c.pattern;
        EXPECT_EQ(pattern->matches(c.text), c.matches)
            << "pattern " << c.pattern << " text " << c.text.toStdString();
    }
}

} // namespace

TEST(LikePattern, QuestionMarkTakesExactlyOneCharacter)
{
    expectCases({
        {"AB?", "ABC", true}, {"AB?", "AB1", true}, {"AB?", "AB", false}, {"AB?", "ABCD", false},
        {"AB?", "XBC", false}, {"?", "", false}, {"??", "A ", true},
    });
}

TEST(LikePattern, HashTakesOnlyADigit)
{
    expectCases({
        {"#12?", "#123", false}, // "#" is a digit slot, not the DGPS mark
        {"#12?", "7123", true}, {"#", "0", true}, {"#", "9", true}, {"#", "A", false},
        {"#", "\xB2", false}, // superscript two is no digit
    });
}

TEST(LikePattern, StarTakesAnyRunIncludingNone)
{
    expectCases({
        {"*", "", true}, {"*", "ANYTHING", true}, {"A*", "A", true}, {"A*C", "ABBBC", true}, {"A*C", "ABBB", false},
        {"A*B*C", "AXBXBC", true}, {"A*B*C", "ACB", false}, {"*?", "", false}, {"*?", "X", true},
        {"**A", "BA", true},
        {"*AB", "AAB", true}, // the star has to give back what it took
        // What follows the last star takes the last characters.
        {"*?Q", "ABQ", true}, {"*?Q", "QQ", true}, {"*?Q", "Q", false}, {"*?Q", "AQB", false},
        {"A*[0-9]#", "AB12", true}, {"A*[0-9]#", "AB1X", false}, {"*A*", "BAB", true}, {"A*B?", "ABXB", false}, {"A*B?", "ABB", true},
    });
}

TEST(LikePattern, BracketListTakesOneCharacterOfTheList)
{
    expectCases({
        {"[A-C]*", "B", true}, {"[A-C]*", "CAT", true}, {"[A-C]*", "DOG", false}, {"[A-C]*", "", false},
        {"[AEX]?", "EZ", true}, {"[AEX]?", "BZ", false}, {"[A-CX-Z]", "Y", true}, {"[A-CX-Z]", "M", false},
        {"[-A]", "-", true},  // a dash first is itself
        {"[A-]", "-", true},  // and last
        {"[A-]", "B", false},
        {"[*]", "*", true},   // special characters in a list stand for themselves
        {"[*]", "X", false}, {"[?]B", "?B", true}, {"[#]", "#", true}, {"[#]", "1", false},
        {"[\xC0-\xDF]", "\xC9", true}, {"[\xC0-\xDF]", "\xE9", false},
    });
}

TEST(LikePattern, NegatedListTakesOneCharacterNotInIt)
{
    expectCases({
        {"[!A]?", "BC", true}, {"[!A]?", "AC", false}, {"[!A]?", "B", false}, {"[!0-9]", "5", false},
        {"[!0-9]", "X", true},
    });
}

TEST(LikePattern, ComparesByteCodesCaseSensitively)
{
    expectCases({
        {"ab?", "ABC", false}, {"AB?", "abc", false}, {"[a-z]", "Q", false}, {"\xC9?", "\xC9X", true},
        {"\xC9?", "\xE9X", false},
    });
}

TEST(LikePattern, OtherCharactersStandForThemselves)
{
    expectCases({
        {"A]", "A]", true}, {"!A", "!A", true}, {"$NAV", "$NAV", true}, {"A-B", "A-B", true},
        {"[]AB", "AB", true}, // an empty list stands for no character
    });
}

TEST(LikePattern, RefusesAnUnclosedOrDescendingList)
{
    for (const char *bad : {"AB[C", "[", "[!", "[A-C", "?[", "[Z-A]"})
        EXPECT_FALSE(LikePattern::compile(bad).has_value()) << bad;
    for (const char *good : {"AB]", "[A]", "[!A]", "[]", "[A-A]"})
        EXPECT_TRUE(LikePattern::compile(good).has_value()) << good;
}
