#pragma once
// How each account reaches its server: implicit TLS, STARTTLS or in clear, and the certificate
// the user chose to trust for it. comptes.dat keeps its 368-byte records untouched, so these
// choices live beside it in securites.dat, one 192-byte record per account that has one, found
// by the account's description, server and user name.

#include "core/chaine_courte.h"
#include "core/compte.h"
#include "core/fichiers.h"
#include "core/texte.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vaskor {

enum class ModeSecurite : std::uint8_t {
    Aucune = 0,    // USER/PASS in clear on the plain connection
    Tls = 1,       // TLS from the first byte (port 995)
    StartTls = 2,  // plain connection, then STLS and the handshake before USER
};

inline constexpr std::string_view NomFichierSecurites = "securites.dat";
inline constexpr int PortTls = 995;
inline constexpr int PortPop3 = 110;

// "SSL/TLS", "STARTTLS", "Aucune (mot de passe en clair)" (code page 1252).
Texte TexteSecurite(ModeSecurite m);
// Accounts saved before the choice existed: port 995 is implicit TLS, any other port in clear.
inline ModeSecurite SecuriteParDefaut(int port) { return port == PortTls ? ModeSecurite::Tls : ModeSecurite::Aucune; }
// The port a security uses when the user gives none.
inline int PortParDefaut(ModeSecurite m) { return m == ModeSecurite::Tls ? PortTls : PortPop3; }

// A SHA-256 fingerprint as 32 raw bytes; the texts are "AB:CD:..." and reading also takes the
// hex digits without colons. An empty string when the text is not 32 bytes of hex.
Texte TexteEmpreinte(std::string_view brute);
std::string LireEmpreinte(std::string_view texte);

#pragma pack(push, 1)
struct TSecuriteCompte {
    ChaineCourte<50> Description;
    ChaineCourte<50> ServeurPOP;
    ChaineCourte<50> NomUser;
    std::uint8_t Mode = 0;               // ModeSecurite; an unknown value reads as the default
    std::uint8_t LongueurEmpreinte = 0;  // 0 or 32
    std::array<std::uint8_t, 32> Empreinte{};
    std::array<std::uint8_t, 5> Reserve{};
};
#pragma pack(pop)
static_assert(sizeof(TSecuriteCompte) == 192);

struct ChoixSecurite {
    ModeSecurite mode = ModeSecurite::Aucune;
    std::string empreinte;  // 32 raw bytes of a trusted certificate, or empty
    bool stocke = false;    // false: the default from the port
    bool operator==(const ChoixSecurite&) const = default;
};

class SecuritesComptes {
public:
    // The stored choice for the account, else the default from its port.
    ChoixSecurite Pour(const TCompte& compte) const;
    // Stores the choice for the account (replacing any other).
    void Definir(const TCompte& compte, ModeSecurite mode, std::string_view empreinte = {});
    // Trusts one certificate for the account, keeping the security it uses now.
    void DefinirEmpreinte(const TCompte& compte, std::string_view empreinte);
    void Retirer(const TCompte& compte);
    // Keeps only the choices of accounts in the list.
    void Elaguer(const std::vector<TCompte>& comptes);
    const std::vector<TSecuriteCompte>& Enregistrements() const { return e_; }
    void Remplacer(std::vector<TSecuriteCompte> e) { e_ = std::move(e); }

private:
    std::vector<TSecuriteCompte> e_;
    std::vector<TSecuriteCompte>::iterator Trouver(const TCompte& compte);
    std::vector<TSecuriteCompte>::const_iterator Trouver(const TCompte& compte) const;
};

// The choices to write when this program read `base`, now holds `memoire` for the accounts
// `comptes`, and finds `disque` in the file: the disk's choices, with those of the accounts
// whose choice changed here (the account dialog, a certificate trusted during a check) put over
// them, so that a choice made elsewhere for another account stays.
SecuritesComptes FusionnerSecurites(const SecuritesComptes& memoire, const SecuritesComptes& base,
                                    const SecuritesComptes& disque, const std::vector<TCompte>& comptes);

// Reads securites.dat from the folder (whatever its letter case). A missing file is no failure.
ResultatFichier ChargerSecurites(const fs::path& dossier, SecuritesComptes& securites);
// Writes the choices of the accounts in `comptes` (the others are dropped), through a temporary
// file, readable by its owner only.
ResultatFichier EnregistrerSecurites(const fs::path& dossier, const SecuritesComptes& securites,
                                     const std::vector<TCompte>& comptes);

}  // namespace vaskor
