#pragma once
// Data files: found whatever the letter case of their name, read whole, written whole to a
// temporary file beside them and renamed over the old one, so a crash or a full disk never
// leaves a torn file.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vaskor {

namespace fs = std::filesystem;

// The file `nom` in `dossier`: the exact name when it exists, else the first entry whose name
// matches without regard to ASCII case, else the exact name (which does not exist yet).
fs::path TrouverFichier(const fs::path& dossier, std::string_view nom);

// The system's text for an error number, in French and code page 1252 ("Permission non
// accordée"); the number itself for the rare ones without a translation here.
std::string TexteErreurSysteme(int numero);

struct ResultatFichier {
    ResultatFichier() = default;
    ResultatFichier(bool reussi, std::string raison) : ok(reussi), erreur(std::move(raison)) {}
    bool ok = true;
    std::string erreur;  // why it failed, in French, for the user
    std::string avertissement;  // read, but the user must hear of something (a damaged file)
};

// A record file whose length is not a whole number of records was cut short or is not ours:
// before anything replaces it, it is copied to NAME.endommage (NAME.endommage.2... when that
// exists). Returns what to tell the user, empty when the length is whole.
std::string GarderSiEndommage(const fs::path& chemin, std::size_t taille, std::size_t tailleEnregistrement);
// The copy itself, with the text to tell (`pourquoi` says what is wrong).
std::string GarderCopieEndommagee(const fs::path& chemin, const std::string& pourquoi);

// The largest data file read whole. The record files hold a few kilobytes; one above this is
// garbage or not ours, and reading it would only cost memory and time.
inline constexpr std::uintmax_t TailleMaxFichierDonnees = std::uintmax_t(64) << 20;

// Reads the whole file. A missing file is not an error for the caller to show: `existe` tells.
// Something that is not a plain file (a folder, a pipe, a device) and a file larger than
// `tailleMax` are refused with the reason.
ResultatFichier LireFichier(const fs::path& chemin, std::string& octets, bool* existe = nullptr,
                            std::uintmax_t tailleMax = TailleMaxFichierDonnees);

// Writes `octets` to a temporary file in the same folder, flushes it to disk and renames it over
// `chemin`; on any failure the old file is left as it was and the temporary one removed.
// A new file is readable and writable by its owner only; a file that is replaced keeps its
// permissions, unless `proprietaireSeul` makes it its owner's only whatever they were.
ResultatFichier EcrireFichierAtomique(const fs::path& chemin, std::string_view octets,
                                      bool proprietaireSeul = false);

// Saves a data file under its one spelling `nom` and removes a copy of it spelled with other
// letter cases (one brought from another machine), so that the next load finds this one.
ResultatFichier EcrireFichierDonnees(const fs::path& dossier, std::string_view nom,
                                     std::string_view octets, bool proprietaireSeul = false);

// The same save in two steps, for a write that must follow an event by as little as possible:
// PreparerFichierDonnees writes and flushes the temporary file; Remplacer then only renames it
// over the old file. A prepared file never put in place is removed (Abandonner, or the end of
// the object).
class FichierPrepare {
public:
    FichierPrepare() = default;
    FichierPrepare(FichierPrepare&& o) noexcept;
    FichierPrepare& operator=(FichierPrepare&& o) noexcept;
    ~FichierPrepare();
    bool Pret() const { return !temp_.empty(); }
    ResultatFichier Remplacer();
    void Abandonner();

private:
    friend ResultatFichier PreparerFichierDonnees(const fs::path&, std::string_view, std::string_view,
                                                  FichierPrepare&, bool);
    fs::path temp_, cible_, autre_;
};
ResultatFichier PreparerFichierDonnees(const fs::path& dossier, std::string_view nom, std::string_view octets,
                                       FichierPrepare& prepare, bool proprietaireSeul = false);

// Splits a file into fixed-size records; a short last record is completed with zero bytes.
template <typename T>
std::vector<T> DecouperEnregistrements(std::string_view octets)
{
    std::vector<T> r;
    r.reserve((octets.size() + sizeof(T) - 1) / sizeof(T));
    for (std::size_t i = 0; i < octets.size(); i += sizeof(T)) {
        T e;
        std::memset(static_cast<void*>(&e), 0, sizeof(T));
        const std::size_t n = octets.size() - i < sizeof(T) ? octets.size() - i : sizeof(T);
        std::memcpy(static_cast<void*>(&e), octets.data() + i, n);
        r.push_back(e);
    }
    return r;
}

template <typename T>
std::string AssemblerEnregistrements(const std::vector<T>& enregistrements)
{
    std::string r(enregistrements.size() * sizeof(T), '\0');
    if (!enregistrements.empty()) std::memcpy(r.data(), enregistrements.data(), r.size());
    return r;
}

}  // namespace vaskor
