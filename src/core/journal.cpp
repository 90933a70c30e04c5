#include "core/journal.h"

#include "core/verrou_dossier.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vaskor {

namespace {

void AjouterChamp(Texte& ligne, std::string_view champ)
{
    for (const char c : champ) ligne += (c == '\r' || c == '\n') ? ' ' : c;
    ligne += '\t';
}

}  // namespace

Texte RaisonSuppressionUtilisateur() { return "Effacé par l'utilisateur"_cp; }

Texte LigneJournal(std::string_view compte, std::string_view expediteur, std::string_view sujet,
                   std::string_view date, std::int64_t taille, std::string_view raison)
{
    Texte l;
    l.reserve(compte.size() + expediteur.size() + sujet.size() + date.size() + raison.size() + 32);
    AjouterChamp(l, compte);
    AjouterChamp(l, expediteur);
    AjouterChamp(l, sujet);
    AjouterChamp(l, date);
    AjouterChamp(l, std::to_string(taille));
    AjouterChamp(l, raison.empty() ? std::string_view("-") : raison);
    return l;
}

namespace {

// Calls `f(debut, fin)` for each line of `octets`, in order.
template <typename F>
void PourChaqueLigne(std::string_view octets, F&& f)
{
    std::size_t debut = 0;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const char c = octets[i];
        if (c != '\r' && c != '\n') continue;
        f(debut, i);
        if (c == '\r' && i + 1 < octets.size() && octets[i + 1] == '\n') ++i;
        debut = i + 1;
    }
    if (debut < octets.size()) f(debut, octets.size());
}

}  // namespace

std::vector<Texte> DecouperLignesJournal(std::string_view octets, std::size_t maxLignes)
{
    // Counted first, so that a file of millions of short lines never holds them all at once.
    std::size_t total = 0;
    PourChaqueLigne(octets, [&](std::size_t, std::size_t) { ++total; });
    const std::size_t sautees = total > maxLignes ? total - maxLignes : 0;
    std::vector<Texte> lignes;
    lignes.reserve(total - sautees);
    std::size_t n = 0;
    PourChaqueLigne(octets, [&](std::size_t debut, std::size_t fin) {
        if (n++ >= sautees) lignes.emplace_back(octets.substr(debut, fin - debut));
    });
    return lignes;
}

std::string AssemblerLignesJournal(const std::vector<Texte>& lignes)
{
    std::size_t taille = 0;
    for (const Texte& l : lignes) taille += l.size() + 2;
    std::string r;
    r.reserve(taille);
    for (const Texte& l : lignes) {
        r += l;
        r += "\r\n";
    }
    return r;
}

void JournalEnAttente::Ajouter(Texte ligne)
{
    for (char& c : ligne)
        if (c == '\r' || c == '\n') c = ' ';
    std::lock_guard<std::mutex> g(verrou_);
    lignes_.push_back(std::move(ligne));
}

std::vector<Texte> JournalEnAttente::Lignes() const
{
    std::lock_guard<std::mutex> g(verrou_);
    return lignes_;
}

std::size_t JournalEnAttente::Nombre() const
{
    std::lock_guard<std::mutex> g(verrou_);
    return lignes_.size();
}

RangJournal DecouperLigneJournal(std::string_view ligne)
{
    RangJournal r;
    std::size_t tab = ligne.find('\t');
    if (tab == std::string_view::npos) return r;
    r.titre = Texte(Rogner(ligne.substr(0, tab)));
    for (;;) {
        const std::size_t suivant = ligne.find('\t', tab + 1);
        if (suivant == std::string_view::npos) break;
        r.sousElements.emplace_back(ligne.substr(tab + 1, suivant - tab - 1));
        tab = suivant;
    }
    return r;
}

ResultatFichier LireJournal(const fs::path& dossier, std::vector<Texte>& lignes)
{
    lignes.clear();
    const fs::path chemin = TrouverFichier(dossier, NomFichierJournal);
    std::error_code ec;
    const auto taille = fs::file_size(chemin, ec);
    if (ec || taille <= TailleLectureJournal) {
        // Missing, small, or not a plain file: the whole-file reader says which.
        std::string octets;
        const ResultatFichier r = LireFichier(chemin, octets, nullptr, TailleLectureJournal);
        if (r.ok) lignes = DecouperLignesJournal(octets, LignesLectureJournal);
        return r;
    }
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {false, "Impossible d'ouvrir le fichier "_cp + Utf8VersCp1252(chemin.string()) + " : " +
                           TexteErreurSysteme(errno)};
    // One byte more than kept, the one before the cut, tells whether the cut falls on a line start.
    std::string octets(std::size_t(TailleLectureJournal) + 1, '\0');
    const off_t depart = off_t(taille - TailleLectureJournal - 1);
    std::size_t lus = 0;
    while (lus < octets.size()) {
        const ssize_t n = ::pread(fd, octets.data() + lus, octets.size() - lus, depart + off_t(lus));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            return {false, "Erreur de lecture du fichier "_cp + Utf8VersCp1252(chemin.string()) + " : " +
                               TexteErreurSysteme(e)};
        }
        if (n == 0) break;
        lus += std::size_t(n);
    }
    ::close(fd);
    octets.resize(lus);
    // Drop the line the cut went through, with its line end.
    std::size_t i = 0;
    while (i < octets.size() && octets[i] != '\r' && octets[i] != '\n') ++i;
    if (i < octets.size() && octets[i] == '\r' && i + 1 < octets.size() && octets[i + 1] == '\n') ++i;
    lignes = DecouperLignesJournal(std::string_view(octets).substr(std::min(i + 1, octets.size())),
                                   LignesLectureJournal);
    return {};
}

ResultatFichier ChargerLignesJournal(const fs::path& dossier, const JournalEnAttente& enAttente,
                                     std::vector<Texte>& lignes)
{
    const ResultatFichier r = LireJournal(dossier, lignes);
    std::vector<Texte> enCours = enAttente.Lignes();
    lignes.insert(lignes.end(), std::make_move_iterator(enCours.begin()), std::make_move_iterator(enCours.end()));
    return r;
}

ResultatFichier EnregistrerJournal(const fs::path& dossier, const std::vector<Texte>& enAttente, int nbLignesSvg)
{
    JournalPrepare prepare;
    const ResultatFichier r = PreparerJournal(dossier, enAttente, nbLignesSvg, prepare);
    return r.ok ? prepare.Valider() : r;
}

ResultatFichier JournalPrepare::Valider()
{
    ResultatFichier r = fichier_.Remplacer();
    r.avertissement = avertissement_;
    verrou_.reset();
    return r;
}

ResultatFichier PreparerJournal(const fs::path& dossier, const std::vector<Texte>& enAttente, int nbLignesSvg,
                                JournalPrepare& prepare)
{
    prepare = JournalPrepare();
    auto verrou = std::make_unique<VerrouDossier>(dossier);
    if (!verrou->Obtenu()) return {false, TexteDossierOccupe(dossier)};
    std::vector<Texte> lignes;
    if (ResultatFichier r = LireJournal(dossier, lignes); !r.ok) return r;
    // A big file whose tail holds no line end is not a journal: it is kept aside, not replaced
    // unseen by the few new lines.
    std::string avertissement;
    const fs::path chemin = TrouverFichier(dossier, NomFichierJournal);
    std::error_code ec;
    if (lignes.empty() && fs::file_size(chemin, ec) > TailleLectureJournal && !ec)
        avertissement = GarderCopieEndommagee(chemin, "aucune fin de ligne dans ses 16 derniers Mo");
    lignes.reserve(lignes.size() + enAttente.size());
    for (Texte l : enAttente) {
        for (char& c : l)
            if (c == '\r' || c == '\n') c = ' ';
        lignes.push_back(std::move(l));
    }
    const std::size_t garder = nbLignesSvg > 0 ? std::size_t(nbLignesSvg) : 0;
    if (lignes.size() > garder) lignes.erase(lignes.begin(), lignes.end() - std::ptrdiff_t(garder));
    ResultatFichier r = PreparerFichierDonnees(dossier, NomFichierJournal, AssemblerLignesJournal(lignes), prepare.fichier_);
    if (!r.ok) return r;
    prepare.avertissement_ = avertissement;
    prepare.verrou_ = std::move(verrou);
    return r;
}

}  // namespace vaskor

namespace vaskor {

namespace {

constexpr std::string_view EnTeteSuspens = "VASKOR SUSPENS ";
constexpr std::string_view MarqueQuit = "QUIT";

fs::path CheminSuspens(const fs::path& dossier) { return dossier / NomFichierSuspens; }

std::string TexteSuspens(const fs::path& chemin) { return Utf8VersCp1252(chemin.string()); }

// Whether `lignes` (their last `garder`, which is all a merge would have kept) stand as one run in
// the journal.
bool DejaJournalisees(const std::vector<Texte>& journal, const std::vector<Texte>& lignes, std::size_t garder)
{
    const std::size_t n = std::min(lignes.size(), garder);
    if (n == 0) return true;
    const auto debut = lignes.end() - std::ptrdiff_t(n);
    return std::search(journal.begin(), journal.end(), debut, lignes.end()) != journal.end();
}

// The folder's lock is held.
ResultatFichier ResoudreSousVerrou(const fs::path& dossier, int nbLignesSvg)
{
    const fs::path chemin = CheminSuspens(dossier);
    std::string octets;
    bool existe = false;
    if (ResultatFichier r = LireFichier(chemin, octets, &existe); !r.ok || !existe) return r;
    std::vector<Texte> lignes = DecouperLignesJournal(octets);
    std::size_t nombre = 0;
    bool lisible = !lignes.empty() && lignes.front().starts_with(EnTeteSuspens);
    if (lisible) {
        const std::string_view n = std::string_view(lignes.front()).substr(EnTeteSuspens.size());
        lisible = !n.empty() && n.size() < 10 && n.find_first_not_of("0123456789") == std::string_view::npos;
        if (lisible) nombre = std::stoul(std::string(n));
    }
    bool quitEnvoye = false;
    if (lisible) {
        lignes.erase(lignes.begin());
        // A QUIT sent again after a stop request adds its line again.
        while (lignes.size() > nombre && lignes.back() == MarqueQuit) {
            lignes.pop_back();
            quitEnvoye = true;
        }
        lisible = lignes.size() == nombre;
    }
    ResultatFichier resultat;
    if (!lisible) {
        resultat.avertissement = "Le fichier "_cp + TexteSuspens(chemin) +
                                 " (suppressions en suspens) est illisible : il est retir\xE9.";
    } else if (quitEnvoye) {
        // QUIT went out: the server may have committed these deletions.
        std::vector<Texte> journal;
        if (ResultatFichier r = LireJournal(dossier, journal); !r.ok) return r;
        const std::size_t garder = nbLignesSvg > 0 ? std::size_t(nbLignesSvg) : 0;
        if (!DejaJournalisees(journal, lignes, garder)) {
            ResultatFichier r = EnregistrerJournal(dossier, lignes, nbLignesSvg);
            // Kept for the next try when the journal cannot take them.
            if (!r.ok) return r;
            resultat.avertissement = r.avertissement;
        }
    }
    std::error_code ec;
    fs::remove(chemin, ec);
    return resultat;
}

}  // namespace

ResultatFichier EcrireJournalSuspens(const fs::path& dossier, const std::vector<Texte>& lignes, int nbLignesSvg)
{
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) return {false, TexteDossierOccupe(dossier)};
    // A file still here belongs to a program that died: its lines are settled before they are
    // overwritten.
    if (ResultatFichier r = ResoudreSousVerrou(dossier, nbLignesSvg); !r.ok) return r;
    std::string octets = std::string(EnTeteSuspens) + std::to_string(lignes.size()) + "\r\n";
    for (const Texte& l : lignes) {
        for (const char c : l) octets += (c == '\r' || c == '\n') ? ' ' : c;
        octets += "\r\n";
    }
    return EcrireFichierAtomique(CheminSuspens(dossier), octets, true);
}

void MarquerQuitEnvoye(const fs::path& dossier)
{
    const int fd = ::open(CheminSuspens(dossier).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return;
    const std::string ligne = std::string(MarqueQuit) + "\r\n";
    ssize_t n;
    do n = ::write(fd, ligne.data(), ligne.size());
    while (n < 0 && errno == EINTR);
    ::close(fd);
}

void RetirerJournalSuspens(const fs::path& dossier)
{
    std::error_code ec;
    fs::remove(CheminSuspens(dossier), ec);
}

ResultatFichier ResoudreJournalSuspens(const fs::path& dossier, int nbLignesSvg)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(CheminSuspens(dossier), ec))) return {};
    // Whoever holds the folder may be the file's live owner, before or after its QUIT.
    const VerrouDossier verrou(dossier, 0);
    if (!verrou.Obtenu()) return {};
    return ResoudreSousVerrou(dossier, nbLignesSvg);
}

}  // namespace vaskor
