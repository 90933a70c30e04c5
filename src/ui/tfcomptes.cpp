#include "ui/tfcomptes.h"

#include "ui/boites_message.h"
#include "ui/liste_triable.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"
#include "ui/tfcompte.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace vaskor {

namespace {

QString T(const char* utf8) { return QString::fromUtf8(utf8); }

struct LigneCompte : QTreeWidgetItem {
    TCompte compte = TCompte::Vierge();
    ChoixSecurite securite;
};

LigneCompte* Ligne(QTreeWidgetItem* item) { return static_cast<LigneCompte*>(item); }

// The editor keeps no password once its turn is over, whether it was accepted or not.
struct OubliMotDePasse {
    TFCompte& editeur;
    ~OubliMotDePasse() { editeur.OublierMotDePasse(); }
};

void Ecrire(LigneCompte* l)
{
    l->setText(0, VersQString(l->compte.Description.Lire()));
    l->setText(1, VersQString(l->compte.ServeurPOP.Lire()));
    l->setText(2, VersQString(l->compte.NomUser.Lire()));
}

}  // namespace

TFComptes::TFComptes(BoitesMessage& boites, QWidget* parent) : QDialog(parent), boites_(boites)
{
    setObjectName(QStringLiteral("TFComptes"));
    setWindowTitle(QStringLiteral("Comptes"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    editeur_ = new TFCompte(boites_, this);

    lvComptes_ = new ListeTriable(this);
    lvComptes_->setObjectName(QStringLiteral("LVComptes"));
    lvComptes_->setHeaderLabels({T("Description"), T("Serveur POP"), T("Nom d'utilisateur")});
    for (int c = 0; c < 3; ++c) lvComptes_->setColumnWidth(c, 125);
    lvComptes_->DefinirComparaison([](const QTreeWidgetItem& a, const QTreeWidgetItem& b, int c) {
        return c == 0 ? ComparerOctets(a.text(0), b.text(0)) : ComparerTextesSansCasse(a.text(c), b.text(c));
    });
    connect(lvComptes_, &QTreeWidget::itemSelectionChanged, this, &TFComptes::MajBoutons);
    connect(lvComptes_, &QTreeWidget::itemDoubleClicked, this, [this] { BProprietesClick(); });

    auto bouton = [this](const char* nom, const char* texte) {
        auto* b = new QPushButton(T(texte), this);
        b->setObjectName(QString::fromLatin1(nom));
        b->setAutoDefault(false);
        return b;
    };
    auto* colonne = new QVBoxLayout;
    QPushButton* b = bouton("BAjouter", "&Ajouter...");
    connect(b, &QPushButton::clicked, this, &TFComptes::BAjouterClick);
    colonne->addWidget(b);
    b = bouton("BProprietes", "&Propriétés...");
    connect(b, &QPushButton::clicked, this, &TFComptes::BProprietesClick);
    colonne->addWidget(b);
    b = bouton("BSupprimer", "&Supprimer...");
    connect(b, &QPushButton::clicked, this, &TFComptes::BSupprimerClick);
    colonne->addWidget(b);
    colonne->addStretch();
    b = bouton("BOK", "OK");
    b->setDefault(true);
    connect(b, &QPushButton::clicked, this, &QDialog::accept);
    colonne->addWidget(b);
    b = bouton("BAnnuler", "Annuler");
    connect(b, &QPushButton::clicked, this, &QDialog::reject);
    colonne->addWidget(b);

    auto* d = new QHBoxLayout(this);
    d->addWidget(lvComptes_, 1);
    d->addLayout(colonne);
    resize(520, 260);
}

QPushButton* TFComptes::Bouton(const char* nom) const { return findChild<QPushButton*>(QString::fromLatin1(nom)); }

QTreeWidgetItem* TFComptes::AjouterLigne(const TCompte& compte, const ChoixSecurite& securite)
{
    auto* l = new LigneCompte;
    l->compte = compte;
    l->securite = securite;
    Ecrire(l);
    lvComptes_->addTopLevelItem(l);
    return l;
}

void TFComptes::Charger(const ListeComptes& comptes, const SecuritesComptes& securites)
{
    lvComptes_->clear();
    for (const TCompte& c : comptes.Tous()) AjouterLigne(c, securites.Pour(c));
    lvComptes_->DefinirTri(0, true);
    lvComptes_->Trier();
    MajBoutons();
}

std::vector<TCompte> TFComptes::Comptes() const
{
    std::vector<TCompte> r;
    for (QTreeWidgetItem* i : lvComptes_->Lignes()) r.push_back(Ligne(i)->compte);
    return r;
}

SecuritesComptes TFComptes::Securites() const
{
    // Each row carries its choice under its record's current names: renamed accounts keep theirs,
    // removed ones take theirs away.
    SecuritesComptes s;
    for (QTreeWidgetItem* i : lvComptes_->Lignes()) {
        const LigneCompte* l = Ligne(i);
        if (l->securite.stocke || !l->securite.empreinte.empty())
            s.Definir(l->compte, l->securite.mode, l->securite.empreinte);
    }
    return s;
}

void TFComptes::MajBoutons()
{
    const bool selection = lvComptes_->LigneSelectionnee() != nullptr;
    Bouton("BProprietes")->setEnabled(selection);
    Bouton("BSupprimer")->setEnabled(selection);
}

void TFComptes::BAjouterClick()
{
    editeur_->Vider();
    editeur_->setWindowTitle(QStringLiteral("Ajouter un compte"));
    const OubliMotDePasse oubli{*editeur_};
    if (editeur_->exec() != QDialog::Accepted) return;
    TCompte c = TCompte::Vierge();
    editeur_->Appliquer(c);
    QTreeWidgetItem* l = AjouterLigne(c, editeur_->Securite());
    lvComptes_->Trier();
    lvComptes_->setCurrentItem(l);
    MajBoutons();
}

void TFComptes::BProprietesClick()
{
    QTreeWidgetItem* item = lvComptes_->LigneSelectionnee();
    if (!item) return;
    LigneCompte* l = Ligne(item);
    TCompte copie = l->compte;
    editeur_->setWindowTitle(QString::fromUtf8("Propriété d'un compte"));
    editeur_->Charger(copie, l->securite);
    const OubliMotDePasse oubli{*editeur_};
    if (editeur_->exec() != QDialog::Accepted) return;
    editeur_->Appliquer(copie);
    l->compte = copie;
    l->securite = editeur_->Securite();
    Ecrire(l);
    lvComptes_->Trier();
}

void TFComptes::BSupprimerClick()
{
    QTreeWidgetItem* item = lvComptes_->LigneSelectionnee();
    if (!item) return;
    if (boites_.Question(this, "Confirmation", "Supprimer ce compte ?", BoutonsMessage::OuiNon, IconeMessage::Question,
                         true) != ReponseMessage::Oui)
        return;
    delete item;
    MajBoutons();
}

void TFComptes::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    PlacerFenetre(this);
    lvComptes_->DefinirTri(0, true);
    lvComptes_->Trier();
    lvComptes_->setFocus();
    MajBoutons();
}

}  // namespace vaskor
