#include "core/filtre.h"

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
    ResultatFichier r = LireFichier(TrouverFichier(dossier, NomFichierFiltres), octets, existe);
    if (!r.ok) return r;
    const ListeFiltres lus = DecoderFiltres(octets);
    liste.insert(liste.end(), lus.begin(), lus.end());
    return r;
}

ResultatFichier SauverFiltres(const fs::path& dossier, const ListeFiltres& liste)
{
    return EcrireFichierDonnees(dossier, NomFichierFiltres, EncoderFiltres(liste));
}

}  // namespace vaskor
