#include "ui/surveillance_donnees.h"

#include "core/ami.h"
#include "core/filtre.h"
#include "core/securite_compte.h"
#include "crypto/fichier_comptes.h"

#include <QFileSystemWatcher>
#include <QTimer>

namespace vaskor {

namespace {
// A save is a burst of notices (the temporary file created, written, renamed): one look after it.
constexpr int DelaiRegroupementMs = 150;
// While the window is busy the look comes back this often.
constexpr int DelaiOccupeMs = 500;
}  // namespace

SurveillanceDonnees::SurveillanceDonnees(QObject* parent)
    : QObject(parent), veilleur_(new QFileSystemWatcher(this)), delai_(new QTimer(this))
{
    delai_->setSingleShot(true);
    connect(delai_, &QTimer::timeout, this, &SurveillanceDonnees::Verifier);
    connect(veilleur_, &QFileSystemWatcher::fileChanged, this, &SurveillanceDonnees::SurNotice);
    connect(veilleur_, &QFileSystemWatcher::directoryChanged, this, &SurveillanceDonnees::SurNotice);
}

std::string_view SurveillanceDonnees::Nom(Fichier f)
{
    switch (f) {
    case Comptes: return NomFichierComptes;
    case Securites: return NomFichierSecurites;
    case Filtres: return NomFichierFiltres;
    case Amis: return NomFichierAmis;
    default: return {};
    }
}

void SurveillanceDonnees::Demarrer(const fs::path& dossier)
{
    if (!veilleur_->files().isEmpty()) veilleur_->removePaths(veilleur_->files());
    if (!veilleur_->directories().isEmpty()) veilleur_->removePaths(veilleur_->directories());
    dossier_ = dossier;
    for (int f = 0; f < NombreFichiers; ++f) Noter(Fichier(f));
    if (dossier_.empty()) return;
    veilleur_->addPath(QString::fromStdString(dossier_.string()));
    SuivreFichiers();
}

void SurveillanceDonnees::SuivreFichiers()
{
    const QStringList suivis = veilleur_->files();
    for (int f = 0; f < NombreFichiers; ++f) {
        std::error_code ec;
        const fs::path chemin = TrouverFichier(dossier_, Nom(Fichier(f)));
        const QString q = QString::fromStdString(chemin.string());
        if (fs::is_regular_file(chemin, ec) && !suivis.contains(q)) veilleur_->addPath(q);
    }
}

bool SurveillanceDonnees::Change(Fichier f) const
{
    // Without a folder (a window that loaded nothing) there is no file to compare with.
    if (dossier_.empty()) return false;
    return !connues_[f] || PrendreEmpreinte(dossier_, Nom(f)) != notees_[f];
}

void SurveillanceDonnees::Noter(Fichier f)
{
    if (dossier_.empty()) return;
    notees_[f] = PrendreEmpreinte(dossier_, Nom(f));
    connues_[f] = true;
}

void SurveillanceDonnees::NoterSiContenu(Fichier f, std::string_view octets)
{
    const EmpreinteFichier e = PrendreEmpreinte(dossier_, Nom(f));
    if (e.existe && e.taille == octets.size() && e.condensat == CondensatOctets(octets)) {
        notees_[f] = e;
        connues_[f] = true;
    }
}

void SurveillanceDonnees::Oublier(Fichier f) { connues_[f] = false; }

void SurveillanceDonnees::SurNotice()
{
    SuivreFichiers();
    if (!delai_->isActive() || delai_->remainingTime() > DelaiRegroupementMs) delai_->start(DelaiRegroupementMs);
}

void SurveillanceDonnees::Verifier()
{
    if (dossier_.empty()) return;
    SuivreFichiers();
    bool attente = false;
    for (Fichier f : {Comptes, Filtres, Amis}) {
        const bool change = Change(f) || (f == Comptes && Change(Securites));
        if (!change) continue;
        if (Libre && !Libre()) {
            attente = true;
            continue;
        }
        if (Recharger) Recharger(f);
    }
    if (attente) delai_->start(DelaiOccupeMs);
}

}  // namespace vaskor
