#include "ui/tfmailssupp.h"

#include "ui/boites_message.h"
#include "ui/disposition.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"
#include "ui/vue_messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace vaskor {

Texte MessageErreurLectureJournal(const Texte& detail)
{
    Texte m = "Le journal des mails supprimés n'a pas pu être lu."_cp;
    if (!detail.empty()) m += "\r\n" + detail;
    return m;
}

TFMailsSupp::TFMailsSupp(fs::path dossier, const JournalEnAttente& journal, BoitesMessage& boites, QWidget* parent)
    : QDialog(parent), dossier_(std::move(dossier)), journal_(journal), boites_(boites)
{
    setObjectName(QStringLiteral("TFMailsSupp"));
    setWindowTitle(QStringLiteral("Journal"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    modele_ = new ModeleJournal(this);
    lvMailsSupp_ = new QTreeView(this);
    lvMailsSupp_->setObjectName(QStringLiteral("LVMailsSupp"));
    lvMailsSupp_->setRootIsDecorated(false);
    lvMailsSupp_->setItemsExpandable(false);
    // Equal row heights let the view lay out a long journal without measuring every row.
    lvMailsSupp_->setUniformRowHeights(true);
    lvMailsSupp_->setAllColumnsShowFocus(true);
    lvMailsSupp_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvMailsSupp_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvMailsSupp_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvMailsSupp_->setSortingEnabled(false);
    lvMailsSupp_->setModel(modele_);
    QHeaderView* entete = lvMailsSupp_->header();
    entete->setSectionsClickable(true);
    entete->setSectionsMovable(false);
    entete->setStretchLastSection(false);
    entete->setSortIndicatorShown(false);
    // The dates are written with the time, like the message list's: the column widens with the
    // desktop's font rather than cut the time.
    for (int i = 0; i < ModeleJournal::NombreColonnes; ++i)
        entete->resizeSection(i, i == 3 ? LargeurColonneDate(lvMailsSupp_) : ModeleJournal::Largeurs[i]);
    connect(entete, &QHeaderView::sectionClicked, this, &TFMailsSupp::LVMailsSuppColumnClick);
    // The selected row stays highlighted when the focus goes to the button.
    QPalette p = lvMailsSupp_->palette();
    p.setBrush(QPalette::Inactive, QPalette::Highlight, p.brush(QPalette::Active, QPalette::Highlight));
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText, p.brush(QPalette::Active, QPalette::HighlightedText));
    lvMailsSupp_->setPalette(p);

    // Also the cancelling button: Esc closes the window the same way.
    bFermer_ = DisposerAvecBoutonFermer(this, lvMailsSupp_);

    int largeur = 0;
    for (int i = 0; i < ModeleJournal::NombreColonnes; ++i) largeur += entete->sectionSize(i);
    resize(largeur + 40, 360);
}

TFMailsSupp::~TFMailsSupp()
{
    if (travailleur_) {
        travailleur_->disconnect(this);
        travailleur_->wait();
        delete travailleur_;
    }
}

void TFMailsSupp::Executer(QWidget* parent, const fs::path& dossier, const JournalEnAttente& journal,
                           BoitesMessage& boites)
{
    TFMailsSupp fenetre(dossier, journal, boites, parent);
    fenetre.Charger();
    fenetre.exec();
}

void TFMailsSupp::Charger()
{
    if (enCours_) return;
    enCours_ = true;
    modele_->Vider();
    suivant_ = 0;
    setWindowTitle(QStringLiteral("Chargement du journal en cours..."));

    auto chargement = std::make_shared<Chargement>();
    chargement_ = chargement;
    // The worker touches only its own result, its copy of the folder and the pending journal,
    // which it reads under the journal's lock (an automatic check may append meanwhile).
    travailleur_ = QThread::create([dossier = dossier_, &journal = journal_, chargement] {
        std::vector<Texte> lignes;
        chargement->resultat = ChargerLignesJournal(dossier, journal, lignes);
        chargement->rangs.reserve(lignes.size());
        for (const Texte& l : lignes) chargement->rangs.push_back(PreparerRangJournal(l));
    });
    connect(travailleur_, &QThread::finished, this, &TFMailsSupp::FinLecture, Qt::QueuedConnection);
    travailleur_->start();
}

void TFMailsSupp::FinLecture()
{
    if (!travailleur_) return;
    travailleur_->wait();
    delete travailleur_;
    travailleur_ = nullptr;
    InsererLot();
}

void TFMailsSupp::InsererLot()
{
    if (!chargement_) return;
    auto& rangs = chargement_->rangs;
    const std::size_t fin = std::min(rangs.size(), suivant_ + std::size_t(tailleLot_));
    modele_->Ajouter(rangs.begin() + std::ptrdiff_t(suivant_), rangs.begin() + std::ptrdiff_t(fin));
    suivant_ = fin;
    if (suivant_ < rangs.size()) {
        // The rest comes at the next turn of the event loop, after the window has repainted and
        // answered the user.
        QTimer::singleShot(0, this, &TFMailsSupp::InsererLot);
        return;
    }
    FinChargement();
}

void TFMailsSupp::FinChargement()
{
    const std::shared_ptr<Chargement> chargement = std::move(chargement_);
    chargement_.reset();
    // Rows that came after the window was shown take the window's order too.
    modele_->Trier();
    setWindowTitle(QStringLiteral("Journal"));
    enCours_ = false;
    if (!chargement->resultat.ok)
        boites_.Message(this, "Erreur", MessageErreurLectureJournal(chargement->resultat.erreur),
                        IconeMessage::Erreur);
    emit ChargementTermine();
}

void TFMailsSupp::LVMailsSuppColumnClick(int colonne)
{
    modele_->ClicColonne(colonne);
}

void TFMailsSupp::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Opening starts from the first column, ascending; a window brought back from the task bar
    // keeps the user's order.
    if (e->spontaneous()) return;
    modele_->DefinirTri(0, true);
    PlacerFenetre(this);
}

}  // namespace vaskor
