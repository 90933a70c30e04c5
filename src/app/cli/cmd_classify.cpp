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

#include <charconv>
#include <string>

namespace {

using namespace vaskor;

int Usage(cli::Contexte& c, const Texte& erreur)
{
    c.EcrireErreur(erreur.empty() ? Texte("Usage: vaskor-cli classify FILE [--size N] [--write-counters] [--data DIR]")
                                  : erreur);
    c.EcrireErreur("\n");
    return 64;
}

int Classer(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args, {"--write-counters"});
    if (!a.erreur.empty() || a.positionnels.size() != 1) return Usage(c, a.erreur);
    std::int64_t taille = -1;
    if (a.options.count("--size")) {
        const Texte v = a.Valeur("--size");
        const auto [fin, ec] = std::from_chars(v.data(), v.data() + v.size(), taille);
        if (ec != std::errc() || fin != v.data() + v.size())
            return Usage(c, "--size attend un nombre d'octets : " + v);
    }
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

    const std::optional<ListeEntetes> lignes = LireBlocEntete(c, a.positionnels[0]);
    if (!lignes) return 1;
    TIdMessage m;
    m.Headers = *lignes;
    try {
        m.AnalyserEntetes();
    } catch (const Echec& e) {
        c.Ecrire("Error: " + e.Message() + "\n");
        return 2;
    }

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
        const ResultatFichier s = SauverFiltres(dossier, filtres);
        if (!s.ok) {
            c.EcrireErreur(s.erreur + "\n");
            return 1;
        }
    }
    return 0;
}

cli::EnregistrementCommande e("classify",
                              "verdict of the filters, friends and settings on a raw message (FILE, - for standard "
                              "input; --size N, --write-counters, --data DIR)",
                              Classer);

}  // namespace
