#include "core/ami.h"
#include "core/filtre.h"
#include "core/texte.h"
#include "core/texte_date.h"
#include "engine/classification.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vaskor;

namespace {

TFiltre Filtre(std::int32_t type, std::int32_t c1, const std::string& v1, std::int32_t c2, const std::string& v2,
               std::int32_t action = ActionEffacer, bool casse = false, std::int32_t num = 0)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = type;
    f.Condition1 = c1;
    f.Valeur1 = v1;
    f.Condition2 = c2;
    f.Valeur2 = v2;
    f.Action = action;
    f.Casse = casse ? 1 : 0;
    f.NumEntete = num;
    f.Actif = 1;
    return f;
}

TFiltre Expediteur(std::int32_t c1, const std::string& v1, std::int32_t c2 = 0, const std::string& v2 = "",
                   std::int32_t action = ActionEffacer, bool casse = false)
{
    return Filtre(FiltreExpediteur, c1, v1, c2, v2, action, casse);
}

TFiltre Sujet(std::int32_t c, const std::string& v, std::int32_t action = ActionEffacer, bool casse = false)
{
    return Filtre(FiltreSujet, c, v, 0, "", action, casse);
}

TFiltre Entete(std::int32_t num, const std::string& nom, std::int32_t c, const std::string& v,
               std::int32_t action = ActionEffacer, bool casse = false)
{
    return Filtre(FiltreEntete, c, nom, 0, v, action, casse, num);
}

TAmi Ami(const std::string& nom, std::int32_t type = AmiAdresse)
{
    TAmi a = TAmi::Vierge();
    a.TypeAmi = type;
    a.Nom = nom;
    return a;
}

TIdMessage Message(const std::string& de, const std::string& sujet = "Bonjour")
{
    TIdMessage m;
    m.From.Address = de;
    m.Subject = sujet;
    return m;
}

Texte DateFixe(TDateHeure) { return "25/12/2003 14:05:00"; }

struct Classeur {
    ListeFiltres filtres;
    ListeAmis amis;
    OptionsFiltrage options;
    TResultatFiltrage r;

    const TResultatFiltrage& operator()(const TIdMessage& m)
    {
        FiltrerMessage(m, filtres, amis, options, r, DateFixe);
        return r;
    }
};

}  // namespace

TEST(Classification, FriendsComeFirstThenTheOnlyFriendsOptionThenTheFilters)
{
    Classeur c;
    c.amis = {Ami("anne@exemple.fr"), Ami("ami.org", AmiDomaine)};
    c.filtres = {Expediteur(CondContient, "anne", 0, "", ActionEffacer), Sujet(CondContient, "promo")};
    c.options.QueLesMailsDesAmis = true;

    // A friend is accepted although a filter would delete it; no counter moves.
    EXPECT_EQ(c(Message("anne@exemple.fr")).Verdict, ActionAccepter);
    EXPECT_EQ(c(Message("x@ami.org", "promo")).Verdict, ActionAccepter);
    EXPECT_EQ(c.r.IndiceFiltre, -1);
    // Anyone else is deleted by the option, whatever the filters say.
    c(Message("Anne@exemple.fr"));
    EXPECT_EQ(c.r.Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, "\"Anne@exemple.fr\" n'est pas dans la liste des amis");
    EXPECT_EQ(c.r.IndiceFiltre, -1);
    EXPECT_EQ(c.filtres[0].Compteur, 0);
    EXPECT_EQ(c.filtres[1].Compteur, 0);

    // With an empty friends list every message is deleted, even one without sender.
    c.amis.clear();
    EXPECT_EQ(c(Message("")).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, "\"\" n'est pas dans la liste des amis");

    // Without the option the filters decide.
    c.options.QueLesMailsDesAmis = false;
    EXPECT_EQ(c(Message("anne@exemple.fr")).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.IndiceFiltre, 0);
    EXPECT_EQ(c.filtres[0].Compteur, 1);
    // Nothing decides: accepted, reason empty.
    EXPECT_EQ(c(Message("zoe@x.fr")).Verdict, ActionAccepter);
    EXPECT_EQ(c.r.Raison, "");

    // A friend with an empty name makes a message without sender address a friend.
    c.amis = {Ami("")};
    c.options.QueLesMailsDesAmis = true;
    EXPECT_EQ(c(Message("")).Verdict, ActionAccepter);
}

TEST(Classification, TheFirstMatchingFilterInListOrderDecidesAndOnlyItsCounterMoves)
{
    Classeur c;
    c.filtres = {Sujet(CondContient, "x", ActionEffacer),
                 Sujet(CondContient, "promo", ActionAccepter),
                 Sujet(CondContient, "promo", ActionEffacer),
                 Sujet(CondContient, "promo", ActionMarquer)};
    c.filtres[0].Compteur = 5;
    c(Message("a@b.fr", "Super promo"));
    EXPECT_EQ(c.r.Verdict, ActionAccepter);  // an accepting filter stops the examination too
    EXPECT_EQ(c.r.IndiceFiltre, 1);
    EXPECT_EQ(c.r.Raison, "Le sujet contient \"promo\"");
    EXPECT_EQ(c.filtres[0].Compteur, 5);
    EXPECT_EQ(c.filtres[1].Compteur, 1);
    EXPECT_EQ(c.filtres[2].Compteur, 0);
    EXPECT_EQ(c.filtres[3].Compteur, 0);

    // An inactive filter never decides nor counts.
    c.filtres[1].Actif = 0;
    c(Message("a@b.fr", "Super promo"));
    EXPECT_EQ(c.r.Verdict, ActionEffacer);
    EXPECT_EQ(c.r.IndiceFiltre, 2);
    EXPECT_EQ(c.filtres[1].Compteur, 1);

    // A counter at its top stays there.
    c.filtres[2].Compteur = std::numeric_limits<std::int32_t>::max();
    c(Message("a@b.fr", "Super promo"));
    EXPECT_EQ(c.filtres[2].Compteur, std::numeric_limits<std::int32_t>::max());
}

TEST(Classification, EachKindOfFilterHasItsOwnSwitch)
{
    Classeur c;
    c.filtres = {Expediteur(CondContient, "spam"), Sujet(CondContient, "spam"),
                 Entete(9, "Subject", CondContient, "spam")};
    const TIdMessage m = Message("spam@x.fr", "spam");
    EXPECT_EQ(c(m).IndiceFiltre, 0);
    c.options.FiltresExpActif = false;
    EXPECT_EQ(c(m).IndiceFiltre, 1);
    c.options.FiltresSujetActif = false;
    EXPECT_EQ(c(m).IndiceFiltre, 2);
    c.options.FiltresEnteteActif = false;
    EXPECT_EQ(c(m).Verdict, ActionAccepter);
    EXPECT_EQ(c.r.IndiceFiltre, -1);
    EXPECT_EQ(c.filtres[0].Compteur, 1);
    EXPECT_EQ(c.filtres[1].Compteur, 1);
    EXPECT_EQ(c.filtres[2].Compteur, 1);
}

TEST(Classification, SenderFiltersTestTheUserPartThenTheDomainPart)
{
    Classeur c;
    // The user test fails and the domain test holds: the domain reason and the filter's action.
    c.filtres = {Expediteur(CondContient, "bo", CondFinitPar, ".biz", ActionMarquer)};
    c(Message("alice@vente.biz"));
    EXPECT_EQ(c.r.Verdict, ActionMarquer);
    EXPECT_EQ(c.r.Raison, "Le domaine finit par \".biz\"");
    EXPECT_EQ(c.r.Trouve, 1);
    c(Message("bob@x.fr"));
    EXPECT_EQ(c.r.Raison, Texte("L'expéditeur contient \"bo\""_cp));
    EXPECT_EQ(c.r.Trouve, 0);

    // No "@": the whole address is the user part and the domain part is empty.
    c.filtres = {Expediteur(CondAucune, "", CondVide, "")};
    EXPECT_EQ(c(Message("sans-arobase")).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, "Le domaine est vide \"\"");
    EXPECT_EQ(c(Message("a@b.fr")).Verdict, ActionAccepter);

    // "In capitals" on an empty user part fails and the domain test follows; on an empty domain
    // part it holds.
    c.filtres = {Expediteur(CondMajuscule, "", CondMajuscule, "")};
    c(Message("@"));
    EXPECT_EQ(c.r.Raison, "Le domaine est en majuscule \"\"");
    c(Message("ABC@x.fr"));
    EXPECT_EQ(c.r.Raison, Texte("L'expéditeur est en majuscule \"\""_cp));

    // "Does not contain" on the domain ignores the case flag; on the user part it honours it.
    c.filtres = {Expediteur(CondAucune, "", CondNeContientPas, "exemple", ActionEffacer, true)};
    EXPECT_EQ(c(Message("a@EXEMPLE.fr")).Verdict, ActionAccepter);
    EXPECT_EQ(c(Message("a@autre.fr")).Verdict, ActionEffacer);
    c.filtres = {Expediteur(CondNeContientPas, "anne", CondAucune, "", ActionEffacer, true)};
    EXPECT_EQ(c(Message("ANNE@x.fr")).Verdict, ActionEffacer);
    // Other domain conditions honour the flag.
    c.filtres = {Expediteur(CondAucune, "", CondEgal, "x.fr", ActionEffacer, true)};
    EXPECT_EQ(c(Message("a@X.fr")).Verdict, ActionAccepter);
    EXPECT_EQ(c(Message("a@x.fr")).Verdict, ActionEffacer);
}

TEST(Classification, SubjectAndHeaderFiltersAndTheirReasons)
{
    Classeur c;
    c.filtres = {Sujet(CondVide, "")};
    c(Message("a@b.fr", ""));
    EXPECT_EQ(c.r.Raison, "Le sujet est vide \"\"");
    // "In capitals" on an empty subject does not hold.
    c.filtres = {Sujet(CondMajuscule, "")};
    EXPECT_EQ(c(Message("a@b.fr", "")).Verdict, ActionAccepter);
    EXPECT_EQ(c(Message("a@b.fr", "GAGNEZ 1000 \x80")).Verdict, ActionEffacer);

    TIdMessage m = Message("a@b.fr");
    m.ReplyTo = {{"", "x@a.com"}, {"Vente", "y@promo.biz"}};
    c.filtres = {Entete(8, "Reply-To", CondFinitPar, ".biz", ActionMarquer)};
    c(m);
    EXPECT_EQ(c.r.Verdict, ActionMarquer);
    EXPECT_EQ(c.r.Raison, Texte("L'entête \"Reply To\" finit par \".biz\""_cp));

    // The negative conditions decide on the first value that satisfies them.
    c.filtres = {Entete(8, "Reply-To", CondNeContientPas, "a.com")};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);

    // A missing carbon-copy list is no value at all: "is empty" does not hold for it.
    c.filtres = {Entete(1, "Cc", CondVide, "")};
    EXPECT_EQ(c(m).Verdict, ActionAccepter);
    m.CCList = {{"", ""}};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, Texte("L'entête \"CC\" est vide \"\""_cp));

    // Single-valued headers are tested even when absent; "in capitals" holds on an empty value.
    c.filtres = {Entete(7, "Organization", CondMajuscule, "")};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, Texte("L'entête \"Organization\" est en majuscule \"\""_cp));

    const std::pair<int, const char*> labels[] = {{2, "Content transfert encoding"}, {3, "Content Type"},
                                                  {5, "From"}, {6, "Message ID"}, {9, "Subject"}};
    m.ContentTransferEncoding = "8bit";
    m.ContentType = "text/plain";
    m.MsgId = "<1@b.fr>";
    for (auto [num, label] : labels) {
        c.filtres = {Entete(num, "ignored", CondNonVide, "")};
        EXPECT_EQ(c(m).Verdict, ActionEffacer) << num;
        EXPECT_EQ(c.r.Raison, "L'ent\xEAte \"" + std::string(label) + "\" n'est pas vide \"\"");
    }

    // The "Date" header is compared as the date text the message list shows.
    c.filtres = {Entete(4, "Date", CondCommencePar, "25/12/2003")};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, Texte("L'entête \"Date\" commence par \"25/12/2003\""_cp));
}

TEST(Classification, HeaderFiltersByNameLookInTheRawLinesThenInTheExtraLines)
{
    Classeur c;
    TIdMessage m = Message("a@b.fr");
    m.Headers = {"From: a@b.fr", "X-Spam-Level: ***", "Received: from a", "received: from mx.promo.biz",
                 "Subject: Bonjour"};
    c.filtres = {Entete(0, "RECEIVED", CondContient, "promo")};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);
    EXPECT_EQ(c.r.Raison, Texte("L'entête \"RECEIVED\" contient \"promo\""_cp));

    // A header the message lacks: the filter is skipped, whatever its condition.
    c.filtres = {Entete(0, "X-Absent", CondVide, ""), Entete(0, "X-Spam-Level", CondCommencePar, "**")};
    EXPECT_EQ(c(m).IndiceFiltre, 1);
    EXPECT_EQ(c.filtres[0].Compteur, 0);

    m.ExtraHeaders = {"X-Absent: oui"};
    c.filtres = {Entete(0, "x-absent", CondEgal, "OUI")};
    EXPECT_EQ(c(m).Verdict, ActionEffacer);
}

TEST(Classification, RecordsWithCodesOutsideTheirRangeNeverDecide)
{
    Classeur c;
    const TIdMessage m = Message("bob@x.fr", "promo");
    TFiltre type3 = Sujet(CondContient, "promo");
    type3.TypeFiltre = 3;
    TFiltre negatif = Sujet(CondContient, "promo");
    negatif.TypeFiltre = -1;
    // An unknown user condition skips the record without looking at the domain.
    TFiltre c1 = Expediteur(15, "bob", CondNonVide, "");
    TFiltre c2 = Expediteur(CondAucune, "", 99, "");
    TFiltre sujet = Sujet(-4, "promo");
    TFiltre entete = Entete(9, "Subject", 15, "promo");
    TFiltre num = Entete(10, "X", CondMajuscule, "");
    TFiltre numNegatif = Entete(-1, "X", CondMajuscule, "");
    TFiltre action = Sujet(CondContient, "promo", 3);
    c.filtres = {type3, negatif, c1, c2, sujet, entete, num, numNegatif, action};
    c(m);
    EXPECT_EQ(c.r.Verdict, ActionAccepter);
    EXPECT_EQ(c.r.IndiceFiltre, -1);
    for (const TFiltre& f : c.filtres) EXPECT_EQ(f.Compteur, 0);
}

TEST(Classification, TheSizeRuleLetsLargeMessagesThroughFromTheLimitOn)
{
    OptionsFiltrage o;
    o.TaillePasserMessage = 300;
    EXPECT_TRUE(PasserSansFiltrer(o, 300000));
    EXPECT_TRUE(PasserSansFiltrer(o, 300001));
    EXPECT_FALSE(PasserSansFiltrer(o, 299999));
    EXPECT_FALSE(PasserSansFiltrer(o, -1));
    o.PasserTailleMax = false;
    EXPECT_FALSE(PasserSansFiltrer(o, 10000000));
    o.PasserTailleMax = true;
    o.TaillePasserMessage = 15000;
    EXPECT_TRUE(PasserSansFiltrer(o, 15000000));
    EXPECT_FALSE(PasserSansFiltrer(o, 14999999));
}

TEST(Classification, WithoutADateFunctionTheDateFilterUsesTheMessageListsDateText)
{
    TIdMessage m = Message("a@b.fr");
    m.Date = EncoderDate(2003, 12, 25) + EncoderHeure(14, 5, 0);
    ListeFiltres filtres = {Entete(4, "Date", CondEgal, TexteDate(m.Date))};
    TResultatFiltrage r;
    FiltrerMessage(m, filtres, {}, OptionsFiltrage{}, r);
    EXPECT_EQ(r.Verdict, ActionEffacer);
    EXPECT_EQ(r.IndiceFiltre, 0);
}
