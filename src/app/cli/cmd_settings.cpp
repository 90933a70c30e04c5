// vaskor-cli settings [--data DIR] [--sans-son]: the settings as the program holds them after
// loading (defaults and range rules applied), one Key=value a line with the file's key names.

#include "cli/commande.h"

#include "core/compte.h"
#include "core/config.h"
#include "core/fichiers.h"
#include "crypto/fichier_comptes.h"

#include <string>

namespace {

using namespace vaskor;

// The accounts as the program holds them when it loads the settings: loaded, then each one's
// automatic-check flag kept only when it has a password.
bool CompteEnControleAutoDansFichier(const fs::path& dossier)
{
    TCipherManager chiffre;
    ResultatChargementComptes r = ChargerComptes(chiffre, dossier);
    r.comptes.NormaliserControleAuto();
    return UnCompteEnControleAuto(r.comptes);
}

Texte Ligne(std::string_view cle, std::string_view valeur) { return Texte(cle) + "=" + Texte(valeur) + "\n"; }
Texte LigneBooleen(std::string_view cle, bool valeur) { return Ligne(cle, std::string_view(valeur ? "1" : "0")); }
Texte LigneEntier(std::string_view cle, std::int32_t valeur) { return Ligne(cle, Texte(std::to_string(valeur))); }

cli::EnregistrementAide aide({"settings", "settings [--sans-son] [--data DOSSIER]",
                              "Les réglages tels que Vaskor les tient après lecture de vaskor.ini (valeurs par\n"
                              "défaut et bornes appliquées), une ligne Clé=valeur avec les noms du fichier, une\n"
                              "ligne \"Entêtes=nom\" par nom d'entête.",
                              {{"--sans-son", nullptr, "comme sur un ordinateur sans sortie audio"}, cli::OptionData}});

int Settings(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args, {"--sans-son"});
    if (!a.erreur.empty() || !a.positionnels.empty())
        throw cli::ErreurCommande{a.erreur.empty() ? Texte("argument inattendu.") : a.erreur, cli::StatutUsage};
    const fs::path dossier = cli::DossierDonnees(a);
    EnvironnementConfig env;
    // A command line has no sound output to ask; --sans-son shows what a computer without one
    // loads.
    env.sortieSonPresente = !a.A("--sans-son");
    env.compteEnControleAuto = CompteEnControleAutoDansFichier(dossier);

    TConfig k;
    const ResultatFichier r = ChargerConfig(dossier, k, env);
    if (!r.ok) c.EcrireErreur(r.erreur + "\n");

    Texte s;
    s += LigneBooleen("FiltresExpActif", k.FiltresExpActif);
    s += LigneBooleen("FiltresSujetActif", k.FiltresSujetActif);
    s += LigneBooleen("FiltresEnteteActif", k.FiltresEnteteActif);
    s += LigneBooleen("ControlerAuLancement", k.ControlerAuLancement);
    s += LigneBooleen("QueLesMailsDesAmis", k.QueLesMailsDesAmis);
    s += LigneBooleen("JouerSons", k.JouerSons);
    s += LigneBooleen("SonsParDef", k.SonsParDef);
    s += LigneBooleen("AutoRun", k.AutoRun);
    s += LigneBooleen("MasquerAuLancement", k.MasquerAuLancement);
    s += LigneBooleen("DeconnexionInternet", k.DeconnexionInternet);
    s += LigneBooleen("PasserTailleMax", k.PasserTailleMax);
    s += LigneBooleen("Contr\xF4lerA", k.ControlerA);
    s += LigneBooleen("Contr\xF4leAuto", k.ControleAuto);
    s += LigneBooleen("AllowSavePJ", k.AllowSavePJ);
    s += LigneBooleen("DoubleClicEditer", k.DoubleClicEditer);
    s += LigneBooleen("ApercuPlainText", k.ApercuPlainText);
    s += LigneEntier("Fr\xE9quenceContr\xF4leAuto", k.FrequenceControleAuto);
    s += LigneEntier("NbLignesSvg", k.NbLignesSvg);
    s += LigneEntier("ActionParD\xE9" "faut", k.ActionParDefaut);
    s += LigneEntier("TaillePasserMessage", k.TaillePasserMessage);
    for (const Texte& nom : k.Entetes) s += Ligne(kSectionEntetes, nom);
    s += Ligne("MsgOK", k.MsgOK);
    s += Ligne("MsgAMarquer", k.MsgAMarquer);
    s += Ligne("MsgAEffacer", k.MsgAEffacer);
    s += Ligne("HeureCtrl", k.HeureCtrl);
    s += LigneBooleen(kCleAutoriserReponse, ParametrePresent(dossier, kSectionGeneral, kCleAutoriserReponse));
    s += LigneBooleen(kCleAutoriserEnregistrementPJ,
                      ParametrePresent(dossier, kSectionGeneral, kCleAutoriserEnregistrementPJ));
    c.Ecrire(s);
    return r.ok ? 0 : 1;
}

cli::EnregistrementCommande e(
    "settings",
    "affiche les réglages après lecture, une ligne Clé=valeur",
    Settings);

}  // namespace
