#include "core/fichiers.h"

#include "core/texte.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {
std::string Nom(const std::filesystem::path& p) { return vaskor::Utf8VersCp1252(p.string()); }
std::string Err(int e) { return vaskor::Utf8VersCp1252(std::strerror(e)); }
}  // namespace

namespace vaskor {

fs::path TrouverFichier(const fs::path& dossier, std::string_view nom)
{
    const fs::path exact = dossier / fs::path(std::string(nom));
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (EgalSansCasse(n, nom) && it->is_regular_file(ec)) return it->path();
    }
    return exact;
}

ResultatFichier LireFichier(const fs::path& chemin, std::string& octets, bool* existe)
{
    octets.clear();
    std::error_code ec;
    const bool present = fs::exists(chemin, ec);
    if (existe) *existe = present;
    if (!present) return {};
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return {false, "Impossible d'ouvrir le fichier "_cp + Nom(chemin) + " : " + Err(errno)};
    // The stream library throws on a read error (a folder of that name, a failing disk) even
    // with exceptions off.
    try {
        octets.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        octets.clear();
        return {false, "Erreur de lecture du fichier "_cp + Nom(chemin) + "."};
    }
    if (f.bad()) return {false, "Erreur de lecture du fichier "_cp + Nom(chemin) + "."};
    return {};
}

ResultatFichier EcrireFichierAtomique(const fs::path& chemin, std::string_view octets, bool proprietaireSeul)
{
    std::random_device alea;
    const fs::path temp = chemin.parent_path() /
                          ("." + chemin.filename().string() + ".tmp" + std::to_string(alea() % 1000000));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, proprietaireSeul ? 0600 : 0644);
    if (fd < 0)
        return {false, "Impossible d'écrire le fichier "_cp + Nom(chemin) + " : " + Err(errno)};
    std::size_t ecrit = 0;
    while (ecrit < octets.size()) {
        const ssize_t n = ::write(fd, octets.data() + ecrit, octets.size() - ecrit);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string e = Err(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return {false, "Impossible d'écrire le fichier "_cp + Nom(chemin) + " : " + e};
        }
        ecrit += std::size_t(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string e = Err(errno);
        ::unlink(temp.c_str());
        return {false, "Impossible d'écrire le fichier "_cp + Nom(chemin) + " : " + e};
    }
    if (::rename(temp.c_str(), chemin.c_str()) != 0) {
        const std::string e = Err(errno);
        ::unlink(temp.c_str());
        return {false, "Impossible de remplacer le fichier "_cp + Nom(chemin) + " : " + e};
    }
    return {};
}

ResultatFichier EcrireFichierDonnees(const fs::path& dossier, std::string_view nom, std::string_view octets,
                                     bool proprietaireSeul)
{
    const fs::path autre = TrouverFichier(dossier, nom);
    const fs::path cible = dossier / fs::path(std::string(nom));
    ResultatFichier r = EcrireFichierAtomique(cible, octets, proprietaireSeul);
    if (r.ok && autre != cible) {
        std::error_code ec;
        fs::remove(autre, ec);
    }
    return r;
}

}  // namespace vaskor
