#include "platform/base/signaux_fin.h"

#include "core/texte.h"
#include "core/verrou_dossier.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vaskor {

namespace {

int tube[2] = {-1, -1};
volatile std::sig_atomic_t recu = 0;

extern "C" void SurSigpipe(int) {}

extern "C" void SurSignal(int numero)
{
    const int errnoSauve = errno;
    recu = numero;
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(tube[1], &c, 1);
    errno = errnoSauve;
}

}  // namespace

bool SignauxFin::Installer()
{
    if (tube[0] >= 0) return true;
    if (::pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = SurSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(s, &sa, nullptr);
    return true;
}

int SignauxFin::Descripteur() { return tube[0]; }

int SignauxFin::Recu() { return recu; }

void SignauxFin::Vider()
{
    char tampon[64];
    while (tube[0] >= 0 && ::read(tube[0], tampon, sizeof tampon) > 0) {
    }
}

void RetirerTemporairesAbandonnes(const std::filesystem::path& dossier)
{
    // Under the folder's lock no journal or filters save is under way; the age covers the other
    // files, which another program may be writing at this moment.
    const VerrouDossier verrou(dossier, 0);
    if (!verrou.Obtenu()) return;
    static const char* const noms[] = {"amis.dat", "filtres.dat", "comptes.dat", "vaskor.ini", "MAILS_SUPPRIMES.DAT",
                                        ".MAILS_SUPPRIMES.DAT.suspens"};
    const auto limite = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (n.size() < 2 || n[0] != '.') continue;
        const auto tmp = n.rfind(".tmp");
        if (tmp == std::string::npos || tmp + 4 == n.size() ||
            n.find_first_not_of("0123456789", tmp + 4) != std::string::npos)
            continue;
        bool nom = false;
        for (const char* x : noms) nom = nom || EgalSansCasse(std::string_view(n).substr(1, tmp - 1), x);
        std::error_code e2;
        if (!nom || !it->is_regular_file(e2) || it->last_write_time(e2) > limite) continue;
        std::filesystem::remove(it->path(), e2);
    }
}

void SurvivreAuxTubesFermes()
{
    struct sigaction sa {};
    sa.sa_handler = SurSigpipe;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &sa, nullptr);
}

void InterdireVidageMemoire()
{
    const rlimit zero{0, 0};
    ::setrlimit(RLIMIT_CORE, &zero);
#if !defined(__SANITIZE_ADDRESS__)
    // The leak checker of a sanitized build stops the threads through ptrace, which this forbids.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

}  // namespace vaskor
