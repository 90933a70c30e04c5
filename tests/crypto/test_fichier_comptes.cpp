#include "crypto/fichier_comptes.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace vaskor;

namespace {

TCompte Compte(const char* description, const std::string& motDePasse, int port = 110)
{
    TCompte c = TCompte::Vierge();
    c.ControleAuto = 1;
    c.Description = description;
    c.ServeurPOP = "pop.exemple.fr";
    c.NomUser = "anne";
    c.Password = motDePasse;
    c.PortPOP = port;
    return c;
}

std::string ChaineAt(const std::string& octets, std::size_t offset)
{
    return octets.substr(offset + 1, std::uint8_t(octets[offset]));
}

void PoserChaine(std::string& octets, std::size_t offset, std::string_view texte)
{
    octets[offset] = char(texte.size());
    octets.replace(offset + 1, texte.size(), texte);
}

mode_t Droits(const fs::path& p)
{
    struct stat s {};
    ::stat(p.c_str(), &s);
    return s.st_mode & 0777;
}

}  // namespace

TEST(FichierComptes, ASavedListLoadsBackWithItsFieldsAndReservedBytes)
{
    test::DossierTemporaire d;
    TCipherManager chiffre;
    std::vector<TCompte> comptes;
    for (std::size_t n = 0; n <= LongueurMaxMotDePasse; ++n) {
        std::string mdp;
        for (std::size_t i = 0; i < n; ++i) mdp += char(0x21 + (i * 7 + n) % 0xDE);
        TCompte c = Compte(("Compte " + std::to_string(100 + n)).c_str(), mdp, int(n * 1000));
        for (std::size_t i = 0; i < c.Reserve1.size(); ++i) c.Reserve1[i] = std::uint8_t(i + n);
        for (std::size_t i = 0; i < c.Reserve2.size(); ++i) c.Reserve2[i] = std::uint8_t(0xFF - i);
        c.Reserve3 = {1, 2, 3, 4, 5, std::uint8_t(n)};
        c.ControleAuto = std::uint8_t(n % 3);
        comptes.push_back(c);
    }
    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), comptes).ok);
    EXPECT_EQ(fs::file_size(d.Chemin() / "comptes.dat"), comptes.size() * 368);

    chiffre.InitKey("une autre cl\xE9");  // the preview's key in between: loading sets its own
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    ASSERT_TRUE(r.ok) << r.detail;
    ASSERT_EQ(r.comptes.Nombre(), comptes.size());
    EXPECT_EQ(r.motsDePasseIllisibles, 0);
    for (std::size_t i = 0; i < comptes.size(); ++i) {
        const TCompte& a = comptes[i];
        const TCompte& b = r.comptes[i];
        EXPECT_EQ(b.Description.Lire(), a.Description.Lire());
        EXPECT_EQ(b.ServeurPOP.Lire(), a.ServeurPOP.Lire());
        EXPECT_EQ(b.NomUser.Lire(), a.NomUser.Lire());
        EXPECT_EQ(b.Password.Lire(), a.Password.Lire()) << i;
        EXPECT_EQ(b.PortPOP.Lire(), a.PortPOP.Lire());
        EXPECT_EQ(b.ControleAuto, a.ControleAuto);
        EXPECT_EQ(b.Reserve1, a.Reserve1);
        EXPECT_EQ(b.Reserve2, a.Reserve2);
        EXPECT_EQ(b.Reserve3, a.Reserve3);
    }
}

TEST(FichierComptes, PasswordsLongerThan37CharactersDoNotSurviveTheFile)
{
    TCipherManager chiffre;
    const std::string long50 = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";
    for (std::size_t n = 38; n <= 50; ++n) {
        const std::string mdp = long50.substr(0, n);
        const std::string octets = EcrireComptes(chiffre, {Compte("x", mdp)});
        EXPECT_EQ(std::uint8_t(octets[307]), 50u);
        chiffre.InitKey(CleFichierComptes);
        const std::string relu = LireComptes(chiffre, octets)[0].Password.Lire();
        ASSERT_EQ(relu.size(), 37u) << n;
        if (n < 48) {
            EXPECT_EQ(relu, mdp.substr(0, 37)) << n;
        } else {
            // A third whole block was enciphered, but only 5 of its bytes come back, read as
            // a partial block.
            EXPECT_EQ(relu.substr(0, 32), mdp.substr(0, 32)) << n;
            EXPECT_NE(relu.substr(32), mdp.substr(32, 5)) << n;
        }
    }
}

TEST(FichierComptes, EqualPasswordsGiveEqualBytesAndAnEmptyPasswordAnEmptyField)
{
    TCipherManager chiffre;
    TCompte a = Compte("A", "s\xE9same");
    TCompte b = Compte("B", "s\xE9same");
    // Characters of an earlier, longer clear password left in the field's spare bytes.
    b.Password = "un ancien mot de passe bien plus long";
    b.Password = "s\xE9same";
    const std::string octets = EcrireComptes(chiffre, {a, Compte("C", "autre"), b, Compte("D", "")});
    ASSERT_EQ(octets.size(), 4u * 368);
    EXPECT_EQ(octets.substr(307, 51), octets.substr(2 * 368 + 307, 51));
    EXPECT_NE(octets.substr(307, 51), octets.substr(368 + 307, 51));
    EXPECT_EQ(ChaineAt(octets, 307).size(), 8u);
    EXPECT_EQ(octets.substr(307 + 1 + 8, 42), std::string(42, '\0'));
    EXPECT_EQ(octets[3 * 368 + 307], '\0');
    EXPECT_EQ(octets.substr(3 * 368 + 308, 50), std::string(50, '\0'));

    chiffre.InitKey(CleFichierComptes);
    const auto relus = LireComptes(chiffre, octets);
    EXPECT_EQ(relus[0].Password.Lire(), "s\xE9same");
    EXPECT_EQ(relus[2].Password.Lire(), "s\xE9same");
    EXPECT_EQ(relus[3].Password.Lire(), "");
}

TEST(FichierComptes, AFileWrittenByHandFromTheLayoutLoads)
{
    test::DossierTemporaire d;
    std::string octets(2 * 368 + 100, '\0');
    // First record: every field at its offset, the password "secret" enciphered under the
    // accounts key, with blanks and without its padding.
    octets[0] = 1;
    PoserChaine(octets, 1, "Bureau");
    PoserChaine(octets, 52, "pop.bureau.fr");
    octets[103] = 'R';
    PoserChaine(octets, 154, "j.dupont");
    octets[306] = 'S';
    PoserChaine(octets, 307, "q88T R9A2");
    octets[358] = 'T';
    octets[364] = char(0xE3);  // 995, little-endian
    octets[365] = char(0x03);
    // Second record: a password that is not base64 at all.
    std::string r2(368, '\0');
    PoserChaine(r2, 1, "Autre");
    PoserChaine(r2, 307, "pas#base64");
    r2[364] = 110;
    octets.replace(368, 368, r2);
    // Then 100 trailing bytes: a third account whose missing bytes read as zero.
    PoserChaine(octets, 2 * 368 + 1, "\xC9t\xE9");
    test::EcrireTout(d.Chemin() / "Comptes.DAT", octets);

    TCipherManager chiffre;
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.comptes.Nombre(), 3u);
    EXPECT_EQ(r.motsDePasseIllisibles, 1);
    const TCompte& autre = r.comptes[0];
    const TCompte& bureau = r.comptes[1];
    const TCompte& ete = r.comptes[2];
    EXPECT_EQ(bureau.Description.Lire(), "Bureau");
    EXPECT_EQ(bureau.ServeurPOP.Lire(), "pop.bureau.fr");
    EXPECT_EQ(bureau.NomUser.Lire(), "j.dupont");
    EXPECT_EQ(bureau.Password.Lire(), "secret");
    EXPECT_EQ(bureau.PortPOP.Lire(), 995);
    EXPECT_EQ(bureau.ControleAuto, 1);
    EXPECT_EQ(bureau.Reserve1[0], 'R');
    EXPECT_EQ(bureau.Reserve2[101], 'S');
    EXPECT_EQ(bureau.Reserve3[0], 'T');
    EXPECT_EQ(autre.Description.Lire(), "Autre");
    EXPECT_EQ(autre.Password.Lire(), "");
    EXPECT_EQ(autre.PortPOP.Lire(), 110);
    EXPECT_EQ(ete.Description.Lire(), "\xC9t\xE9");
    EXPECT_EQ(ete.PortPOP.Lire(), 0);

    // Saving goes back to the one spelling of the name, readable by its owner only.
    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), r.comptes.Tous()).ok);
    EXPECT_FALSE(fs::exists(d.Chemin() / "Comptes.DAT"));
    const std::string ecrit = test::LireTout(d.Chemin() / "comptes.dat");
    ASSERT_EQ(ecrit.size(), 3u * 368);
    EXPECT_EQ(ChaineAt(ecrit, 368 + 307), "q88TR9A2");
    EXPECT_EQ(Droits(d.Chemin() / "comptes.dat"), 0600u);
}

TEST(FichierComptes, EmptyAndMissingFilesGiveAnEmptyListAndAnEmptyListAnEmptyFile)
{
    test::DossierTemporaire d;
    TCipherManager chiffre;
    ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.comptes.Nombre(), 0u);

    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), {}).ok);
    EXPECT_EQ(fs::file_size(d.Chemin() / "comptes.dat"), 0u);
    r = ChargerComptes(chiffre, d.Chemin());
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(r.comptes.Nombre(), 0u);
}

TEST(FichierComptes, AFolderInPlaceOfTheFileGivesTheLoadingFailureAndNoAccount)
{
    test::DossierTemporaire d;
    TCipherManager chiffre;
    fs::create_directory(d.Chemin() / "comptes.dat");
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Erreur lors de l'ouverture du fichier de comptes.");
    EXPECT_EQ(r.comptes.Nombre(), 0u);
    EXPECT_TRUE(chiffre.CleDefinie());  // the key stays set
}

TEST(FichierComptes, AFileWithoutReadPermissionGivesTheLoadingFailure)
{
    test::DossierTemporaire d;
    TCipherManager chiffre;
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    test::EcrireTout(d.Chemin() / "comptes.dat", EcrireComptes(chiffre, {Compte("A", "x")}));
    fs::permissions(d.Chemin() / "comptes.dat", fs::perms::none);
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, MessageErreurFichierComptes());
    EXPECT_FALSE(r.detail.empty());
    EXPECT_EQ(r.comptes.Nombre(), 0u);
}

TEST(FichierComptes, ReplacingAFileOpenToOthersLeavesItReadableByItsOwnerOnly)
{
    test::DossierTemporaire d;
    const fs::path chemin = d.Chemin() / "comptes.dat";
    test::EcrireTout(chemin, "ancien");
    fs::permissions(chemin, fs::perms(0644));
    TCipherManager chiffre;
    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), {Compte("A", "x")}).ok);
    EXPECT_EQ(Droits(chemin), 0600u);
    EXPECT_EQ(fs::file_size(chemin), 368u);
    // Nothing else is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(d.Chemin()), fs::directory_iterator()), 1);
}
