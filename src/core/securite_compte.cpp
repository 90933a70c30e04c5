#include "core/securite_compte.h"

#include <algorithm>
#include <cstring>

namespace vaskor {

namespace {

bool MemeCompte(const TSecuriteCompte& s, const TCompte& c)
{
    return s.Description.Lire() == c.Description.Lire() && s.ServeurPOP.Lire() == c.ServeurPOP.Lire() &&
           s.NomUser.Lire() == c.NomUser.Lire();
}

int Chiffre(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Texte TexteSecurite(ModeSecurite m)
{
    switch (m) {
    case ModeSecurite::Tls: return "SSL/TLS";
    case ModeSecurite::StartTls: return "STARTTLS";
    case ModeSecurite::Aucune: break;
    }
    return "Aucune (mot de passe en clair)";
}

Texte TexteEmpreinte(std::string_view brute)
{
    static const char hex[] = "0123456789ABCDEF";
    Texte t;
    for (const char c : brute) {
        if (!t.empty()) t += ':';
        t += hex[(static_cast<unsigned char>(c) >> 4) & 15];
        t += hex[static_cast<unsigned char>(c) & 15];
    }
    return t;
}

std::string LireEmpreinte(std::string_view texte)
{
    std::string brute;
    int demi = -1;
    for (const char c : texte) {
        if (c == ':' || c == ' ') continue;
        const int v = Chiffre(c);
        if (v < 0) return {};
        if (demi < 0) {
            demi = v;
        } else {
            brute += static_cast<char>(demi * 16 + v);
            demi = -1;
        }
    }
    return demi < 0 && brute.size() == 32 ? brute : std::string();
}

std::vector<TSecuriteCompte>::iterator SecuritesComptes::Trouver(const TCompte& compte)
{
    return std::find_if(e_.begin(), e_.end(), [&](const TSecuriteCompte& s) { return MemeCompte(s, compte); });
}

std::vector<TSecuriteCompte>::const_iterator SecuritesComptes::Trouver(const TCompte& compte) const
{
    return std::find_if(e_.begin(), e_.end(), [&](const TSecuriteCompte& s) { return MemeCompte(s, compte); });
}

ChoixSecurite SecuritesComptes::Pour(const TCompte& compte) const
{
    ChoixSecurite c;
    const auto it = Trouver(compte);
    if (it == e_.end() || it->Mode > static_cast<std::uint8_t>(ModeSecurite::StartTls)) {
        c.mode = SecuriteParDefaut(compte.PortPOP.Lire());
        if (it == e_.end()) return c;
    } else {
        c.mode = static_cast<ModeSecurite>(it->Mode);
        c.stocke = true;
    }
    if (it->LongueurEmpreinte == 32) c.empreinte.assign(reinterpret_cast<const char*>(it->Empreinte.data()), 32);
    return c;
}

void SecuritesComptes::Definir(const TCompte& compte, ModeSecurite mode, std::string_view empreinte)
{
    TSecuriteCompte s{};
    s.Description = compte.Description.Lire();
    s.ServeurPOP = compte.ServeurPOP.Lire();
    s.NomUser = compte.NomUser.Lire();
    s.Mode = static_cast<std::uint8_t>(mode);
    if (empreinte.size() == 32) {
        s.LongueurEmpreinte = 32;
        std::memcpy(s.Empreinte.data(), empreinte.data(), 32);
    }
    const auto it = Trouver(compte);
    if (it == e_.end())
        e_.push_back(s);
    else
        *it = s;
}

void SecuritesComptes::DefinirEmpreinte(const TCompte& compte, std::string_view empreinte)
{
    Definir(compte, Pour(compte).mode, empreinte);
}

void SecuritesComptes::Retirer(const TCompte& compte)
{
    const auto it = Trouver(compte);
    if (it != e_.end()) e_.erase(it);
}

void SecuritesComptes::Elaguer(const std::vector<TCompte>& comptes)
{
    std::erase_if(e_, [&](const TSecuriteCompte& s) {
        return std::none_of(comptes.begin(), comptes.end(), [&](const TCompte& c) { return MemeCompte(s, c); });
    });
}

SecuritesComptes FusionnerSecurites(const SecuritesComptes& memoire, const SecuritesComptes& base,
                                    const SecuritesComptes& disque, const std::vector<TCompte>& comptes)
{
    SecuritesComptes r = disque;
    for (const TCompte& c : comptes) {
        const ChoixSecurite ici = memoire.Pour(c);
        if (ici == base.Pour(c)) continue;
        if (ici.stocke)
            r.Definir(c, ici.mode, ici.empreinte);
        else
            r.Retirer(c);
    }
    return r;
}

ResultatFichier ChargerSecurites(const fs::path& dossier, SecuritesComptes& securites)
{
    std::string octets;
    bool existe = false;
    const ResultatFichier r = LireFichier(TrouverFichier(dossier, NomFichierSecurites), octets, &existe);
    if (!r.ok) return r;
    securites.Remplacer(DecouperEnregistrements<TSecuriteCompte>(octets));
    return r;
}

ResultatFichier EnregistrerSecurites(const fs::path& dossier, const SecuritesComptes& securites,
                                     const std::vector<TCompte>& comptes)
{
    SecuritesComptes copie = securites;
    copie.Elaguer(comptes);
    return EcrireFichierDonnees(dossier, NomFichierSecurites, AssemblerEnregistrements(copie.Enregistrements()), true);
}

}  // namespace vaskor
