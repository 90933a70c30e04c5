#include "core/compte.h"
#include "core/secret.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string_view>

using namespace vaskor;

namespace {

// Whether the bytes of an object (alive or ended in its storage) still hold the text.
bool Contient(const void* p, std::size_t n, std::string_view texte)
{
    const std::string_view octets(static_cast<const char*>(p), n);
    return octets.find(texte) != std::string_view::npos;
}

}  // namespace

TEST(Secret, AnAccountRecordWipesItsPasswordWhenFreedAndCopiesKeepTheirs)
{
    alignas(TCompte) unsigned char stockage[sizeof(TCompte)];
    auto* c = new (stockage) TCompte(TCompte::Vierge());
    c->Description = "Maison";
    c->Password = "s\xE9same-ouvre";
    TCompte copie = *c;
    TCompte deplace = std::move(copie);
    ASSERT_TRUE(Contient(stockage, sizeof stockage, "s\xE9same-ouvre"));
    c->~TCompte();
    EXPECT_FALSE(Contient(stockage, sizeof stockage, "s\xE9same"));
    EXPECT_TRUE(Contient(stockage, sizeof stockage, "Maison"));  // only the password goes
    // A record copied or moved from still works: a moved-from account is still an account.
    EXPECT_EQ(copie.Password.Lire(), "s\xE9same-ouvre");
    EXPECT_EQ(deplace.Password.Lire(), "s\xE9same-ouvre");
}

TEST(Secret, MovingAShortSecretLeavesNoCopyInTheSourceObject)
{
    // Short texts live inside the string object itself; a plain move copies them out and leaves
    // them there (all but the first byte, which becomes the end mark).
    std::string source = "courtmdp";
    const TexteSecret pris(std::move(source));
    EXPECT_FALSE(Contient(&source, sizeof source, "ourtmdp"));
    EXPECT_EQ(pris.Lire(), "courtmdp");

    TexteSecret a = "autremdp";
    TexteSecret b = std::move(a);
    EXPECT_FALSE(Contient(&a, sizeof a, "utremdp"));
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(b.Lire(), "autremdp");
    EXPECT_EQ(TexteSecret::Concatener("PASS ", b).Lire(), "PASS autremdp");
}
