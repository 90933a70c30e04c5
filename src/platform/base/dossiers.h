#pragma once
// Where Vaskor keeps its data files (accounts, filters, friends, settings, journal).
//
// A portable copy carries its data beside the executable: the executable's folder is the program
// folder when it already holds one of Vaskor's data files (whatever their letter case). Every
// other start (an installed program, a fresh build) keeps the data in $XDG_DATA_HOME/vaskor,
// ~/.local/share/vaskor by default, created readable by its owner only. vaskor and vaskor-cli
// follow the same rule, so a cron line needs no --data.
//
// A portable copy whose folder cannot be written (a read-only stick or share) would keep the
// user's data but lose every change and refuse to journal deletions: its data then live in the
// fallback folder instead, seeded once with a copy of the portable files, and the window says so.

#include <filesystem>
#include <functional>
#include <string>

namespace vaskor {

struct ResultatDossier {
    std::filesystem::path dossier;
    bool portable = false;  // the executable's own folder
    std::string erreur;     // in French with the path, UTF-8; empty when the folder is usable
    // The executable's folder holds data files but cannot be written: `dossier` is the fallback
    // folder instead, and this is the folder set aside.
    std::filesystem::path dossierEcarte;
    bool copie = false;      // the portable files were copied into `dossier` at this start
    std::string erreurCopie;  // why some could not be, UTF-8; empty otherwise
};

// The rule, with its inputs given: the executable's folder, $XDG_DATA_HOME and $HOME (null or
// empty when not set; a relative $XDG_DATA_HOME is ignored, as the freedesktop rules say).
// Creates the data folder (0700, parents as needed) when it is missing.
// `inscriptible` tells whether a folder can be written (tests replace it: root may write
// anywhere); empty means the system's answer.
ResultatDossier ChoisirDossierProgramme(const std::filesystem::path& dossierExecutable, const char* xdgDataHome,
                                        const char* home,
                                        const std::function<bool(const std::filesystem::path&)>& inscriptible = {});

// True when `dossier` holds one of the data files: comptes.dat, filtres.dat, amis.dat,
// vaskor.ini or MAILS_SUPPRIMES.DAT, in any letter case.
bool ContientDonneesVaskor(const std::filesystem::path& dossier);

// The rule for this process (the running executable and the environment).
ResultatDossier DossierProgrammeDetaille();
// Its folder only.
std::filesystem::path DossierProgramme();
// The running executable's full path.
std::filesystem::path CheminExecutable();

}  // namespace vaskor
