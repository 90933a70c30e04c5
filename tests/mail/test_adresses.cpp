#include "mail/echec.h"
#include "mail/message.h"

#include <gtest/gtest.h>

using namespace vaskor;

TEST(AnalyserAdresse, SplitsNameAndAddressAndDisplaysThemBack)
{
    struct Cas {
        const char* texte;
        const char* nom;
        const char* adresse;
        const char* affiche;
    };
    const Cas cas[] = {
        {"Anne Martin <anne@exemple.fr>", "Anne Martin", "anne@exemple.fr", "Anne Martin <anne@exemple.fr>"},
        {"anne@exemple.fr (Anne Martin)", "", "anne@exemple.fr", "anne@exemple.fr"},
        {"\"Martin, Anne\" <anne@exemple.fr>", "Martin, Anne", "anne@exemple.fr", "\"Martin, Anne\" <anne@exemple.fr>"},
        {"<anne@exemple.fr>", "", "anne@exemple.fr", "anne@exemple.fr"},
        {"  anne@exemple.fr \t", "", "anne@exemple.fr", "anne@exemple.fr"},
        {"jean.dupont@exemple.fr", "", "jean.dupont@exemple.fr", "jean.dupont@exemple.fr"},
        {"Anne (Service client) <anne@exemple.fr>", "Anne", "anne@exemple.fr", "Anne <anne@exemple.fr>"},
        {"\"a\\\\b \\\"c\\\"\" <x@y.fr>", "a\\b \"c\"", "x@y.fr", "\"a\\\\b \\\"c\\\"\" <x@y.fr>"},
        {"<\"un blanc\"@exemple.fr>", "", "un blanc@exemple.fr", "<\"un blanc\"@exemple.fr>"},
        {"Pete(A wonderful \\) chap) <pete(his account)@silly.test(his host)>", "Pete", "pete@silly.test",
         "Pete <pete@silly.test>"},
        {"Joe Q. Public <john.q.public@example.com>", "Joe Q. Public", "john.q.public@example.com",
         "\"Joe Q. Public\" <john.q.public@example.com>"},
        // A nested comment after the address stays out of it.
        {"anne@exemple.fr (x (y) z)", "", "anne@exemple.fr", "anne@exemple.fr"},
        {"Andr\xE9 <a@b.fr>", "Andr\xE9", "a@b.fr", "\"Andr\xE9\" <a@b.fr>"},
        // Without an "@" there is nothing to show but the "<>" of a named item.
        {"matmail", "", "matmail", ""},
        {"\"xxxxx@xxxxx\" <matmail>", "xxxxx@xxxxx", "matmail", "\"xxxxx@xxxxx\" <>"},
        {"Anne <>", "Anne", "", "Anne <>"},
        {"", "", "", ""},
        {" \t ", "", "", ""},
    };
    for (const Cas& c : cas) {
        const TElementAdresse e = AnalyserAdresse(c.texte);
        EXPECT_EQ(e.Name, c.nom) << c.texte;
        EXPECT_EQ(e.Address, c.adresse) << c.texte;
        EXPECT_EQ(TexteAdresse(e), c.affiche) << c.texte;
    }
}

TEST(TexteAdresse, ANameEqualToTheAddressInCapitalsIsNotRepeated)
{
    EXPECT_EQ(TexteAdresse({"A@B.FR", "a@b.fr"}), "<a@b.fr>");
    EXPECT_EQ(TexteAdresse({"a@b.fr", "a@b.fr"}), "\"a@b.fr\" <a@b.fr>");
    EXPECT_EQ(TexteAdresse({"", "x\"y@b.fr"}), "<\"x\\\"y\"@b.fr>");
    EXPECT_EQ(TexteAdresse({"", "a.b c@d.fr"}), "a.b c@d.fr");  // the first odd character is a "."
}

TEST(AnalyserAdresse, AnAtAfterTheClosingBracketMakesTheHeaderUnreadable)
{
    for (const char* t : {"<a@b.fr> x@y.fr", "Mikel Lindsaar <test@lindsaar.net>, jack@lindsar.com"}) {
        try {
            AnalyserAdresse(t);
            ADD_FAILURE() << t;
        } catch (const Echec& e) {
            EXPECT_EQ(e.Genre(), GenreEchec::Autre);
            EXPECT_EQ(e.Message(), "@ Outside address");
        }
    }
    EXPECT_THROW(AnalyserListeAdresses("a@b.fr, <c@d.fr> e@f.fr"), Echec);
}

TEST(AnalyserListeAdresses, SplitsAtCommasOutsideQuotesAndCommentsAndDropsGroupNames)
{
    auto textes = [](std::string_view t) {
        std::vector<Texte> r;
        for (const TElementAdresse& e : AnalyserListeAdresses(t)) r.push_back(TexteAdresse(e));
        return r;
    };
    using V = std::vector<Texte>;
    EXPECT_EQ(textes("a@b.fr"), V{"a@b.fr"});
    EXPECT_EQ(textes("matmail"), V{""});  // a lone word is one item, whatever it displays
    EXPECT_EQ(textes("a@b.fr, Bob <bob@x.org>"), (V{"a@b.fr", "Bob <bob@x.org>"}));
    EXPECT_EQ(textes("\"Martin, Anne\" <a@b.fr>, c@d.fr"), (V{"\"Martin, Anne\" <a@b.fr>", "c@d.fr"}));
    EXPECT_EQ(textes("a@b.fr (x, y), c@d.fr"), (V{"a@b.fr", "c@d.fr"}));
    EXPECT_EQ(textes("Amis: a@b.fr, c@d.fr;, e@f.fr"), (V{"a@b.fr", "c@d.fr", "e@f.fr"}));
    EXPECT_EQ(textes("A Group:Chris Jones <c@a.test>,joe@where.test,John <jdoe@one.test>;"),
              (V{"Chris Jones <c@a.test>", "joe@where.test", "John <jdoe@one.test>"}));
    EXPECT_EQ(textes("undisclosed-recipients:;"), V{});
    EXPECT_EQ(textes(", a@b.fr,, <>, \"\" ,"), V{"a@b.fr"});
    EXPECT_EQ(textes("  "), V{});
    EXPECT_EQ(textes("\"a\\\"b\" <x@y.fr>"), V{"\"a\\\"b\" <x@y.fr>"});
}

TEST(AnalyserAdresse, ThousandsOfBracketsInOneHeaderStayLinear)
{
    // Each "<" trims the name gathered so far; doing that by copying made such a From cost the
    // square of its length.
    Texte beaucoup;
    for (int i = 0; i < 200000; ++i) beaucoup += "a <>";
    const TElementAdresse e = AnalyserAdresse(beaucoup);
    EXPECT_EQ(e.Name, Texte(200000, 'a'));
    EXPECT_EQ(e.Address, "");
    EXPECT_EQ(AnalyserListeAdresses(beaucoup).size(), 1u);
}
