#include "core/fichiers.h"
#include "core/journal.h"
#include "core/securite_compte.h"
#include "crypto/fichier_comptes.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"
#include "support/verrou_externe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vaskor;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LancerCli;
using vaskor::test::LireTout;

namespace {

std::string Data(const DossierTemporaire& d) { return " --data '" + d.Chemin().string() + "'"; }

int Ajouter(const DossierTemporaire& d, const std::string& options, const std::string& motDePasse,
            std::string* erreurs = nullptr)
{
    std::string sortie;
    return LancerCli("accounts add" + Data(d) + " " + options, motDePasse + "\n", sortie, erreurs);
}

std::string Lister(const DossierTemporaire& d, int* statut = nullptr, std::string* erreurs = nullptr)
{
    std::string sortie;
    const int r = LancerCli("accounts" + Data(d), "", sortie, erreurs);
    if (statut) *statut = r;
    return sortie;
}

}  // namespace

TEST(CliComptes, AnAddedAccountFollowsTheEditorsRulesAndItsPasswordNeverShows)
{
    DossierTemporaire d;
    const std::string longue(60, 'd');
    // A port out of range is refused (status 2), nothing stored; the account goes in with 110.
    ASSERT_EQ(Ajouter(d, "--description 'Maison' --server pop.exemple.fr --user anne --port 99999", "s\xC3\xA9same"), 2);
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "comptes.dat"));
    ASSERT_EQ(Ajouter(d, "--description 'Maison' --server pop.exemple.fr --user anne", "s\xC3\xA9same"), 0);
    ASSERT_EQ(Ajouter(d, "--description '" + longue + "' --server s --user u --port 995", "x"), 0);
    ASSERT_EQ(Ajouter(d, "--description 'Bureau' --server pop.b.fr --user 'b o b'", "mdp"), 0);

    // Without --security an account takes TLS, on port 995 unless --port says otherwise (a port
    // out of range gives the security's default).
    EXPECT_EQ(Lister(d), "Bureau\tpop.b.fr\tb o b\t995\t1\ttls\t-\n" + std::string(50, 'd') +
                             "\ts\tu\t995\t1\ttls\t-\n"
                             "Maison\tpop.exemple.fr\tanne\t995\t1\ttls\t-\n");

    const std::string octets = LireTout(d.Chemin() / "comptes.dat");
    ASSERT_EQ(octets.size(), 3u * 368);
    EXPECT_EQ(octets.find("mdp"), std::string::npos);
    struct stat s {};
    ASSERT_EQ(::stat((d.Chemin() / "comptes.dat").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 0777, 0600u);

    TCipherManager chiffre;
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.comptes[0].Password.Lire(), "mdp");
    EXPECT_EQ(r.comptes[2].Password.Lire(), "s\xE9same");
}

TEST(CliComptes, AChangeWhileTheWindowSavesWaitsForTheFolderThenRefusesWithStatus3)
{
    DossierTemporaire d;
    const test::VerrouExterne fenetre(d.Chemin());
    ASSERT_TRUE(fenetre.Tenu());
    std::string erreurs;
    EXPECT_EQ(Ajouter(d, "--description Maison --server pop.exemple.fr --user anne", "x", &erreurs), 3);
    EXPECT_NE(erreurs.find("Un autre programme Vaskor travaille dans le dossier"), std::string::npos) << erreurs;
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "comptes.dat"));
}

TEST(CliComptes, RefusedInputGivesTheEditorsMessageAndChangesNothing)
{
    DossierTemporaire d;
    ASSERT_EQ(Ajouter(d, "--description A --server s --user u", "p"), 0);
    const std::string avant = LireTout(d.Chemin() / "comptes.dat");
    const std::pair<std::string, std::string> cas[] = {
        {"--server s --user u", "Pas de description saisie.\n"},
        {"--description B --user u", "Pas de nom de serveur POP saisi.\n"},
        {"--description B --server s", "Pas de nom d'utilisateur saisi.\n"},
        {"--description B --server s --user u --port ''", "Le num\xC3\xA9ro de port POP n'est pas renseign\xC3\xA9 (110 par d\xC3\xA9" "faut)\n"},
        {"--description a --server s --user u", "Un compte porte d\xC3\xA9j\xC3\xA0 la description \"A\".\n"},
    };
    for (const auto& [options, message] : cas) {
        std::string erreurs;
        EXPECT_EQ(Ajouter(d, options, "p", &erreurs), 1) << options;
        EXPECT_EQ(erreurs, message) << options;
    }
    std::string erreurs;
    EXPECT_EQ(Ajouter(d, "--description B --server s --user u", "", &erreurs), 1);
    EXPECT_EQ(erreurs, "Pas de mot de passe saisi.\n");
    // A password the file could not give back whole is refused rather than stored cut.
    EXPECT_EQ(Ajouter(d, "--description B --server s --user u", std::string(38, 'p'), &erreurs), 1);
    EXPECT_NE(erreurs.find("37"), std::string::npos);
    EXPECT_EQ(Ajouter(d, "--description B --server s --user u", std::string(37, 'p'), &erreurs), 0);
    std::string sortie;
    EXPECT_EQ(LancerCli("accounts add extra" + Data(d), "p\n", sortie, &erreurs), 64);
    EXPECT_EQ(LancerCli("accounts add --password x" + Data(d), "p\n", sortie, &erreurs), 64);

    // The 37-character password came back whole.
    TCipherManager chiffre;
    const ResultatChargementComptes r = ChargerComptes(chiffre, d.Chemin());
    ASSERT_EQ(r.comptes.Nombre(), 2u);
    EXPECT_EQ(r.comptes[1].Password.Lire(), std::string(37, 'p'));
    EXPECT_EQ(LireTout(d.Chemin() / "comptes.dat").substr(0, 368), avant);
}

TEST(CliComptes, RemovingAnAccountLeavesTheOthersByteForByte)
{
    DossierTemporaire d;
    // A hand-written file: an account whose password is not base64, and one whose reserved
    // bytes are set; both must survive the removal of a third unchanged.
    std::string illisible(368, '\0');
    illisible[0] = 1;
    illisible[1] = 4;
    illisible.replace(2, 4, "Abri");
    illisible[307] = 5;
    illisible.replace(308, 5, "#?!#?");
    std::string reserve(368, '\0');
    reserve[1] = 4;
    reserve.replace(2, 4, "Zinc");
    for (int i = 205; i < 307; ++i) reserve[i] = char(i);
    TCipherManager chiffre;
    TCompte c = TCompte::Vierge();
    c.Description = "Milieu";
    c.Password = "m";
    const std::string milieu = AssemblerEnregistrements(std::vector<TCompte>{ChiffrerCompte(chiffre, c)});
    EcrireTout(d.Chemin() / "COMPTES.dat", illisible + milieu + reserve);

    std::string sortie, erreurs;
    EXPECT_EQ(LancerCli("accounts remove Inconnu" + Data(d), "", sortie, &erreurs), 1);
    EXPECT_EQ(erreurs, "Aucun compte ne porte la description \"Inconnu\".\n");
    EXPECT_EQ(LancerCli("accounts remove milieu" + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "COMPTES.dat"));
    EXPECT_EQ(LireTout(d.Chemin() / "comptes.dat"), illisible + reserve);

    // Listing it shows the unreadable password as lost for the automatic check, with a warning.
    int statut = 0;
    EXPECT_EQ(Lister(d, &statut, &erreurs), "Abri\t\t\t0\t0\tnone\t-\nZinc\t\t\t0\t0\tnone\t-\n");
    EXPECT_EQ(statut, 0);
    EXPECT_NE(erreurs.find("illisible"), std::string::npos);
}

TEST(CliComptes, AnUnreadableAccountsFileIsReportedAndNeverOverwritten)
{
    DossierTemporaire d;
    std::filesystem::create_directory(d.Chemin() / "comptes.dat");
    int statut = 0;
    std::string erreurs;
    EXPECT_EQ(Lister(d, &statut, &erreurs), "");
    EXPECT_EQ(statut, 1);
    EXPECT_EQ(erreurs.rfind("Erreur lors de l'ouverture du fichier de comptes.\n", 0), 0u);
    EXPECT_EQ(Ajouter(d, "--description A --server s --user u", "p", &erreurs), 1);
    EXPECT_TRUE(std::filesystem::is_directory(d.Chemin() / "comptes.dat"));
}

TEST(CliJournal, PrintsTheFileLinesInOrder)
{
    DossierTemporaire d;
    std::string sortie;
    EXPECT_EQ(LancerCli("journal" + Data(d), "", sortie), 0);
    EXPECT_EQ(sortie, "");
    EcrireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT",
               LigneJournal("Maison", "Anne", "Sujet \xE9t\xE9", "25/12/2003 14:05:00", 12, "") + "\r\n" +
                   "seconde\tligne\t\n");
    EXPECT_EQ(LancerCli("journal" + Data(d), "", sortie), 0);
    EXPECT_EQ(sortie, "Maison\tAnne\tSujet \xC3\xA9t\xC3\xA9\t25/12/2003 14:05:00\t12\t-\t\nseconde\tligne\t\n");
}

TEST(CliScan, AnAccountIsTakenFromTheAccountsFileWithItsPasswordDeciphered)
{
    DossierTemporaire d;
    test::FauxServeurPop3 s;
    s.Connexion("anne", "s\xE9same").Stat(0, 0).Liste({}).Quitter();
    ASSERT_EQ(Ajouter(d, "--description 'Maison' --server 127.0.0.1 --user anne --security none --port " + std::to_string(s.Port()),
                      "s\xC3\xA9same"),
              0);
    s.Demarrer();
    std::string sortie, erreurs;
    EXPECT_EQ(LancerCli("scan --account maison" + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(sortie, "0\t0\n");
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), ::testing::IsEmpty());

    EXPECT_EQ(LancerCli("scan --account Absent" + Data(d), "", sortie, &erreurs), 1);
    EXPECT_EQ(erreurs, "Aucun compte ne porte la description \"Absent\".\n");
    EXPECT_EQ(LancerCli("scan --account Maison --host h" + Data(d), "", sortie, &erreurs), 64);
}

TEST(CliComptes, EachAccountKeepsItsSecurityAndTrustedCertificateBesideComptesDat)
{
    DossierTemporaire d;
    const std::string empreinte(32, '\xAB');
    ASSERT_EQ(Ajouter(d, "--description A --server a --user u --security starttls", "m"), 0);
    ASSERT_EQ(Ajouter(d, "--description B --server b --user u --security none --port 2110", "m"), 0);
    std::string erreurs, sortie;
    EXPECT_EQ(Ajouter(d, "--description C --server c --user u --security ssl", "m", &erreurs), 64);
    EXPECT_EQ(LancerCli("accounts trust A " + TexteEmpreinte(empreinte) + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(LancerCli("accounts trust A 12:34" + Data(d), "", sortie, &erreurs), 64);
    EXPECT_EQ(Lister(d), "A\ta\tu\t110\t1\tstarttls\t" + TexteEmpreinte(empreinte) + "\nB\tb\tu\t2110\t1\tnone\t-\n");
    // comptes.dat keeps its records and nothing else; removing an account removes its choice.
    EXPECT_EQ(LireTout(d.Chemin() / "comptes.dat").size(), 2u * 368);
    EXPECT_EQ(LancerCli("accounts remove A" + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(LireTout(d.Chemin() / "securites.dat").size(), 192u);
}
