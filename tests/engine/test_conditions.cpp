#include "core/filtre.h"
#include "engine/conditions.h"

#include <gtest/gtest.h>

#include <string>

using namespace vaskor;

namespace {

struct Cas {
    int code;
    std::string texte;
    std::string valeur;
    bool casse;
    bool attendu;
};

}  // namespace

TEST(Conditions, EveryConditionOnItsEdgeCases)
{
    const std::string telephone = "0612345678";
    const std::string presqueTout = std::string(199, '7') + "x";  // 99.5 % digits, rounded to 100
    const Cas cas[] = {
        // 0: never holds.
        {0, "", "", false, false},
        {0, "abc", "abc", true, false},
        // 1 / 2: substring; an empty value is never contained.
        {1, "bonjour", "JOU", false, true},
        {1, "bonjour", "JOU", true, false},
        {1, "bonjour", "jou", true, true},
        {1, "abc", "", false, false},
        {1, "", "", false, false},
        {1, "ab", "abc", false, false},
        {1, "\xC9T\xC9", "\xE9t\xE9", false, false},  // É is never folded to é
        {2, "abc", "", false, true},
        {2, "", "", true, true},
        {2, "bonjour", "JOU", false, false},
        {2, "bonjour", "JOU", true, true},
        // 3 / 4: equality.
        {3, "ABC", "abc", false, true},
        {3, "ABC", "abc", true, false},
        {3, "\xC9", "\xE9", false, false},
        {3, "", "", false, true},
        {3, "abc", "abc ", false, false},
        {4, "ABC", "abc", false, false},
        {4, "ABC", "abc", true, true},
        {4, "\xC9", "\xE9", false, true},
        // 5 / 6: prefix; an empty value or an empty text never begins anything.
        {5, "abc", "ab", false, true},
        {5, "a", "ab", false, false},
        {5, "ABc", "ab", false, true},
        {5, "ABc", "ab", true, false},
        {5, "abc", "", false, false},
        {5, "", "", false, false},
        {5, "xab", "ab", false, false},
        {6, "abc", "", false, true},
        {6, "", "a", false, true},
        {6, "ABc", "ab", true, true},
        {6, "abc", "ab", false, false},
        // 7: first character a digit.
        {7, "1abc", "", false, true},
        {7, "a1", "", false, false},
        {7, "", "", false, false},
        {7, "\xB9x", "", false, false},  // superscript one is not a digit
        // 8 / 9: suffix; an empty value ends every text, the empty one included.
        {8, "x.biz", ".BIZ", false, true},
        {8, "x.biz", ".BIZ", true, false},
        {8, "abc", "", false, true},
        {8, "", "", true, true},
        {8, "bc", "abc", false, false},
        {8, "abc", "abc", true, true},
        {9, "abc", "", false, false},
        {9, "", "", false, false},
        {9, "bc", "abc", false, true},
        {9, "x.biz", ".BIZ", true, true},
        // 10 / 11: no trimming.
        {10, "", "x", true, true},
        {10, " ", "", false, false},
        {11, " ", "", false, true},
        {11, "", "", false, false},
        // 12 / 13: share of digits, halves rounded up.
        {12, "1a", "", false, false},    // 50
        {12, "12a", "", false, true},    // 67
        {12, "12ab", "", false, false},  // 50
        {12, "123ab", "", false, true},  // 60
        {12, telephone, "", false, true},
        {12, "", "", false, false},
        {13, telephone, "", false, true},
        {13, "06 12", "", false, false},  // 80
        {13, presqueTout, "", false, true},
        {13, "", "", false, false},
        // 14: none of a..z; accented letters do not count.
        {14, "HELLO", "", false, true},
        {14, "123", "", false, true},
        {14, "\xC9T\xC9", "", false, true},
        {14, "\xE9t\xE9", "", false, false},
        {14, "\xE9", "", false, true},
        {14, "", "", false, true},
        {14, "HELLo", "", true, false},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(EvaluerCondition(c.code, c.texte, c.valeur, c.casse), c.attendu)
            << "code " << c.code << " text '" << c.texte << "' value '" << c.valeur << "' case " << c.casse;
    }
}

TEST(Conditions, NegativeConditionsAreExactNegationsAndUnknownCodesNeverHold)
{
    const std::string textes[] = {"", " ", "a", "abc", "ABC", "xabcx", "12", "\xE9"};
    const std::string valeurs[] = {"", "a", "A", "abc", "bc", "\xC9"};
    const std::pair<int, int> paires[] = {{1, 2}, {3, 4}, {5, 6}, {8, 9}};
    for (const auto& t : textes)
        for (const auto& v : valeurs)
            for (bool casse : {false, true})
                for (auto [pos, neg] : paires)
                    EXPECT_NE(EvaluerCondition(pos, t, v, casse), EvaluerCondition(neg, t, v, casse))
                        << pos << " '" << t << "' '" << v << "'";
    EXPECT_EQ(FonctionDeCondition(15), nullptr);
    EXPECT_EQ(FonctionDeCondition(-1), nullptr);
    EXPECT_FALSE(EvaluerCondition(15, "", "", false));
    EXPECT_FALSE(EvaluerCondition(-1, "", "", false));
    EXPECT_NE(FonctionDeCondition(CondMajuscule), nullptr);
}

TEST(Conditions, DigitPercentageRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(PourcentageChiffres(""), -1);
    EXPECT_EQ(PourcentageChiffres("1a"), 50);
    EXPECT_EQ(PourcentageChiffres("12a"), 67);
    EXPECT_EQ(PourcentageChiffres("1aa"), 33);
    EXPECT_EQ(PourcentageChiffres("1" + std::string(7, 'a')), 13);  // 12.5
    EXPECT_EQ(PourcentageChiffres(std::string(199, '1') + "a"), 100);
    EXPECT_EQ(PourcentageChiffres(std::string(1, '1') + std::string(199, 'a')), 1);  // 0.5
    EXPECT_EQ(PourcentageChiffres("abc"), 0);
}
