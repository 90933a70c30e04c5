#include "mail/mailto.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>

using namespace vaskor;

// Whatever the subject or the address hold, the URI parses back to one recipient and one
// subject, both whole.
TEST(UriMailto, HostileSubjectsAndAddressesParseBackWhole)
{
    const std::pair<const char*, const char*> cas[] = {
        {"anne@exemple.fr", "R\xC3\xA9union & budget ? #1 100%"},
        {"anne@exemple.fr", "ligne\r\nBcc: espion@exemple.fr"},
        {"anne@exemple.fr", "x&cc=espion@exemple.fr&body=clique"},
        {"anne@exemple.fr,espion@exemple.fr", "virgule"},
        {"anne@exemple.fr?cc=espion@exemple.fr", "question"},
        {"\"a b\"@exemple.fr", "%0A%25 d\xC3\xA9j\xC3\xA0 encod\xC3\xA9"},
        {"anne@exemple.fr", "\xE6\x97\xA5\xE6\x9C\xAC + plus"},
    };
    for (const auto& [adresse, sujet] : cas) {
        const std::string uri = UriMailto(adresse, sujet);
        for (unsigned char c : uri) EXPECT_TRUE(c > 0x20 && c < 0x7F) << uri;
        const QUrl url(QString::fromStdString(uri), QUrl::StrictMode);
        ASSERT_TRUE(url.isValid()) << uri;
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(QUrl::FullyDecoded).toStdString(), adresse) << uri;
        const QUrlQuery requete(url);
        const auto elements = requete.queryItems(QUrl::FullyDecoded);
        ASSERT_EQ(elements.size(), 1) << uri;
        EXPECT_EQ(elements[0].first, QStringLiteral("subject"));
        EXPECT_EQ(elements[0].second.toStdString(), sujet) << uri;
    }
}
