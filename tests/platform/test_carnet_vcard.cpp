// vCard files as address books export them, written by hand from the vCard RFCs (2.1, 3.0 of
// RFC 2426, 4.0 of RFC 6350).

#include "platform/base/carnet_vcard.h"

#include <gtest/gtest.h>

using namespace vaskor;

namespace {
QStringList Adresses(std::string_view texte)
{
    QStringList r;
    for (const ContactVCard& c : LireVCard(texte)) r += c.adresses;
    return r;
}
std::string S(const QString& q) { return q.toStdString(); }
}  // namespace

TEST(CarnetVCard, FormesCourantesDesCarnets)
{
    const struct {
        const char* nom;
        std::string texte;
        std::vector<std::string> adresses;
    } cas[] = {
        {"3.0 groupé, plié, deux adresses",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Martin;Anne;;;\r\nFN:Anne Martin\r\n"
         "item1.EMAIL;type=INTERNET;type=pref:anne.martin@exem\r\n ple.fr\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
         "EMAIL;TYPE=INTERNET,WORK:a.martin@bureau.example\r\nEND:VCARD\r\n",
         {"anne.martin@exemple.fr", "a.martin@bureau.example"}},
        {"2.1 paramètres nus, quoted-printable coupé",
         "BEGIN:VCARD\nVERSION:2.1\nFN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Ren=C3=A9 =\nDupr=C3=A9\n"
         "EMAIL;PREF;INTERNET:rene@exemple.org\nEMAIL;INTERNET;QUOTED-PRINTABLE:jos=C3=A9=40exemple.org\nEND:VCARD\n",
         {"rene@exemple.org", "jos\xC3\xA9@exemple.org"}},
        {"4.0 paramètre entre guillemets, pli par tabulation",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Carole\r\nEMAIL;TYPE=\"work,home\";PREF=1:carole\r\n\t@exemple.com\r\n"
         "EMAIL;VALUE=text:mailto:carole.b@exemple.com\r\nEND:VCARD\r\n",
         {"carole@exemple.com", "carole.b@exemple.com"}},
        {"plusieurs cartes, une sans adresse, une sans END, BOM",
         "\xEF\xBB\xBF" "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sans adresse\r\nTEL:0102030405\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nEMAIL:un@exemple.fr\r\nEND:VCARD\r\n"
         "hors carte\r\nEMAIL:ignoree@exemple.fr\r\n"
         "BEGIN:VCARD\r\nVERSION:3.0\r\nEMAIL:deux@exemple.fr\r\n",
         {"un@exemple.fr", "deux@exemple.fr"}},
        {"jeu de caractères nommé",
         "BEGIN:VCARD\nVERSION:2.1\nEMAIL;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:l=E9a@exemple.fr\nEND:VCARD\n",
         {"l\xC3\xA9" "a@exemple.fr"}},
        {"échappements et valeur vide",
         "BEGIN:VCARD\nVERSION:3.0\nEMAIL:\nEMAIL;TYPE=home: x\\,y@exemple.fr \nEND:VCARD\n", {"x,y@exemple.fr"}},
    };
    for (const auto& c : cas) {
        const QStringList a = Adresses(c.texte);
        ASSERT_EQ(std::size_t(a.size()), c.adresses.size()) << c.nom;
        for (std::size_t i = 0; i < c.adresses.size(); ++i) EXPECT_EQ(S(a[qsizetype(i)]), c.adresses[i]) << c.nom;
    }
}

TEST(CarnetVCard, LeNomVientDeFNPuisDeN)
{
    const QList<ContactVCard> c = LireVCard("BEGIN:VCARD\nN:Martin;Anne\nEMAIL:a@b.c\nEND:VCARD\n"
                                            "BEGIN:VCARD\nN:X;Y\nFN:Zo\xC3\xA9\nEND:VCARD\n");
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(S(c[0].nom), "Martin Anne");
    EXPECT_EQ(S(c[1].nom), "Zo\xC3\xA9");
    EXPECT_TRUE(c[1].adresses.isEmpty());
}

TEST(CarnetVCard, UnFichierQuiNEstPasUnVCardNeDonneRien)
{
    EXPECT_TRUE(LireVCard("").isEmpty());
    static constexpr char binaire[] = "\x00\xFF\xFE garbage:\r\n:::\r\nEND:VCARD";
    EXPECT_TRUE(LireVCard(std::string_view(binaire, sizeof binaire - 1)).isEmpty());
}
