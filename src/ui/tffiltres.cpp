#include "ui/tffiltres.h"

#include "core/ami.h"
#include "engine/ajout_ami.h"
#include "ui/boites_message.h"
#include "ui/disposition.h"
#include "ui/editeurs_filtre.h"
#include "ui/liste_triable.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vaskor {

namespace {

QString T(const char* utf8) { return QString::fromUtf8(utf8); }

// A row owns its copy of a record; its check box is the record's Actif.
struct LigneFiltre : QTreeWidgetItem {
    TFiltre filtre = TFiltre::Vierge();
};

LigneFiltre* Ligne(QTreeWidgetItem* item) { return static_cast<LigneFiltre*>(item); }

const char* const NomsGenres[3] = {"Expéditeur", "Sujet", "Entete"};

void Ecrire(QTreeWidgetItem* item, const TFiltre& f)
{
    const QStringList cellules = CellulesFiltre(f);
    for (int c = 0; c < cellules.size(); ++c) item->setText(c, cellules[c]);
    item->setTextAlignment(int(cellules.size()) - 1, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace

Texte QuestionSupprimerFiltre(int genre)
{
    static const char* const q[3] = {"Supprimer ce filtre expéditeur ?", "Supprimer ce filtre sujet ?",
                                     "Supprimer ce filtre entête ?"};
    return Utf8VersCp1252(q[genre]);
}

Texte QuestionRAZCompteurs(int genre)
{
    return "Remettre A Zéro les compteurs des filtres "_cp + Utf8VersCp1252(NomsGenres[genre]) + " ?";
}

QStringList CellulesFiltre(const TFiltre& f)
{
    const QString casse = f.Casse ? QStringLiteral("O") : QStringLiteral("N");
    const QString action = VersQString(NomAction(f.Action));
    const QString compteur = QString::number(f.Compteur.Lire());
    switch (f.TypeFiltre.Lire()) {
    case FiltreExpediteur:
        return {VersQString(TexteCondition(f.Condition1, f.Valeur1.Lire())),
                VersQString(TexteCondition(f.Condition2, f.Valeur2.Lire())), casse, action, compteur};
    case FiltreSujet:
        return {VersQString(TexteCondition(f.Condition1, f.Valeur1.Lire())), casse, action, compteur};
    default:
        return {VersQString(f.Valeur1.Lire()), VersQString(TexteCondition(f.Condition1, f.Valeur2.Lire())), casse,
                action, compteur};
    }
}

TFFiltres::TFFiltres(TConfig& config, BoitesMessage& boites, QWidget* parent)
    : QDialog(parent), config_(config), boites_(boites)
{
    setObjectName(QStringLiteral("TFFiltres"));
    setWindowTitle(QStringLiteral("Filtres"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    filtreExp_ = new TFFiltreExp(this);
    filtreSujet_ = new TFFiltreSujet(this);
    filtreEntete_ = new TFFiltreEntete(config_.Entetes, this);
    nouveauFiltre_ = new TFNouveauFiltre(this);

    onglets_ = new QTabWidget(this);
    onglets_->setObjectName(QStringLiteral("PageControl1"));
    const struct {
        const char* nomOnglet;
        const char* onglet;
        const char* liste;
        QStringList colonnes;
    } pages[3] = {
        {"TSExp", "Expéditeur", "LVFiltresExp",
         {T("Condition nom"), T("Condition domaine"), T("Casse"), T("Action"), T("Compteur")}},
        {"TSSujet", "Sujet", "LVFiltresSujet", {T("Condition sujet"), T("Casse"), T("Action"), T("Compteur")}},
        {"TSEntetes", "Entêtes", "LVFiltresEntetes",
         {T("Entête"), T("Condition"), T("Casse"), T("Action"), T("Compteur")}},
    };
    for (int g = 0; g < 3; ++g) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(pages[g].nomOnglet));
        auto* liste = new ListeTriable(page);
        liste->setObjectName(QString::fromLatin1(pages[g].liste));
        liste->setHeaderLabels(pages[g].colonnes);
        const int dernier = int(pages[g].colonnes.size()) - 1;
        liste->DefinirComparaison([dernier](const QTreeWidgetItem& a, const QTreeWidgetItem& b, int c) {
            if (c == 0) return ComparerOctets(a.text(0), b.text(0));
            if (c == dernier) return ComparerNombres(a.text(c), b.text(c));
            return ComparerTextesSansCasse(a.text(c), b.text(c));
        });
        QHeaderView* h = liste->header();
        for (int c = 0; c <= dernier; ++c) {
            const bool texte = c == 0 || (g != FiltreSujet && c == 1);
            h->setSectionResizeMode(c, texte ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
        }
        auto* d = new QVBoxLayout(page);
        d->setContentsMargins(4, 4, 4, 4);
        d->addWidget(liste);
        onglets_->addTab(page, T(pages[g].onglet));
        listes_[std::size_t(g)] = liste;
        connect(liste, &QTreeWidget::itemSelectionChanged, this, &TFFiltres::MajBoutons);
        connect(liste, &QTreeWidget::itemDoubleClicked, this, [this] { BProprietesClick(); });
    }
    connect(onglets_, &QTabWidget::currentChanged, this, &TFFiltres::MajBoutons);

    auto bouton = [this](const char* nom, const char* texte, void (TFFiltres::*clic)()) {
        auto* b = new QPushButton(T(texte), this);
        b->setObjectName(QString::fromLatin1(nom));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, clic);
        return b;
    };
    auto* colonne = new QVBoxLayout;
    colonne->addWidget(bouton("BAjouter", "&Ajouter...", &TFFiltres::BAjouterClick));
    colonne->addWidget(bouton("BProprietes", "&Propriétés...", &TFFiltres::BProprietesClick));
    colonne->addWidget(bouton("BSupprimer", "&Supprimer", &TFFiltres::BSupprimerClick));
    colonne->addSpacing(8);
    colonne->addWidget(bouton("BRAZCpt", "&RAZ compteurs", &TFFiltres::BRAZCptClick));
    colonne->addSpacing(8);
    auto* groupe = new QGroupBox(T("Filtres actifs..."), this);
    groupe->setObjectName(QStringLiteral("GBActifs"));
    auto* g = new QVBoxLayout(groupe);
    g->addWidget(bouton("BActiver", "&Tous", &TFFiltres::BActiverClick));
    g->addWidget(bouton("BDesactiver", "A&ucun", &TFFiltres::BDesactiverClick));
    g->addWidget(bouton("BInverser", "&Inverser", &TFFiltres::BInverserClick));
    colonne->addWidget(groupe);
    colonne->addSpacing(8);
    colonne->addWidget(bouton("BClearFiltresObso", "&Filtres obsolètes", &TFFiltres::BClearFiltresObsoClick));
    colonne->addStretch();

    const auto [ok, annuler] = CreerBoutonsOkAnnuler(this);

    auto* haut = new QHBoxLayout;
    haut->addWidget(onglets_, 1);
    haut->addLayout(colonne);
    auto* bas = new QHBoxLayout;
    bas->addStretch();
    bas->addWidget(ok);
    bas->addWidget(annuler);
    auto* d = new QVBoxLayout(this);
    d->addLayout(haut, 1);
    d->addLayout(bas);
    resize(720, 380);
}

TFFiltres::~TFFiltres() = default;

QPushButton* TFFiltres::Bouton(const char* nom) const { return findChild<QPushButton*>(QString::fromLatin1(nom)); }

ListeTriable* TFFiltres::ListeCourante() const
{
    const int i = onglets_->currentIndex();
    return listes_[std::size_t(i < 0 ? 0 : i)];
}

EditeurFiltre* TFFiltres::Editeur(int genre) const
{
    if (genre == FiltreSujet) return filtreSujet_;
    if (genre == FiltreEntete) return filtreEntete_;
    return filtreExp_;
}

void TFFiltres::Vider()
{
    for (ListeTriable* l : listes_) l->clear();
}

QTreeWidgetItem* TFFiltres::AjouterLigne(int genre, const TFiltre& f)
{
    auto* item = new LigneFiltre;
    item->filtre = f;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
    item->setCheckState(0, f.Actif ? Qt::Checked : Qt::Unchecked);
    Ecrire(item, f);
    listes_[std::size_t(genre)]->addTopLevelItem(item);
    return item;
}

void TFFiltres::Charger(const ListeFiltres& filtres)
{
    Vider();
    for (const TFiltre& f : filtres) {
        const int g = f.TypeFiltre.Lire();
        // Records of an unknown kind get no row.
        if (g >= 0 && g < NombreGenresFiltre) AjouterLigne(g, f);
    }
    for (ListeTriable* l : listes_) {
        l->DefinirTri(0, true);
        l->Trier();
        l->setCurrentItem(nullptr);
        l->clearSelection();
    }
}

ListeFiltres TFFiltres::Resultat() const
{
    ListeFiltres r;
    for (const ListeTriable* l : listes_) {
        for (QTreeWidgetItem* item : l->Lignes()) {
            TFiltre f = Ligne(item)->filtre;
            f.Actif = item->checkState(0) == Qt::Checked ? 1 : 0;
            r.push_back(f);
        }
    }
    return r;
}

void TFFiltres::Sauver(ListeFiltres& filtres, const fs::path& dossier, ListeFiltres* base, QWidget* parent)
{
    if (dossier.empty()) return;
    const ResultatFichier r = base ? SauverFiltresFusion(dossier, filtres, *base) : SauverFiltres(dossier, filtres);
    if (!r.ok) boites_.Message(parent, "Erreur", r.erreur, IconeMessage::Erreur);
}

bool TFFiltres::Executer(ListeFiltres& filtres, const fs::path& dossier, ListeFiltres* base)
{
    Charger(filtres);
    onglets_->setCurrentIndex(0);
    const bool ok = exec() == QDialog::Accepted;
    if (ok) {
        filtres = Resultat();
        Sauver(filtres, dossier, base, this);
        if (!dossier.empty()) {
            // The header names added in the header editor.
            if (const ResultatFichier r = EnregistrerConfig(dossier, config_, configLue_); !r.ok)
                boites_.Message(this, "Erreur", r.erreur, IconeMessage::Erreur);
            else if (configLue_)
                *configLue_ = config_;
        }
    }
    Vider();
    return ok;
}

void TFFiltres::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    PlacerFenetre(this);
    MajBoutons();
    MajObsoletes();
}

void TFFiltres::MajBoutons()
{
    const ListeTriable* l = ListeCourante();
    const bool lignes = l->topLevelItemCount() > 0;
    const bool selection = l->LigneSelectionnee() != nullptr;
    for (const char* nom : {"BRAZCpt", "BActiver", "BDesactiver", "BInverser"}) Bouton(nom)->setEnabled(lignes);
    for (const char* nom : {"BProprietes", "BSupprimer"}) Bouton(nom)->setEnabled(selection);
}

void TFFiltres::MajObsoletes()
{
    bool toutes = true;
    for (const ListeTriable* l : listes_) toutes = toutes && l->topLevelItemCount() > 0;
    Bouton("BClearFiltresObso")->setEnabled(toutes);
}

bool TFFiltres::Ajouter(int genre, bool reinitialiser, TFiltre& nouveau)
{
    static const char* const titres[3] = {"Ajouter un filtre Expéditeur", "Ajouter un filtre Sujet",
                                          "Ajouter un filtre Entête"};
    EditeurFiltre* e = Editeur(genre);
    e->setWindowTitle(T(titres[genre]));
    if (reinitialiser) e->Reinitialiser(config_.ActionParDefaut);
    if (e->exec() != QDialog::Accepted) return false;
    nouveau = TFiltre::Vierge();
    nouveau.TypeFiltre = genre;
    e->Lire(nouveau);
    nouveau.Compteur = 0;
    nouveau.Actif = 1;
    return true;
}

void TFFiltres::BAjouterClick()
{
    const int genre = onglets_->currentIndex();
    TFiltre f;
    if (!Ajouter(genre, true, f)) return;
    // At the end, not sorted in.
    AjouterLigne(genre, f);
    listes_[std::size_t(genre)]->Peindre();
    MajBoutons();
    MajObsoletes();
}

void TFFiltres::BProprietesClick()
{
    static const char* const titres[3] = {"Propriété d'un filtre Expéditeur", "Propriété d'un filtre Sujet",
                                          "Propriété d'un filtre Entête"};
    const int genre = onglets_->currentIndex();
    QTreeWidgetItem* item = ListeCourante()->LigneSelectionnee();
    if (!item) return;
    EditeurFiltre* e = Editeur(genre);
    e->setWindowTitle(T(titres[genre]));
    e->Charger(Ligne(item)->filtre);
    if (e->exec() != QDialog::Accepted) return;
    TFiltre copie = Ligne(item)->filtre;
    e->Lire(copie);
    // Editing a filter restarts its count.
    copie.Compteur = 0;
    Ligne(item)->filtre = copie;
    Ecrire(item, copie);
}

void TFFiltres::BSupprimerClick()
{
    const int genre = onglets_->currentIndex();
    ListeTriable* l = ListeCourante();
    QTreeWidgetItem* item = l->LigneSelectionnee();
    if (!item) return;
    if (boites_.Question(this, "Confirmation", QuestionSupprimerFiltre(genre), BoutonsMessage::OuiNon,
                         IconeMessage::Question, true) != ReponseMessage::Oui)
        return;
    delete item;
    MajObsoletes();
    MajBoutons();
}

void TFFiltres::BRAZCptClick()
{
    ListeTriable* l = ListeCourante();
    if (l->topLevelItemCount() == 0) return;
    if (boites_.Question(this, "Confirmation", QuestionRAZCompteurs(onglets_->currentIndex()), BoutonsMessage::OuiNon,
                         IconeMessage::Question, true) != ReponseMessage::Oui)
        return;
    for (QTreeWidgetItem* item : l->Lignes()) {
        Ligne(item)->filtre.Compteur = 0;
        item->setText(l->columnCount() - 1, QStringLiteral("0"));
    }
}

void TFFiltres::BActiverClick()
{
    for (QTreeWidgetItem* item : ListeCourante()->Lignes()) item->setCheckState(0, Qt::Checked);
}

void TFFiltres::BDesactiverClick()
{
    for (QTreeWidgetItem* item : ListeCourante()->Lignes()) item->setCheckState(0, Qt::Unchecked);
}

void TFFiltres::BInverserClick()
{
    for (QTreeWidgetItem* item : ListeCourante()->Lignes())
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TFFiltres::BClearFiltresObsoClick()
{
    if (boites_.Question(this, "Confirmation", "Supprimer les filtres dont le compteur est à zéro ?"_cp,
                         BoutonsMessage::OuiNon, IconeMessage::Question, false) == ReponseMessage::Non)
        return;
    for (ListeTriable* l : listes_) {
        for (int i = l->topLevelItemCount() - 1; i >= 0; --i)
            if (Ligne(l->topLevelItem(i))->filtre.Compteur.Lire() == 0) delete l->takeTopLevelItem(i);
    }
    MajObsoletes();
    MajBoutons();
}

bool TFFiltres::NouveauDepuisMessage(const LigneMessage& ligne, ListeFiltres& filtres, const fs::path& dossier,
                                     ListeFiltres* base)
{
    if (nouveauFiltre_->exec() != QDialog::Accepted) return false;
    const int genre = nouveauFiltre_->Genre();
    switch (genre) {
    case FiltreExpediteur: {
        const std::optional<Texte> adresse = AdresseExpediteurPourAmi(ligne.Resume.Entetes);
        const AdresseSeparee parts = SeparerAdresse(adresse.value_or(Texte()));
        filtreExp_->EValeurUser()->setText(VersQString(parts.utilisateur));
        filtreExp_->EValeurDomaine()->setText(VersQString(parts.domaine));
        filtreExp_->CBConditionUser()->setCurrentIndex(CondContient);
        filtreExp_->CBConditionDomaine()->setCurrentIndex(CondAucune);
        break;
    }
    case FiltreSujet:
        filtreSujet_->EValeurSujet()->setText(VersQString(ligne.Sujet));
        filtreSujet_->CBConditionSujet()->setCurrentIndex(CondContient);
        break;
    default:
        break;
    }
    Editeur(genre)->CBAction()->setCurrentIndex(config_.ActionParDefaut >= 0 && config_.ActionParDefaut < NombreActions
                                                     ? config_.ActionParDefaut
                                                     : 0);
    onglets_->setCurrentIndex(genre);
    TFiltre f;
    if (!Ajouter(genre, false, f)) return false;
    filtres.push_back(f);
    Sauver(filtres, dossier, base, parentWidget());
    return true;
}

}  // namespace vaskor
