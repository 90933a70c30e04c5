#include "core/config.h"

#include "core/fichier_ini.h"

namespace vaskor {

namespace {

const Texte kFrequence = "Fr\xE9quenceContr\xF4leAuto";
const Texte kControlerA = "Contr\xF4lerA";
const Texte kControleAuto = "Contr\xF4leAuto";
const Texte kActionParDefaut = "ActionParD\xE9" "faut";

// A sound named in the file but gone from the disk would fail at every check; it is forgotten.
Texte SonExistant(const Texte& nom, const fs::path& dossier)
{
    if (nom.empty()) return nom;
    fs::path p(Cp1252VersUtf8(nom));
    if (p.is_relative() && !dossier.empty()) p = dossier / p;
    std::error_code ec;
    const auto etat = fs::status(p, ec);
    return !ec && fs::exists(etat) && !fs::is_directory(etat) ? nom : Texte();
}

}  // namespace

bool UnCompteEnControleAuto(const ListeComptes& comptes)
{
    for (const TCompte& c : comptes.Tous())
        if (c.ControleAuto != 0) return true;
    return false;
}

TConfig ConfigParDefaut()
{
    TConfig c;
    c.FiltresExpActif = true;
    c.FiltresSujetActif = true;
    c.FiltresEnteteActif = true;
    c.JouerSons = true;
    c.SonsParDef = true;
    c.DeconnexionInternet = true;
    c.PasserTailleMax = true;
    c.ApercuPlainText = true;
    c.DecodageModerne = true;
    c.FrequenceControleAuto = 30;
    c.NbLignesSvg = 100;
    c.ActionParDefaut = 0;
    c.TaillePasserMessage = 300;
    c.HeureCtrl = "19:00";
    return c;
}

void LireConfig(const FichierIni& ini, TConfig& c, const EnvironnementConfig& env, const fs::path& dossierSons)
{
    const TConfig d = ConfigParDefaut();
    const Texte& G = kSectionGeneral;
    const Texte& M = kSectionMessages;
    const Texte& F = kSectionFiltrage;
    const Texte& S = kSectionSons;

    c.FiltresExpActif = ini.LireBooleen(F, "FiltresExpActif", d.FiltresExpActif);
    c.FiltresSujetActif = ini.LireBooleen(F, "FiltresSujetActif", d.FiltresSujetActif);
    c.FiltresEnteteActif = ini.LireBooleen(F, "FiltresEnteteActif", d.FiltresEnteteActif);
    c.ControlerAuLancement = ini.LireBooleen(G, "ControlerAuLancement", d.ControlerAuLancement);
    c.QueLesMailsDesAmis = ini.LireBooleen(F, "QueLesMailsDesAmis", d.QueLesMailsDesAmis);
    c.JouerSons = ini.LireBooleen(G, "JouerSons", d.JouerSons) && env.sortieSonPresente;
    c.SonsParDef = ini.LireBooleen(S, "SonsParDef", d.SonsParDef);
    c.AutoRun = ini.LireBooleen(G, "AutoRun", d.AutoRun);
    c.MasquerAuLancement = ini.LireBooleen(G, "MasquerAuLancement", d.MasquerAuLancement);
    c.DeconnexionInternet = ini.LireBooleen(G, "DeconnexionInternet", d.DeconnexionInternet);
    c.PasserTailleMax = ini.LireBooleen(M, "PasserTailleMax", d.PasserTailleMax);
    c.ControlerA = ini.LireBooleen(G, kControlerA, d.ControlerA);
    c.ControleAuto = ini.LireBooleen(G, kControleAuto, d.ControleAuto) && env.compteEnControleAuto;
    c.AllowSavePJ = ini.LireBooleen(M, "AllowSavePJ", d.AllowSavePJ);
    c.DoubleClicEditer = ini.LireBooleen(G, "DoubleClicEditer", d.DoubleClicEditer);
    c.ApercuPlainText = ini.LireBooleen(M, "ApercuPlainText", d.ApercuPlainText);
    c.DecodageModerne = ini.LireBooleen(M, "DecodageModerne", d.DecodageModerne);

    c.FrequenceControleAuto = ini.LireEntier(G, kFrequence, d.FrequenceControleAuto);
    if (c.FrequenceControleAuto < 1 || c.FrequenceControleAuto > 120) c.FrequenceControleAuto = 30;

    // Values 0 to 9 are kept: the options dialog's lower bound is not a loading rule.
    c.NbLignesSvg = ini.LireEntier(M, "NbLignesSvg", d.NbLignesSvg);
    if (c.NbLignesSvg > 1500) c.NbLignesSvg = 1500;
    else if (c.NbLignesSvg < 0) c.NbLignesSvg = 150;

    c.ActionParDefaut = ini.LireEntier(F, kActionParDefaut, d.ActionParDefaut);
    if (c.ActionParDefaut < 0 || c.ActionParDefaut > 2) c.ActionParDefaut = 0;

    c.TaillePasserMessage = ini.LireEntier(M, "TaillePasserMessage", d.TaillePasserMessage);
    if (c.TaillePasserMessage < 10) c.TaillePasserMessage = 300;
    else if (c.TaillePasserMessage > 15000) c.TaillePasserMessage = 15000;

    c.Entetes = ini.Cles(kSectionEntetes);

    c.MsgOK = SonExistant(ini.LireTexte(S, "MsgOK", d.MsgOK), dossierSons);
    c.MsgAMarquer = SonExistant(ini.LireTexte(S, "MsgAMarquer", d.MsgAMarquer), dossierSons);
    c.MsgAEffacer = SonExistant(ini.LireTexte(S, "MsgAEffacer", d.MsgAEffacer), dossierSons);
    c.HeureCtrl = ini.LireTexte(G, "HeureCtrl", d.HeureCtrl);
}

void EcrireConfig(const TConfig& c, FichierIni& ini)
{
    const Texte& G = kSectionGeneral;
    const Texte& M = kSectionMessages;
    const Texte& F = kSectionFiltrage;
    const Texte& S = kSectionSons;

    // This order decides where new keys land in a file that lacks them.
    ini.EcrireBooleen(G, "ControlerAuLancement", c.ControlerAuLancement);
    ini.Ecrire(G, "HeureCtrl", c.HeureCtrl);
    ini.EcrireBooleen(G, "DoubleClicEditer", c.DoubleClicEditer);
    ini.EcrireBooleen(G, kControlerA, c.ControlerA);
    ini.EcrireBooleen(F, "QueLesMailsDesAmis", c.QueLesMailsDesAmis);
    ini.EcrireBooleen(F, "FiltresExpActif", c.FiltresExpActif);
    ini.EcrireBooleen(F, "FiltresSujetActif", c.FiltresSujetActif);
    ini.EcrireBooleen(F, "FiltresEnteteActif", c.FiltresEnteteActif);
    ini.EcrireEntier(F, kActionParDefaut, c.ActionParDefaut);
    ini.EcrireBooleen(G, "JouerSons", c.JouerSons);
    ini.EcrireBooleen(G, "AutoRun", c.AutoRun);
    ini.EcrireBooleen(G, "MasquerAuLancement", c.MasquerAuLancement);
    ini.EcrireBooleen(M, "AllowSavePJ", c.AllowSavePJ);
    ini.EcrireBooleen(M, "PasserTailleMax", c.PasserTailleMax);
    ini.EcrireBooleen(M, "ApercuPlainText", c.ApercuPlainText);
    ini.EcrireEntier(M, "TaillePasserMessage", c.TaillePasserMessage);
    ini.EcrireEntier(M, "NbLignesSvg", c.NbLignesSvg);
    ini.EcrireBooleen(M, "DecodageModerne", c.DecodageModerne);
    ini.EcrireBooleen(G, "DeconnexionInternet", c.DeconnexionInternet);
    ini.EcrireBooleen(G, kControleAuto, c.ControleAuto);
    ini.EcrireEntier(G, kFrequence, c.FrequenceControleAuto);
    ini.EcrireBooleen(S, "SonsParDef", c.SonsParDef);
    ini.Ecrire(S, "MsgOK", c.MsgOK);
    ini.Ecrire(S, "MsgAMarquer", c.MsgAMarquer);
    ini.Ecrire(S, "MsgAEffacer", c.MsgAEffacer);

    // The header names are written as keys with nothing after the "=". A name that cannot stand
    // as a key (holding "=", say) is left out; a repeated one is written once.
    std::vector<Texte> noms;
    noms.reserve(c.Entetes.size());
    for (const Texte& nom : c.Entetes) noms.emplace_back(Rogner(nom));
    ini.RemplacerSectionCles(kSectionEntetes, noms);
}

fs::path CheminConfig(const fs::path& dossier) { return TrouverFichier(dossier, kNomFichierConfig); }

ResultatFichier ChargerConfig(const fs::path& dossier, TConfig& config, const EnvironnementConfig& env)
{
    FichierIni ini;
    const ResultatFichier r = ini.Charger(CheminConfig(dossier));
    // An unreadable file leaves `ini` empty: every default, then the same rules.
    LireConfig(ini, config, env, dossier);
    return r;
}

ResultatFichier EnregistrerConfig(const fs::path& dossier, const TConfig& config, const TConfig* lue)
{
    const fs::path chemin = CheminConfig(dossier);
    FichierIni ini;
    if (ResultatFichier r = ini.Charger(chemin); !r.ok) return r;
    const std::string avant = ini.Assembler();
    if (!lue) {
        EcrireConfig(config, ini);
    } else {
        FichierIni ancien, nouveau;
        EcrireConfig(*lue, ancien);
        EcrireConfig(config, nouveau);
        for (const Texte& section : {kSectionGeneral, kSectionMessages, kSectionFiltrage, kSectionSons})
            for (const Texte& cle : nouveau.Cles(section))
                if (const std::optional<Texte> v = nouveau.Lire(section, cle); v != ancien.Lire(section, cle))
                    ini.Ecrire(section, cle, v.value_or(Texte()));
        if (nouveau.Cles(kSectionEntetes) != ancien.Cles(kSectionEntetes))
            ini.RemplacerSectionCles(kSectionEntetes, nouveau.Cles(kSectionEntetes));
    }
    const std::string apres = ini.Assembler();
    std::error_code ec;
    if (apres == avant && chemin.filename() == fs::path(std::string(kNomFichierConfig)) && fs::exists(chemin, ec))
        return {};
    return EcrireFichierDonnees(dossier, kNomFichierConfig, apres);
}

bool ParametrePresent(const fs::path& dossier, std::string_view section, std::string_view cle)
{
    FichierIni ini;
    ini.Charger(CheminConfig(dossier));
    return ini.ACle(section, cle);
}

}  // namespace vaskor
