#pragma once
// The journal of deleted mails: one line per message deleted on a server, six fields each
// followed by a TAB (account, sender, subject, date, size, reason). Lines of the current run are
// merged into MAILS_SUPPRIMES.DAT when the server commits them; lines that could not be merged
// then are kept in memory (the pending journal) and merged at exit. The file keeps only the
// configured number of most recent lines.

#include "core/fichiers.h"
#include "core/texte.h"
#include "core/verrou_dossier.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vaskor {

inline constexpr std::string_view NomFichierJournal = "MAILS_SUPPRIMES.DAT";

// The reason of a message the user deleted without a filter having marked it.
Texte RaisonSuppressionUtilisateur();  // "Effacé par l'utilisateur"

// One journal line, without line end. A CR or LF inside a field (a decoded subject may carry
// them) becomes a space, so a line never splits in the file; a TAB stays, and moves the later
// fields one column to the right in the window. An empty reason is written "-". The date is the
// message's date as the message list shows it (TexteDate).
Texte LigneJournal(std::string_view compte, std::string_view expediteur, std::string_view sujet,
                   std::string_view date, std::int64_t taille, std::string_view raison);

// The lines of the journal file: a line ends at CR LF, a lone CR or a lone LF; text after the
// last line end is one more line. Only the last `maxLignes` lines are kept.
std::vector<Texte> DecouperLignesJournal(std::string_view octets, std::size_t maxLignes = std::numeric_limits<std::size_t>::max());

// Only the most recent lines of the journal ever matter (a save keeps at most 1500), so a file
// that grew far beyond that, by hand or by another program, is read from its end: at most its
// last TailleLectureJournal bytes (the line cut there is dropped) and LignesLectureJournal lines.
inline constexpr std::uintmax_t TailleLectureJournal = std::uintmax_t(16) << 20;
inline constexpr std::size_t LignesLectureJournal = 100000;
// The file's bytes: every line followed by CR LF.
std::string AssemblerLignesJournal(const std::vector<Texte>& lignes);

// The lines of the current run. Appends happen on the window's thread while the journal window's
// loader may copy the list from its worker thread, hence the lock.
class JournalEnAttente {
public:
    // Appends a line built by LigneJournal. CR and LF are replaced here too, so that no caller
    // can split a line.
    void Ajouter(Texte ligne);
    std::vector<Texte> Lignes() const;
    std::size_t Nombre() const;

private:
    mutable std::mutex verrou_;
    std::vector<Texte> lignes_;
};

// A line cut into a row of the journal window: the text before the first TAB, trimmed of blanks
// and control characters, is the caption; each text between two further TABs is the next
// sub-item as it is; text after the last TAB is dropped. A line without a TAB gives an empty
// caption and no sub-item.
struct RangJournal {
    Texte titre;
    std::vector<Texte> sousElements;
};
RangJournal DecouperLigneJournal(std::string_view ligne);

// Reads the journal file of the folder (found whatever its letter case), its most recent lines as
// above; a missing file is an empty journal.
ResultatFichier LireJournal(const fs::path& dossier, std::vector<Texte>& lignes);

// What the journal window shows: the file's lines, then a copy of the pending ones.
ResultatFichier ChargerLignesJournal(const fs::path& dossier, const JournalEnAttente& enAttente,
                                     std::vector<Texte>& lignes);

// Save at exit: the file's lines, then the pending ones, the oldest dropped while more than
// `nbLignesSvg` remain, written back whole (the file exists afterwards, even with no line). A
// file that exists but cannot be read is left alone, so its lines are not lost; the failure is
// returned. The folder is locked (VerrouDossier) while the file is read and written, so that no
// one's lines overwrite another's; a folder that stays busy is a failure too.
ResultatFichier EnregistrerJournal(const fs::path& dossier, const std::vector<Texte>& enAttente, int nbLignesSvg);

// The same merge in two steps around a session's QUIT: the new file is written and flushed before
// QUIT is sent, and renamed over the journal once the server answered "+OK" (Valider), so that
// between the commit and the lines being on disk only a rename remains. Without the answer the
// prepared file is dropped (the object's end). The folder stays locked from one step to the next.
class JournalPrepare {
public:
    ResultatFichier Valider();

private:
    friend ResultatFichier PreparerJournal(const fs::path&, const std::vector<Texte>&, int, JournalPrepare&);
    std::unique_ptr<VerrouDossier> verrou_;
    FichierPrepare fichier_;
    std::string avertissement_;
};
ResultatFichier PreparerJournal(const fs::path& dossier, const std::vector<Texte>& enAttente, int nbLignesSvg,
                                JournalPrepare& prepare);

// Lines in suspense. A server commits a session's deletions the moment it reads QUIT, before its
// "+OK" comes back and well before the journal is rewritten: a program killed in between would
// lose those lines. So, before QUIT goes out, the session's lines are written (whole, 0600) to a
// hidden file beside the journal; once QUIT is in the socket, one more line says so (the kernel
// delivers the QUIT even if the program dies right after, and keeps the line). The file is
// removed when the session's end has been dealt with. One left behind is a program that died:
// the next start resolves it (ResoudreJournalSuspens).
inline constexpr std::string_view NomFichierSuspens = ".MAILS_SUPPRIMES.DAT.suspens";

// Writes the file in suspense with `lignes` (journal lines, as EnregistrerJournal would merge
// them). A file left by an earlier program is resolved first. Holds the folder's lock meanwhile.
ResultatFichier EcrireJournalSuspens(const fs::path& dossier, const std::vector<Texte>& lignes, int nbLignesSvg);
// Appends the "QUIT sent" line to the file in suspense (a plain write: it only has to outlive the
// program, not the machine).
void MarquerQuitEnvoye(const fs::path& dossier);
void RetirerJournalSuspens(const fs::path& dossier);
// A file in suspense left by a program that died: when it says QUIT went out, the server may have
// committed, and its lines are merged into the journal unless they are already there as one run
// (the program died after the journal's rename); without that line the server rolled the session
// back and the lines are dropped. The file is removed either way; a damaged one too, with a
// warning (in `avertissement`). Does nothing while another program holds the folder: the file may
// be that program's live one.
ResultatFichier ResoudreJournalSuspens(const fs::path& dossier, int nbLignesSvg);

}  // namespace vaskor
