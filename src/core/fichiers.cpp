#include "core/fichiers.h"

#include "core/texte.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <random>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string Nom(const std::filesystem::path& p) { return vaskor::Utf8VersCp1252(p.string()); }
std::string Err(int e) { return vaskor::TexteErreurSysteme(e); }
}  // namespace

namespace vaskor {

std::string TexteErreurSysteme(int numero)
{
    const char* t = nullptr;
    switch (numero) {
    case ENOENT: t = "Aucun fichier ou dossier de ce nom"; break;
    case EACCES: t = "Permission non accordée"; break;
    case EPERM: t = "Opération non permise"; break;
    case ENOSPC: t = "Plus de place sur le disque"; break;
    case EDQUOT: t = "Quota de disque dépassé"; break;
    case EROFS: t = "Système de fichiers en lecture seule"; break;
    case ENOTDIR: t = "N'est pas un dossier"; break;
    case EISDIR: t = "Est un dossier"; break;
    case EEXIST: t = "Le fichier existe"; break;
    case EIO: t = "Erreur d'entrée-sortie"; break;
    case ENAMETOOLONG: t = "Nom de fichier trop long"; break;
    case ELOOP: t = "Trop de liens symboliques"; break;
    case EMFILE:
    case ENFILE: t = "Trop de fichiers ouverts"; break;
    case ENOMEM: t = "Mémoire insuffisante"; break;
    case EBUSY: t = "Périphérique ou ressource occupé"; break;
    case ETXTBSY: t = "Fichier texte occupé"; break;
    case EFBIG: t = "Fichier trop gros"; break;
    case EXDEV: t = "Lien entre périphériques différents"; break;
    case ENOTEMPTY: t = "Le dossier n'est pas vide"; break;
    case EAGAIN: t = "Ressource temporairement indisponible"; break;
    case EINVAL: t = "Argument invalide"; break;
    case ENXIO: t = "Aucun périphérique ou adresse de ce nom"; break;
    case ENODEV: t = "Aucun périphérique de ce type"; break;
    case ESTALE: t = "Descripteur de fichier NFS périmé"; break;
    default: return "erreur système n\xB0 " + std::to_string(numero) + " (" + Utf8VersCp1252(std::strerror(numero)) + ")";
    }
    return Utf8VersCp1252(t);
}

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

ResultatFichier LireFichier(const fs::path& chemin, std::string& octets, bool* existe, std::uintmax_t tailleMax)
{
    octets.clear();
    std::error_code ec;
    const bool present = fs::exists(chemin, ec);
    if (existe) *existe = present;
    if (!present) return {};
    // Without O_NONBLOCK a pipe put in the file's place would hang the program until some
    // writer opened it.
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {false, "Impossible d'ouvrir le fichier "_cp + Nom(chemin) + " : " + Err(errno)};
    struct stat etat {};
    if (::fstat(fd, &etat) != 0) {
        const std::string e = Err(errno);
        ::close(fd);
        return {false, "Erreur de lecture du fichier "_cp + Nom(chemin) + " : " + e};
    }
    if (!S_ISREG(etat.st_mode)) {
        ::close(fd);
        return {false, "Le chemin "_cp + Nom(chemin) + " n'est pas un fichier."};
    }
    const auto tropGrand = [&] {
        ::close(fd);
        octets.clear();
        return ResultatFichier{false, "Le fichier "_cp + Nom(chemin) + " est trop grand pour \xEAtre lu."};
    };
    if (std::uintmax_t(etat.st_size) > tailleMax) return tropGrand();
    try {
        octets.reserve(std::size_t(etat.st_size));
        char tampon[65536];
        for (;;) {
            const ssize_t n = ::read(fd, tampon, sizeof tampon);
            if (n < 0) {
                if (errno == EINTR) continue;
                const std::string e = Err(errno);
                ::close(fd);
                octets.clear();
                return {false, "Erreur de lecture du fichier "_cp + Nom(chemin) + " : " + e};
            }
            if (n == 0) break;
            // The file may grow while it is read.
            if (octets.size() + std::size_t(n) > tailleMax) return tropGrand();
            octets.append(tampon, std::size_t(n));
        }
    } catch (const std::exception&) {
        ::close(fd);
        octets.clear();
        return {false, "Erreur de lecture du fichier "_cp + Nom(chemin) + "."};
    }
    ::close(fd);
    return {};
}

namespace {

// Creates a temporary file beside `chemin` that no one else has: O_EXCL, so an existing file of
// that name (left by a crash, or planted as a link) is never opened and truncated.
int CreerTemporaire(const fs::path& chemin, mode_t mode, fs::path& temp)
{
    std::random_device alea;
    for (int essai = 0; essai < 100; ++essai) {
        temp = chemin.parent_path() / ("." + chemin.filename().string() + ".tmp" + std::to_string(alea() % 1000000));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Makes the rename itself durable; a folder that cannot be opened or synced (some file systems
// refuse) changes nothing to the result, the data is already on disk.
void SynchroniserDossier(const fs::path& dossier)
{
    const int fd = ::open(dossier.empty() ? "." : dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// `modele` is the file whose permissions the new one takes when it exists: the one replaced, or
// the copy under another letter case that the new one supersedes.
ResultatFichier EcrireTemporaire(const fs::path& chemin, std::string_view octets, bool proprietaireSeul,
                                 const fs::path& modele, fs::path& temp)
{
    // A file that is replaced keeps its permissions (a journal the user made readable by others
    // stays so); a new one is its owner's only, as the accounts file always is: mail senders,
    // subjects and filters are nobody else's business.
    mode_t mode = 0600;
    bool modeExistant = false;
    struct stat existant {};
    if (!proprietaireSeul && ::stat(modele.c_str(), &existant) == 0 && S_ISREG(existant.st_mode)) {
        mode = existant.st_mode & 0777;
        modeExistant = true;
    }
    const int fd = CreerTemporaire(chemin, 0600, temp);
    if (fd < 0)
        return {false, "Impossible d'écrire le fichier "_cp + Nom(chemin) + " : " + Err(errno)};
    const auto echec = [&](int e, const char* debut) {
        ::close(fd);
        ::unlink(temp.c_str());
        return ResultatFichier{false, debut + Nom(chemin) + " : " + Err(e)};
    };
    const std::string impossible = "Impossible d'écrire le fichier "_cp;
    std::size_t ecrit = 0;
    while (ecrit < octets.size()) {
        const ssize_t n = ::write(fd, octets.data() + ecrit, octets.size() - ecrit);
        if (n < 0) {
            if (errno == EINTR) continue;
            return echec(errno, impossible.c_str());
        }
        ecrit += std::size_t(n);
    }
    // The umask applied at creation is not applied again: the old file's bits are taken as they
    // were, and the owner-only file gets exactly 0600.
    if ((modeExistant || proprietaireSeul) && ::fchmod(fd, mode) != 0) return echec(errno, impossible.c_str());
    if (::fsync(fd) != 0) return echec(errno, impossible.c_str());
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        return {false, impossible + Nom(chemin) + " : " + Err(e)};
    }
    return {};
}

ResultatFichier Renommer(const fs::path& temp, const fs::path& chemin)
{
    if (::rename(temp.c_str(), chemin.c_str()) != 0) {
        const std::string e = Err(errno);
        ::unlink(temp.c_str());
        return {false, "Impossible de remplacer le fichier "_cp + Nom(chemin) + " : " + e};
    }
    SynchroniserDossier(chemin.parent_path());
    return {};
}

ResultatFichier EcrireAvecModele(const fs::path& chemin, std::string_view octets, bool proprietaireSeul,
                                 const fs::path& modele)
{
    fs::path temp;
    ResultatFichier r = EcrireTemporaire(chemin, octets, proprietaireSeul, modele, temp);
    return r.ok ? Renommer(temp, chemin) : r;
}

}  // namespace

std::string GarderCopieEndommagee(const fs::path& chemin, const std::string& pourquoi)
{
    std::error_code ec;
    fs::path copie = chemin.string() + ".endommage";
    for (int i = 2; fs::exists(copie, ec) && i < 100; ++i) copie = chemin.string() + ".endommage." + std::to_string(i);
    if (!fs::copy_file(chemin, copie, ec) || ec)
        return "Le fichier "_cp + Nom(chemin) + " est endommag\xE9 (" + pourquoi + ") et n'a pas pu \xEAtre copi\xE9 : " +
               Err(ec.value()) + ".";
    fs::permissions(copie, fs::perms::owner_read | fs::perms::owner_write, ec);
    return "Le fichier "_cp + Nom(chemin) + " est endommag\xE9 (" + pourquoi + ") : une copie est gard\xE9" "e sous " +
           Nom(copie) + ".";
}

std::string GarderSiEndommage(const fs::path& chemin, std::size_t taille, std::size_t tailleEnregistrement)
{
    if (tailleEnregistrement == 0 || taille % tailleEnregistrement == 0) return {};
    return GarderCopieEndommagee(chemin, "sa taille n'est pas un multiple de " + std::to_string(tailleEnregistrement) +
                                             " octets");
}

ResultatFichier EcrireFichierAtomique(const fs::path& chemin, std::string_view octets, bool proprietaireSeul)
{
    return EcrireAvecModele(chemin, octets, proprietaireSeul, chemin);
}

ResultatFichier EcrireFichierDonnees(const fs::path& dossier, std::string_view nom, std::string_view octets,
                                     bool proprietaireSeul)
{
    FichierPrepare prepare;
    ResultatFichier r = PreparerFichierDonnees(dossier, nom, octets, prepare, proprietaireSeul);
    return r.ok ? prepare.Remplacer() : r;
}

ResultatFichier PreparerFichierDonnees(const fs::path& dossier, std::string_view nom, std::string_view octets,
                                       FichierPrepare& prepare, bool proprietaireSeul)
{
    prepare.Abandonner();
    const fs::path autre = TrouverFichier(dossier, nom);
    const fs::path cible = dossier / fs::path(std::string(nom));
    std::error_code ec;
    fs::path temp;
    ResultatFichier r = EcrireTemporaire(cible, octets, proprietaireSeul, fs::exists(cible, ec) ? cible : autre, temp);
    if (!r.ok) return r;
    prepare.temp_ = temp;
    prepare.cible_ = cible;
    prepare.autre_ = autre;
    return r;
}

FichierPrepare::FichierPrepare(FichierPrepare&& o) noexcept
    : temp_(std::move(o.temp_)), cible_(std::move(o.cible_)), autre_(std::move(o.autre_))
{
    o.temp_.clear();
}

FichierPrepare& FichierPrepare::operator=(FichierPrepare&& o) noexcept
{
    if (this != &o) {
        Abandonner();
        temp_ = std::move(o.temp_);
        cible_ = std::move(o.cible_);
        autre_ = std::move(o.autre_);
        o.temp_.clear();
    }
    return *this;
}

FichierPrepare::~FichierPrepare() { Abandonner(); }

void FichierPrepare::Abandonner()
{
    if (temp_.empty()) return;
    ::unlink(temp_.c_str());
    temp_.clear();
}

ResultatFichier FichierPrepare::Remplacer()
{
    if (temp_.empty()) return {false, "Impossible d'écrire le fichier "_cp + Nom(cible_) + "."};
    const fs::path temp = std::exchange(temp_, fs::path());
    ResultatFichier r = Renommer(temp, cible_);
    if (r.ok && autre_ != cible_) {
        std::error_code ec;
        fs::remove(autre_, ec);
    }
    return r;
}

}  // namespace vaskor
