#include "core/verrou_dossier.h"

#include "core/texte.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace vaskor {

int VerrouDossier::DelaiParDefautMs = 5000;

namespace {

struct Tenu {
    int fd = -1;
    int fois = 0;
    std::thread::id proprietaire;
};

std::mutex& Garde()
{
    static std::mutex m;
    return m;
}

// The folders this process holds, with how many holders each.
std::map<std::string, Tenu>& Tenus()
{
    static std::map<std::string, Tenu> t;
    return t;
}

}  // namespace

VerrouDossier::VerrouDossier(const std::filesystem::path& dossier, int delaiMs, const std::function<void()>& attente)
{
    std::error_code ec;
    const std::filesystem::path absolu = std::filesystem::weakly_canonical(dossier, ec);
    cle_ = (ec ? dossier : absolu).string();
    const auto moi = std::this_thread::get_id();
    const auto debut = std::chrono::steady_clock::now();
    const auto fin = debut + std::chrono::milliseconds(delaiMs > 0 ? delaiMs : 0);
    auto prochaineAttente = debut + std::chrono::milliseconds(100);
    int fd = -1;
    bool ouvert = false;
    for (;;) {
        {
            std::lock_guard<std::mutex> g(Garde());
            auto it = Tenus().find(cle_);
            if (it != Tenus().end() && it->second.proprietaire == moi) {
                ++it->second.fois;
                obtenu_ = true;
                break;
            }
            // Another thread of this process holds it: wait as for another program.
            if (it == Tenus().end()) {
                if (!ouvert) {
                    fd = ::open(cle_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                    ouvert = true;
                }
                int r = fd < 0 ? 0 : ::flock(fd, LOCK_EX | LOCK_NB);
                while (r != 0 && errno == EINTR) r = ::flock(fd, LOCK_EX | LOCK_NB);
                // A folder that cannot be opened, or a file system without flock, keeps no one out.
                if (r == 0 || (errno != EWOULDBLOCK && errno != EAGAIN)) {
                    Tenus()[cle_] = Tenu{fd, 1, moi};
                    fd = -1;
                    obtenu_ = true;
                    break;
                }
            }
        }
        const auto maintenant = std::chrono::steady_clock::now();
        if (maintenant >= fin) break;
        if (attente && maintenant >= prochaineAttente) {
            attente();
            prochaineAttente = maintenant + std::chrono::milliseconds(100);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fd >= 0) ::close(fd);
}

VerrouDossier::~VerrouDossier()
{
    if (!obtenu_) return;
    std::lock_guard<std::mutex> g(Garde());
    auto it = Tenus().find(cle_);
    if (it == Tenus().end()) return;
    if (--it->second.fois > 0) return;
    if (it->second.fd >= 0) ::close(it->second.fd);  // closing releases the lock
    Tenus().erase(it);
}

std::string TexteDossierOccupe(const std::filesystem::path& dossier)
{
    return "Un autre programme Vaskor travaille dans le dossier "_cp + Utf8VersCp1252(dossier.string()) +
           " (contrôle, suppression ou enregistrement) : réessayez dans un moment."_cp;
}

}  // namespace vaskor
