#pragma once
// The window's watch over the data files that other programs may change while it runs
// (vaskor-cli accounts add, a second copy, an editor): comptes.dat with securites.dat,
// filtres.dat and amis.dat. For each it keeps the file as the window last read or wrote it; a
// change from elsewhere makes the window take the file in again, once it is free (no run, no
// dialog open), and a save can ask whether the file is still the one the window read.
//
// The system's notices are not trusted alone: a file replaced by a rename (every save of ours
// and of vaskor-cli) drops out of QFileSystemWatcher, so the folder is watched as well and the
// files are added again after each notice, and a notice only leads to a look at what changed.

#include "core/empreinte_fichier.h"

#include <QObject>

#include <array>
#include <functional>

class QFileSystemWatcher;
class QTimer;

namespace vaskor {

class SurveillanceDonnees : public QObject {
    Q_OBJECT
public:
    enum Fichier { Comptes, Securites, Filtres, Amis, NombreFichiers };

    explicit SurveillanceDonnees(QObject* parent = nullptr);

    // Starts watching `dossier`. Every file is noted as it is now: call it before the window
    // reads them, so that a change during the reading shows as a change.
    void Demarrer(const fs::path& dossier);
    // The file is no longer the one noted.
    bool Change(Fichier f) const;
    // The window's copy is the file as it is now (just before it reads it, or just after it
    // wrote it).
    void Noter(Fichier f);
    // The window's copy is `octets`: noted when the file holds exactly that, else left to show
    // as a change (a save that failed, or another program that wrote just after).
    void NoterSiContenu(Fichier f, std::string_view octets);
    // The window could not take the file in: the next look tries again.
    void Oublier(Fichier f);

    // Whether the window may take a file in now.
    std::function<bool()> Libre;
    // Takes a changed file in (comptes.dat and securites.dat come as Comptes). Notes it itself.
    std::function<void(Fichier)> Recharger;

    // Looks at the files now: the changed ones are taken in, or, when the window is busy, the
    // look is tried again shortly.
    void Verifier();

    static std::string_view Nom(Fichier f);

private:
    void SurNotice();
    void SuivreFichiers();

    QFileSystemWatcher* veilleur_;
    QTimer* delai_;
    fs::path dossier_;
    std::array<EmpreinteFichier, NombreFichiers> notees_{};
    std::array<bool, NombreFichiers> connues_{};
};

}  // namespace vaskor
