#include "support/outils.h"

#include <gtest/gtest.h>

#include <string>

using vaskor::test::LancerCli;

TEST(CliMime, PrintsTheFieldsTheTextInItsCharsetAndTheAttachments)
{
    vaskor::test::ZoneLocale utc;
    const std::string message =
        "From: Anne <anne@exemple.fr>\r\nTo: bob@exemple.fr\r\n"
        "Subject: =?UTF-8?Q?R=C3=A9union?=\r\nDate: Tue, 7 Sep 2004 10:20:30 +0000\r\n"
        "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
        "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "La r=C3=A9union\r\n\x1b[2J.fin\r\n--b\r\nContent-Type: text/html\r\n\r\n<p>cach\xE9</p>\r\n--b\r\n"
        "Content-Disposition: attachment; filename=\"../a\x01.txt\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        "YWJj\r\n--b--\r\n";
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("mime -", message, sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(sortie,
              "A: bob@exemple.fr\nDe: Anne <anne@exemple.fr>\nCopie \xC3\xA0: \nSujet: R\xC3\xA9union\n"
              "Date: 2004-09-07 10:20:30\nPi\xC3\xA8" "ce jointe: ../a .txt\t3 octets\ta.txt\n\n"
              "La r\xC3\xA9union\n [2J.fin\n");
    ASSERT_EQ(LancerCli("mime --html -", message, sortie, &erreurs), 0) << erreurs;
    EXPECT_NE(sortie.find("<p>cach\xC3\xA9</p>"), std::string::npos);
    // The headers follow the decoding setting, as the list's do.
    const std::string encode = "From: =?UTF-8?Q?Chlo=C3=A9?= <c@x.fr>\r\n\r\nx\r\n";
    ASSERT_EQ(LancerCli("mime --decodage-moderne 0 -", encode, sortie, &erreurs), 0) << erreurs;
    EXPECT_NE(sortie.find("De: =?UTF-8?Q?Chlo=C3=A9?= <c@x.fr>"), std::string::npos) << sortie;
    ASSERT_EQ(LancerCli("mime --decodage-moderne 1 -", encode, sortie, &erreurs), 0) << erreurs;
    EXPECT_NE(sortie.find("De: \"Chlo\xC3\xA9\" <c@x.fr>"), std::string::npos) << sortie;
    EXPECT_EQ(LancerCli("mime", "", sortie, &erreurs), 64);
    EXPECT_EQ(LancerCli("mime /nonexistent/x.eml", "", sortie, &erreurs), 1);
}
