#pragma once
// One run at a time per program folder. A check, a deletion, a save of the filters' counters and
// a merge of the journal hold an exclusive advisory lock (flock) on the folder itself, so two
// programs working in one folder (the window and vaskor-cli, or two vaskor-cli) never both
// delete and journal the same messages. The lock is on the folder rather than on a lock file: it
// needs no file of its own and works in a folder that cannot be written.
//
// Within one thread the lock is counted: a run that holds it may merge the journal or save the
// filters without waiting on itself. Another thread of the same process waits like another
// program.

#include <filesystem>
#include <functional>
#include <string>

namespace vaskor {

class VerrouDossier {
public:
    // Waits up to `delaiMs` for the lock, calling `attente` about every 100 ms meanwhile. A
    // folder that cannot be opened gives the lock at once: nobody else can work there either.
    explicit VerrouDossier(const std::filesystem::path& dossier, int delaiMs = DelaiParDefautMs,
                           const std::function<void()>& attente = {});
    ~VerrouDossier();
    VerrouDossier(const VerrouDossier&) = delete;
    VerrouDossier& operator=(const VerrouDossier&) = delete;

    bool Obtenu() const { return obtenu_; }

    // How long the second comer waits before it gives up. Tests shorten it.
    static int DelaiParDefautMs;

private:
    std::string cle_;
    bool obtenu_ = false;
};

// "Un autre programme Vaskor travaille dans le dossier ... : réessayez dans un moment." (code
// page 1252)
std::string TexteDossierOccupe(const std::filesystem::path& dossier);

}  // namespace vaskor
