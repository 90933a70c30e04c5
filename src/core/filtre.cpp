#include "core/filtre.h"

#include "core/fusion_enregistrements.h"
#include "core/verrou_dossier.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <cstring>
#include <string>

namespace vaskor {

namespace {

const Texte& Vide()
{
    static const Texte v;
    return v;
}

template <std::size_t N>
const Texte& Prendre(const std::array<Texte, N>& table, std::int32_t i)
{
    return (i >= 0 && static_cast<std::size_t>(i) < N) ? table[static_cast<std::size_t>(i)] : Vide();
}

const std::array<Texte, NombreConditions>& Libelles()
{
    static const std::array<Texte, NombreConditions> t = {
        "(Pas de condition)"_cp,
        "Contient "_cp,
        "Ne contient pas "_cp,
        "Est égal à "_cp,
        "N'est pas égal à "_cp,
        "Commence par "_cp,
        "Ne commence pas par "_cp,
        "Commence par un nombre "_cp,
        "Finit par "_cp,
        "Ne finit pas par "_cp,
        "Est vide "_cp,
        "N'est pas vide "_cp,
        "Est essentiellement numérique "_cp,
        "Est numérique "_cp,
        "Est en majuscule "_cp,
    };
    return t;
}

}  // namespace

TFiltre TFiltre::Vierge()
{
    TFiltre f;
    std::memset(static_cast<void*>(&f), 0, sizeof f);
    return f;
}

bool ConditionAvecValeur(std::int32_t code)
{
    return (code >= CondContient && code <= CondNeCommencePasPar) || code == CondFinitPar ||
           code == CondNeFinitPasPar;
}

const Texte& LibelleCondition(std::int32_t code) { return Prendre(Libelles(), code); }

Texte TexteCondition(std::int32_t code, std::string_view valeur)
{
    if (!ConditionConnue(code)) return "(Condition inconnue : "_cp + std::to_string(code) + ")";
    Texte t = LibelleCondition(code);
    if (ConditionAvecValeur(code)) {
        t += '"';
        t += valeur;
        t += '"';
    }
    return t;
}

const Texte& NomAction(std::int32_t action)
{
    static const std::array<Texte, NombreActions> t = {"Accepter", "Marquer", "Effacer"};
    return Prendre(t, action);
}

const Texte& LibelleActionEditeur(std::int32_t action)
{
    static const std::array<Texte, NombreActions> t = {"Accepter", "Marquer mais ne pas effacer", "Effacer"};
    return Prendre(t, action);
}

const Texte& NomGenreFiltre(std::int32_t genre)
{
    static const std::array<Texte, NombreGenresFiltre> t = {"Expéditeur"_cp, "Sujet", "Entête"_cp};
    return Prendre(t, genre);
}

const Texte& NomEnteteFixe(std::int32_t numero)
{
    static const std::array<Texte, NombreEntetesFixes> t = {
        "", "Cc", "Content-Transfert-Encoding", "Content-Type", "Date", "From", "Message-Id", "Organization",
        "Reply-To", "Subject"};
    return Prendre(t, numero);
}

const Texte& LibelleEnteteFixe(std::int32_t numero)
{
    static const std::array<Texte, NombreEntetesFixes> t = {
        "", "CC", "Content transfert encoding", "Content Type", "Date", "From", "Message ID", "Organization",
        "Reply To", "Subject"};
    return Prendre(t, numero);
}

ListeFiltres DecoderFiltres(std::string_view octets) { return DecouperEnregistrements<TFiltre>(octets); }

std::string EncoderFiltres(const ListeFiltres& liste) { return AssemblerEnregistrements(liste); }

ResultatFichier ChargerFiltres(const fs::path& dossier, ListeFiltres& liste, bool* existe)
{
    std::string octets;
    const fs::path chemin = TrouverFichier(dossier, NomFichierFiltres);
    ResultatFichier r = LireFichier(chemin, octets, existe);
    if (!r.ok) return r;
    r.avertissement = GarderSiEndommage(chemin, octets.size(), sizeof(TFiltre));
    const ListeFiltres lus = DecoderFiltres(octets);
    liste.insert(liste.end(), lus.begin(), lus.end());
    return r;
}

ResultatFichier SauverFiltres(const fs::path& dossier, const ListeFiltres& liste)
{
    return EcrireFichierDonnees(dossier, NomFichierFiltres, EncoderFiltres(liste));
}

namespace {

bool MemeFiltreSaufCompteur(TFiltre a, TFiltre b)
{
    a.Compteur = 0;
    b.Compteur = 0;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The position in `l` of the first record equal to `f` but for the counter and not yet taken.
std::size_t Trouver(const ListeFiltres& l, const TFiltre& f, std::vector<bool>& pris)
{
    for (std::size_t i = 0; i < l.size(); ++i)
        if (!pris[i] && MemeFiltreSaufCompteur(l[i], f)) {
            pris[i] = true;
            return i;
        }
    return l.size();
}

}  // namespace

ListeFiltres FusionnerCompteurs(const ListeFiltres& memoire, const ListeFiltres& base, const ListeFiltres& disque)
{
    ListeFiltres r = memoire;
    std::vector<bool> prisBase(base.size()), prisDisque(disque.size());
    for (TFiltre& f : r) {
        const std::size_t b = Trouver(base, f, prisBase);
        const std::size_t d = Trouver(disque, f, prisDisque);
        if (b == base.size() || d == disque.size()) continue;
        const std::int64_t v = std::int64_t(disque[d].Compteur.Lire()) + f.Compteur.Lire() - base[b].Compteur.Lire();
        f.Compteur = std::int32_t(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::int32_t>::max()));
    }
    return r;
}

ListeFiltres FusionnerFiltres(const ListeFiltres& memoire, const ListeFiltres& base, const ListeFiltres& disque)
{
    // A filter has no name: its settings are its identity, and the counter is what runs change.
    return FusionnerTroisCopies(memoire, base, disque, MemeFiltreSaufCompteur, MemeFiltreSaufCompteur,
                                [](const TFiltre& m, const TFiltre& b, const TFiltre& d) {
                                    TFiltre f = m;
                                    const std::int64_t v =
                                        std::int64_t(d.Compteur.Lire()) + m.Compteur.Lire() - b.Compteur.Lire();
                                    f.Compteur = std::int32_t(
                                        std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::int32_t>::max()));
                                    return f;
                                });
}

ResultatFichier SauverFiltresFusion(const fs::path& dossier, ListeFiltres& liste, ListeFiltres& base)
{
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) return {false, TexteDossierOccupe(dossier)};
    ListeFiltres disque;
    // A file that cannot be read now gives no counts to add: this run's list is written as it is.
    const ListeFiltres fusion =
        ChargerFiltres(dossier, disque).ok ? FusionnerFiltres(liste, base, disque) : liste;
    ResultatFichier r = SauverFiltres(dossier, fusion);
    if (r.ok) liste = base = fusion;
    return r;
}

}  // namespace vaskor
