#include "core/ami.h"

#include "core/fusion_enregistrements.h"
#include "core/verrou_dossier.h"

#include <algorithm>
#include <cstring>

namespace vaskor {

TAmi TAmi::Vierge()
{
    TAmi a;
    std::memset(static_cast<void*>(&a), 0, sizeof a);
    return a;
}

void TrierAmis(ListeAmis& liste)
{
    std::stable_sort(liste.begin(), liste.end(), [](const TAmi& a, const TAmi& b) {
        return ComparerSansCasse(a.Nom.Lire(), b.Nom.Lire()) < 0;
    });
}

const Texte& NomTypeAmi(const TAmi& ami)
{
    static const Texte adresse = "Adresse", domaine = "Domaine";
    return ami.EstDomaine() ? domaine : adresse;
}

AdresseSeparee SeparerAdresse(std::string_view adresse)
{
    const auto at = adresse.find('@');
    if (at == std::string_view::npos) return {Texte(adresse), {}};
    return {Texte(adresse.substr(0, at)), Texte(adresse.substr(at + 1))};
}

bool EstUnAmi(const ListeAmis& amis, std::string_view adresse)
{
    const AdresseSeparee s = SeparerAdresse(adresse);
    for (const TAmi& a : amis) {
        const Texte nom = a.Nom.Lire();
        if (nom == adresse || nom == s.domaine) return true;
    }
    return false;
}

bool AdresseValide(std::string_view texte)
{
    const auto at = texte.find('@');
    return at != std::string_view::npos && texte.find('.', at + 1) != std::string_view::npos;
}

ListeAmis DecoderAmis(std::string_view octets) { return DecouperEnregistrements<TAmi>(octets); }

std::string EncoderAmis(const ListeAmis& liste) { return AssemblerEnregistrements(liste); }

ResultatFichier ChargerAmis(const fs::path& dossier, ListeAmis& liste, bool* existe)
{
    std::string octets;
    const fs::path chemin = TrouverFichier(dossier, NomFichierAmis);
    ResultatFichier r = LireFichier(chemin, octets, existe);
    if (!r.ok) return r;
    r.avertissement = GarderSiEndommage(chemin, octets.size(), sizeof(TAmi));
    const ListeAmis lus = DecoderAmis(octets);
    liste.insert(liste.end(), lus.begin(), lus.end());
    return r;
}

ResultatFichier SauverAmis(const fs::path& dossier, const ListeAmis& liste)
{
    return EcrireFichierDonnees(dossier, NomFichierAmis, EncoderAmis(liste));
}

ListeAmis FusionnerAmis(const ListeAmis& memoire, const ListeAmis& base, const ListeAmis& disque)
{
    ListeAmis r = FusionnerTroisCopies(
        memoire, base, disque,
        [](const TAmi& a, const TAmi& b) {
            return std::string_view(a.Nom.car.data(), a.Nom.Taille()) ==
                   std::string_view(b.Nom.car.data(), b.Nom.Taille());
        },
        [](const TAmi& a, const TAmi& b) { return std::memcmp(&a, &b, sizeof a) == 0; },
        [](const TAmi&, const TAmi&, const TAmi& d) { return d; });
    TrierAmis(r);
    return r;
}

ResultatFichier SauverAmisFusion(const fs::path& dossier, ListeAmis& liste, ListeAmis& base)
{
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) return {false, TexteDossierOccupe(dossier)};
    ListeAmis disque;
    // A file that cannot be read now is replaced by this program's list, as a plain save would.
    ListeAmis fusion = ChargerAmis(dossier, disque).ok ? FusionnerAmis(liste, base, disque) : liste;
    ResultatFichier r = SauverAmis(dossier, fusion);
    if (r.ok) liste = base = std::move(fusion);
    return r;
}

ResultatFichier AjouterAmiAdresse(const fs::path& dossier, ListeAmis& liste, std::string_view adresse)
{
    TAmi a = TAmi::Vierge();
    a.TypeAmi = AmiAdresse;
    a.Nom = adresse;
    liste.push_back(a);
    TrierAmis(liste);
    return SauverAmis(dossier, liste);
}

}  // namespace vaskor
