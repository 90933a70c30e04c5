#include "core/ami.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vaskor;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LireTout;

namespace {

// One friend record laid out byte by byte from the file layout.
std::string AmiBrut(std::uint32_t reserve, std::uint32_t type, const std::string& nom, char fin = 0)
{
    std::string r(60, '\0');
    for (int i = 0; i < 4; ++i) r[i] = char(reserve >> (8 * i));
    for (int i = 0; i < 4; ++i) r[4 + i] = char(type >> (8 * i));
    r[8] = char(nom.size());
    r.replace(9, nom.size(), nom);
    r[59] = fin;
    return r;
}

TAmi Ami(const std::string& nom, std::int32_t type = AmiAdresse)
{
    TAmi a = TAmi::Vierge();
    a.TypeAmi = type;
    a.Nom = nom;
    return a;
}

}  // namespace

TEST(FichierAmis, RecordsWrittenByHandLoadInFileOrderAndWriteBackUnchanged)
{
    DossierTemporaire d;
    const std::string brut = AmiBrut(0xDEADBEEF, 0, "zoe@exemple.fr", 'x') + AmiBrut(0, 1, "Exemple.org") +
                             AmiBrut(0, 7, "autre.net");
    EcrireTout(d.Chemin() / "AMIS.DAT", brut);

    ListeAmis l;
    bool existe = false;
    ASSERT_TRUE(ChargerAmis(d.Chemin(), l, &existe).ok);
    EXPECT_TRUE(existe);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].Nom.Lire(), "zoe@exemple.fr");  // not sorted after loading
    EXPECT_FALSE(l[0].EstDomaine());
    EXPECT_EQ(l[1].Nom.Lire(), "Exemple.org");
    EXPECT_EQ(NomTypeAmi(l[1]), "Domaine");
    EXPECT_EQ(l[2].TypeAmi, 7);
    EXPECT_EQ(NomTypeAmi(l[2]), "Domaine");
    EXPECT_EQ(NomTypeAmi(l[0]), "Adresse");

    ASSERT_TRUE(SauverAmis(d.Chemin(), l).ok);
    EXPECT_EQ(LireTout(d.Chemin() / "amis.dat"), brut);
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "AMIS.DAT"));
}

TEST(FichierAmis, ShortAndOddLengthFiles)
{
    EXPECT_TRUE(DecoderAmis("").empty());
    // 61 bytes: a second record from one byte, the rest zero (an address friend with an empty name).
    ListeAmis l = DecoderAmis(AmiBrut(0, 1, "a.fr") + "\x09");
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[1].Reserve1[0], 9);
    EXPECT_EQ(l[1].TypeAmi, 0);
    EXPECT_EQ(l[1].Nom.Lire(), "");
    // A length byte above 50 is cut to the capacity.
    std::string brut = AmiBrut(0, 0, "x");
    brut[8] = char(0xFF);
    l = DecoderAmis(brut);
    EXPECT_EQ(l[0].Nom.Lire().size(), 50u);
    EXPECT_EQ(EncoderAmis(l), brut);
}

TEST(ListeAmis, SortedByNameIgnoringAsciiCaseOnly)
{
    ListeAmis l = {Ami("bob@x.fr"), Ami("Alice@x.fr"), Ami("\xE9ric@x.fr"), Ami("zed.fr", AmiDomaine),
                   Ami("alice@x.fr")};
    TrierAmis(l);
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[0].Nom.Lire(), "Alice@x.fr");  // equal names keep their order
    EXPECT_EQ(l[1].Nom.Lire(), "alice@x.fr");
    EXPECT_EQ(l[2].Nom.Lire(), "bob@x.fr");
    EXPECT_EQ(l[3].Nom.Lire(), "zed.fr");
    EXPECT_EQ(l[4].Nom.Lire(), "\xE9ric@x.fr");  // é sorts after every ASCII letter
}

TEST(EstUnAmi, ExactComparisonWithTheAddressAndWithItsDomainPart)
{
    const ListeAmis l = {Ami("anne@exemple.fr"), Ami("ami.org", AmiDomaine)};
    EXPECT_TRUE(EstUnAmi(l, "anne@exemple.fr"));
    EXPECT_FALSE(EstUnAmi(l, "Anne@exemple.fr"));  // case counts
    EXPECT_TRUE(EstUnAmi(l, "qui@ami.org"));
    EXPECT_FALSE(EstUnAmi(l, "qui@sous.ami.org"));  // a sub-domain is another domain
    EXPECT_FALSE(EstUnAmi(l, "qui@AMI.org"));
    EXPECT_FALSE(EstUnAmi(l, "a@b@ami.org"));  // the domain part starts after the first "@"
    EXPECT_FALSE(EstUnAmi({}, ""));
    // A friend with an empty name matches every sender without domain part.
    const ListeAmis vide = {Ami("")};
    EXPECT_TRUE(EstUnAmi(vide, ""));
    EXPECT_TRUE(EstUnAmi(vide, "sans-arobase"));
    EXPECT_FALSE(EstUnAmi(vide, "a@b.fr"));
}

TEST(SeparerAdresse, SplitsAtTheFirstAtSign)
{
    EXPECT_EQ(SeparerAdresse("anne@exemple.fr").utilisateur, "anne");
    EXPECT_EQ(SeparerAdresse("anne@exemple.fr").domaine, "exemple.fr");
    EXPECT_EQ(SeparerAdresse("a@b@c").domaine, "b@c");
    EXPECT_EQ(SeparerAdresse("sans").utilisateur, "sans");
    EXPECT_EQ(SeparerAdresse("sans").domaine, "");
    EXPECT_EQ(SeparerAdresse(" A@B ").utilisateur, " A");
    EXPECT_EQ(SeparerAdresse("@x").utilisateur, "");
}

TEST(AdresseValide, NeedsADotSomewhereAfterTheFirstAtSign)
{
    EXPECT_TRUE(AdresseValide("x@y."));
    EXPECT_TRUE(AdresseValide("a@b.c"));
    EXPECT_FALSE(AdresseValide("x.y@z"));
    EXPECT_FALSE(AdresseValide("sans.arobase"));
    EXPECT_FALSE(AdresseValide(""));
}

TEST(AjouterAmiAdresse, AppendsSortsAndWritesWithoutDuplicateCheck)
{
    DossierTemporaire d;
    ListeAmis l = {Ami("zoe@z.fr")};
    ASSERT_TRUE(AjouterAmiAdresse(d.Chemin(), l, "bob@b.fr").ok);
    ASSERT_TRUE(AjouterAmiAdresse(d.Chemin(), l, "bob@b.fr").ok);
    ASSERT_TRUE(AjouterAmiAdresse(d.Chemin(), l, std::string(60, 'n')).ok);
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0].Nom.Lire(), "bob@b.fr");
    EXPECT_EQ(l[1].Nom.Lire(), "bob@b.fr");
    EXPECT_EQ(l[2].Nom.Lire(), std::string(50, 'n'));
    EXPECT_EQ(l[3].Nom.Lire(), "zoe@z.fr");
    EXPECT_EQ(LireTout(d.Chemin() / "amis.dat"),
              AmiBrut(0, 0, "bob@b.fr") + AmiBrut(0, 0, "bob@b.fr") + AmiBrut(0, 0, std::string(50, 'n')) +
                  AmiBrut(0, 0, "zoe@z.fr"));
}
