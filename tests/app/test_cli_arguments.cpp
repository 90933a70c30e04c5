#include "core/filtre.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

using namespace vaskor::test;

namespace {

std::string Data(const DossierTemporaire& d) { return " --data '" + d.Chemin().string() + "'"; }

// Columns are aligned in characters ("CLÉ" is three).
std::size_t Caracteres(const std::string& utf8)
{
    return std::size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

TEST(CliArguments, BadValuesAndOptionsAreRefusedWithTheirStatusAndNothingIsStored)
{
    struct Cas {
        std::string arguments;  // --data of a fresh folder appended when `data`
        bool data;
        int statut;
        std::string erreur;  // part of standard error
    };
    const std::string add = "accounts add --description A --server s --user u";
    const Cas cas[] = {
        {add + " --port abc", true, 2, "--port attend un nombre entier de 1 \xC3\xA0 65535, pas \xC2\xAB abc \xC2\xBB."},
        {add + " --port 0", true, 2, "pas \xC2\xAB 0 \xC2\xBB"},
        {add + " --port=65536", true, 2, "pas \xC2\xAB 65536 \xC2\xBB"},
        {add + " --port -110", true, 2, "pas \xC2\xAB -110 \xC2\xBB"},
        {add + " --port 99999999999999999999", true, 2, "1 \xC3\xA0 65535"},
        {add + " --port ' 25'", true, 2, "1 \xC3\xA0 65535"},
        {"scan --host h --user u --port 11O", false, 2, "Aide : vaskor-cli scan --help"},
        {"classify - --size -1", true, 2, "--size attend un nombre entier de 0"},
        {"show --account Maison 0", true, 2, "N attend un num\xC3\xA9ro de message \xC3\xA0 partir de 1, pas \xC2\xAB 0 \xC2\xBB."},
        {"check --acount Maison", true, 64, "vaskor-cli check : option inconnue : --acount."},
        {add + " --password x", true, 64, "Aide : vaskor-cli accounts add --help"},
        {"accounts add --port", false, 64, "L'option --port attend une valeur."},
        {"frobnicate", false, 64, "commande inconnue \xC2\xAB frobnicate \xC2\xBB"},
        {"check --data /nulle/part", false, 1, "le dossier des donn\xC3\xA9" "es \xC2\xAB /nulle/part \xC2\xBB n'existe pas."},
        {"check", true, 1, "aucun compte dans"},
        {"check --auto", true, 1, "aucun compte dans"},
    };
    for (const Cas& c : cas) {
        DossierTemporaire d;
        std::string sortie, erreurs;
        EXPECT_EQ(LancerCli(c.arguments + (c.data ? Data(d) : ""), "secret\n", sortie, &erreurs), c.statut)
            << c.arguments << "\n" << erreurs;
        EXPECT_NE(erreurs.find(c.erreur), std::string::npos) << c.arguments << "\n" << erreurs;
        EXPECT_EQ(sortie, "") << c.arguments;
        EXPECT_TRUE(std::filesystem::is_empty(d.Chemin())) << c.arguments;
    }
}

TEST(CliArguments, EveryCommandHasAFrenchHelpWithAlignedOptions)
{
    std::string general, erreurs;
    ASSERT_EQ(LancerCli("--help", "", general), 0);
    const std::regex ligneCommande("^  ([a-z]+) +\\S.*$");
    std::vector<std::string> commandes;
    for (const std::string& l : Lignes(general)) {
        std::smatch m;
        if (std::regex_match(l, m, ligneCommande)) commandes.push_back(m[1]);
    }
    ASSERT_GE(commandes.size(), 9u) << general;
    commandes.push_back("accounts add");
    commandes.push_back("accounts remove");
    for (const std::string& c : commandes) {
        std::string aide;
        ASSERT_EQ(LancerCli(c + " --help", "", aide, &erreurs), 0) << c << erreurs;
        EXPECT_EQ(aide.rfind("Usage : vaskor-cli " + c, 0), 0u) << aide;
        // The option column ends where "-h, --help" ends: every description starts below it.
        std::size_t colonne = std::string::npos;
        for (const std::string& l : Lignes(aide))
            if (l.rfind("  -h, --help ", 0) == 0) colonne = l.find_first_not_of(' ', 12);
        ASSERT_NE(colonne, std::string::npos) << aide;
        bool options = false;
        for (const std::string& l : Lignes(aide)) {
            if (l == "Options :") {
                options = true;
            } else if (options && l.rfind("  -", 0) == 0 && l.find("--help") == std::string::npos) {
                EXPECT_EQ(Caracteres(l.substr(0, l.find("   ") + 3 + l.substr(l.find("   ") + 3).find_first_not_of(' '))),
                          colonne)
                    << l;
            }
        }
    }
}

TEST(CliArguments, AddAndRemoveConfirmInOneLine)
{
    DossierTemporaire d;
    std::string sortie;
    ASSERT_EQ(LancerCli("accounts add --description Maison --server pop.exemple.fr --user anne --port 995" + Data(d),
                        "secret\n", sortie),
              0);
    EXPECT_EQ(sortie, "Compte \xC2\xAB Maison \xC2\xBB ajout\xC3\xA9 (pop.exemple.fr:995, SSL/TLS).\n");
    ASSERT_EQ(LancerCli("accounts remove maison" + Data(d), "", sortie), 0);
    EXPECT_EQ(sortie, "Compte \xC2\xAB Maison \xC2\xBB supprim\xC3\xA9.\n");
}

TEST(CliCheck, QuietKeepsDeletionsAndFailuresEachWithTheRunsDateAndTheAccount)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(2, 300).Liste({100, 200});
    s.Entete(1, {"From: anne@exemple.fr", "Subject: bonjour"});
    s.TailleMessage(1, 100);
    s.Entete(2, {"From: pub@exemple.com", "Subject: SPAM"});
    s.TailleMessage(2, 200).Suppression(2).Quitter();
    s.Demarrer();
    DossierTemporaire d;
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("accounts add --description Maison --server 127.0.0.1 --user anne --security none --port " +
                            std::to_string(s.Port()) + Data(d),
                        "secret\n", sortie),
              0);
    vaskor::TFiltre spam = vaskor::TFiltre::Vierge();
    spam.TypeFiltre = vaskor::FiltreSujet;
    spam.Condition1 = vaskor::CondContient;
    spam.Valeur1 = "SPAM";
    spam.Action = vaskor::ActionEffacer;
    spam.Actif = 1;
    ASSERT_TRUE(vaskor::SauverFiltres(d.Chemin(), {spam}).ok);

    EXPECT_EQ(LancerCli("check --quiet" + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_TRUE(s.AttendreFin());
    const std::regex ligne("supprim\xC3\xA9\tMaison\tpub@exemple.com\tSPAM\t.*\t200\t.*\t"
                           "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\tMaison\n");
    EXPECT_TRUE(std::regex_match(sortie, ligne)) << sortie;
}
