#include "core/texte.h"
#include "engine/ajout_ami.h"

#include <gtest/gtest.h>

using namespace vaskor;

TEST(AjoutAmi, TheSendersAddressComesFromTheFirstFromLineAsTheCheckParsedIt)
{
    EXPECT_EQ(AdresseExpediteurPourAmi({"Subject: x", "from: Anne Martin <anne@exemple.fr>", "From: b@c.fr"}),
              "anne@exemple.fr");
    // An encoded display name is decoded first, as the check does.
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: =?ISO-8859-1?Q?Andr=E9?= <andre@x.fr>"}), "andre@x.fr");
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: zoe@z.fr (Zo\xE9)"}), "zoe@z.fr");
    // Folded over two lines.
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: Anne", "\t<anne@exemple.fr>"}), "anne@exemple.fr");
}

TEST(AjoutAmi, NoUsableFromLineGivesNothingToAdd)
{
    EXPECT_EQ(AdresseExpediteurPourAmi({}), std::nullopt);
    EXPECT_EQ(AdresseExpediteurPourAmi({"Subject: x", "Sender: a@b.fr"}), std::nullopt);
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: "}), std::nullopt);
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: \"Anne\" <>"}), std::nullopt);
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: <a@b.fr> x@y.fr"}), std::nullopt);  // unparsable
    EXPECT_EQ(AdresseExpediteurPourAmi({"From: =?ISO-8859-1?Q?=ZZ?= <a@b.fr>"}), std::nullopt);
}

TEST(AjoutAmi, MessageAndQuestionTexts)
{
    EXPECT_EQ(Cp1252VersUtf8(MessageExpediteurIntrouvable()), "Impossible d'extraire l'adresse de l'expéditeur.");
    EXPECT_EQ(Cp1252VersUtf8(QuestionAjouterAmi("anne@exemple.fr")), "Ajouter \"anne@exemple.fr\" à la liste d'amis ?");
}
