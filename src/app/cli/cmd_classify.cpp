// vaskor-cli classify FILE: the verdict a check would give the message of FILE, with the
// program folder's filters, friends and settings.

#include "cli/commande.h"
#include "cli/lecture_message.h"
#include "core/ami.h"
#include "core/config.h"
#include "core/filtre.h"
#include "engine/classification.h"
#include "mail/echec.h"
#include "mail/message.h"

#include <limits>
#include <string>

namespace {

using namespace vaskor;

cli::EnregistrementAide aide({"classify",
                              "classify FICHIER [--size N] [--write-counters] [--data DOSSIER]",
                              "Le verdict que donneraient les amis, les filtres et les réglages au message de\n"
                              "FICHIER (- pour l'entrée standard) : \"Verdict: N\" (0 accepter, 1 marquer,\n"
                              "2 effacer), \"Raison: ...\" pour 1 et 2, \"Filtre: i\" quand un filtre a décidé.",
                              {{"--size", "N", "taille du message en octets, pour la limite de taille"},
                               {"--write-counters", nullptr, "enregistre le compteur du filtre qui a décidé"},
                               cli::OptionDecodageModerne, cli::OptionData}});

int Usage(cli::Contexte&, const Texte& erreur)
{
    throw cli::ErreurCommande{erreur.empty() ? Texte("il faut un FICHIER (- pour l'entr\xE9" "e standard).") : erreur,
                              cli::StatutUsage};
}

int Classer(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args, {"--write-counters"});
    if (!a.erreur.empty() || a.positionnels.size() != 1) return Usage(c, a.erreur);
    const std::int64_t taille = cli::ValeurEntiere(a, "--size", 0, std::numeric_limits<std::int64_t>::max(), -1);
    const fs::path dossier = cli::DossierDonnees(a);

    // A folder whose files cannot be read would give a verdict from nothing, and
    // --write-counters would then replace the filters file with an empty one: stop instead.
    ListeFiltres filtres;
    ListeAmis amis;
    TConfig config;
    for (const ResultatFichier& r : {ChargerFiltres(dossier, filtres), ChargerAmis(dossier, amis),
                                     ChargerConfig(dossier, config, EnvironnementConfig{})}) {
        if (!r.ok) {
            c.EcrireErreur(r.erreur + "\n");
            return 1;
        }
    }

    const bool moderne = cli::DecodageModerne(a, [&config] { return config.DecodageModerne; });
    const std::optional<ListeEntetes> lignes = LireBlocEntete(c, a.positionnels[0]);
    if (!lignes) return 1;
    TIdMessage m;
    m.DecodageModerne = moderne;
    m.Headers = *lignes;
    try {
        m.AnalyserEntetes();
    } catch (const Echec& e) {
        c.Ecrire("Error: " + e.Message() + "\n");
        return 2;
    }

    ListeFiltres filtresLus = filtres;
    const OptionsFiltrage options = OptionsDepuisConfig(config);
    TResultatFiltrage r;
    if (!PasserSansFiltrer(options, taille)) FiltrerMessage(m, filtres, amis, options, r);

    c.Ecrire("Verdict: " + std::to_string(r.Verdict) + "\n");
    if (r.Verdict == ActionMarquer || r.Verdict == ActionEffacer) {
        Texte raison = r.Raison;
        for (char& ch : raison)  // one output line, whatever a decoded header held
            if (ch == '\r' || ch == '\n') ch = ' ';
        c.Ecrire("Raison: " + raison + "\n");
    }
    if (r.IndiceFiltre >= 0) c.Ecrire("Filtre: " + std::to_string(r.IndiceFiltre) + "\n");

    if (a.A("--write-counters")) {
        // Only this message's count is added to the file as it is now (under the folder's
        // lock): a filter or a count written meanwhile by another program stays.
        const ResultatFichier s = SauverFiltresFusion(dossier, filtres, filtresLus);
        if (!s.ok) {
            c.EcrireErreur(s.erreur + "\n");
            return 1;
        }
    }
    return 0;
}

cli::EnregistrementCommande e("classify",
                              "verdict des amis, filtres et réglages sur un message brut",
                              Classer);

}  // namespace
