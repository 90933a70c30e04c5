#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LancerCli;

namespace {


}  // namespace

TEST(CliHeaders, PrintsTheParsedFieldsOfARawMessageInUtf8)
{
    vaskor::test::ZoneLocale utc;  // vaskor-cli inherits the zone: dates print as UTC
    const std::string message =
        "Received: from mx\r\n"
        "From: =?ISO-8859-1?Q?Andr=E9?= Martin <andre@exemple.fr>\r\n"
        "Sender: envoi@exemple.fr\r\n"
        "To: \"Martin, Anne\" <anne@exemple.fr>, zoe@exemple.fr,\r\n"
        "  Groupe: c@d.fr;\r\n"
        "Cc: =?windows-1252?Q?=80uro?= <e@exemple.fr>\r\n"
        "Reply-To: r@exemple.fr\r\n"
        "Subject: =?ISO-8859-1?Q?caf=E9_cr=E8me?=\r\n"
        "\t=?ISO-8859-1?Q?_l=0Ag=E8re?=\r\n"
        "Date: Tue, 7 Sep 2004 10:20:30.5 +0200\r\n"
        "Date: Wed, 8 Sep 2004 10:20:30 +0200\r\n"
        "Message-ID: <1@exemple.fr>\r\n"
        "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
        "Content-Transfer-Encoding: 8bit\r\n"
        "Organization: Soci\xC3\xA9t\xC3\xA9 \xE9\r\n"
        "\r\n"
        "From: body@exemple.fr\r\n";
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("headers - --decodage-moderne 0", message, sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(sortie,
              "From: \"Andr\xC3\xA9 Martin\" <andre@exemple.fr>\n"
              "From-Address: andre@exemple.fr\n"
              "From-Name: Andr\xC3\xA9 Martin\n"
              "Sender: envoi@exemple.fr\n"
              "Subject: caf\xC3\xA9 cr\xC3\xA8me  l g\xC3\xA8re\n"  // a decoded line feed stays on the line
              "Date: 2004-09-07 08:20:00\n"
              "To: \"Martin, Anne\" <anne@exemple.fr>, zoe@exemple.fr, c@d.fr\n"
              "Cc: \"\xE2\x82\xACuro\" <e@exemple.fr>\n"
              "Reply-To: r@exemple.fr\n"
              "Content-Type: text/plain; charset=\"iso-8859-1\"\n"
              "CharSet: ISO-8859-1\n"
              "Content-Transfer-Encoding: 8bit\n"
              "Message-Id: <1@exemple.fr>\n"
              // The file's bytes are the message's: no UTF-8 reading of an undecoded header.
              "Organization: Soci\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9 \xC3\xA9\n");

    // Decoded as today's readers do, the blanks between the two words go.
    ASSERT_EQ(LancerCli("headers - --decodage-moderne 1", message, sortie, &erreurs), 0) << erreurs;
    EXPECT_NE(sortie.find("Subject: caf\xC3\xA9 cr\xC3\xA8me l g\xC3\xA8re\n"), std::string::npos) << sortie;
    EXPECT_EQ(LancerCli("headers - --decodage-moderne 2", message, sortie, &erreurs), 2);
}

TEST(CliHeaders, ReadsAFileWithLineFeedsAndReportsAnUnreadableBlockWithStatusTwo)
{
    vaskor::test::ZoneLocale utc;  // vaskor-cli inherits the zone: dates print as UTC
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "bon.eml", "Subject: Bonjour\nFrom: <a@b.fr>\n\nTo: x@y.fr\n");
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("headers '" + (d.Chemin() / "bon.eml").string() + "'", "", sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(sortie,
              "From: a@b.fr\nFrom-Address: a@b.fr\nFrom-Name: \nSender: \nSubject: Bonjour\n"
              "Date: \nTo: \nCc: \nReply-To: \nContent-Type: \nCharSet: \n"
              "Content-Transfer-Encoding: \nMessage-Id: \nOrganization: \n");

    EcrireTout(d.Chemin() / "mauvais.eml", "Subject: x\r\nFrom: <a@b.fr> c@d.fr\r\n");
    EXPECT_EQ(LancerCli("headers '" + (d.Chemin() / "mauvais.eml").string() + "'", "", sortie), 2);
    EXPECT_EQ(sortie, "Error: @ Outside address\n");

    EXPECT_EQ(LancerCli("headers - --decodage-moderne 0", "Subject: =?ISO-8859-1?Q?=ZZ?=\n", sortie), 2);
    EXPECT_EQ(sortie.rfind("Error: ", 0), 0u);

    EXPECT_NE(LancerCli("headers '" + (d.Chemin() / "absent.eml").string() + "'", "", sortie, &erreurs), 0);
    EXPECT_FALSE(erreurs.empty());
    EXPECT_EQ(LancerCli("headers", "", sortie, &erreurs), 64);
}
