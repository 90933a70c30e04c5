#include "ui/tfamis.h"

#include "platform/base/carnet_vcard.h"
#include "ui/boites_message.h"
#include "ui/disposition.h"
#include "ui/liste_triable.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vaskor {

namespace {

QString T(const char* utf8) { return QString::fromUtf8(utf8); }
constexpr int LongueurNom = 50;

// A row owns its copy of a friend record.
struct LigneAmi : QTreeWidgetItem {
    TAmi ami = TAmi::Vierge();
};
LigneAmi* Ligne(QTreeWidgetItem* item) { return static_cast<LigneAmi*>(item); }

void Ecrire(QTreeWidgetItem* item, const TAmi& a)
{
    item->setText(0, VersQString(a.Nom.Lire()));
    item->setText(1, VersQString(NomTypeAmi(a)));
}

// ASCII capitals to small letters, nothing else.
QString MinusculesAscii(QString s)
{
    for (QChar& c : s)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return s;
}

}  // namespace

Texte MessageAdressesNonImportees(const std::vector<Texte>& adresses)
{
    Texte m = "Ces adresses n'ont pas été importées : une adresse d'ami tient en 50 caractères "
              "de l'alphabet occidental."_cp;
    for (const Texte& a : adresses) m += "\r\n" + a;
    return m;
}

// ---------------------------------------------------------------------------------------------
// The editor

TFAmi::TFAmi(BoitesMessage& boites, QWidget* parent) : QDialog(parent), boites_(boites)
{
    setObjectName(QStringLiteral("TFAmi"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lAjouter_ = new QLabel(T("Ajouter..."), this);
    lAjouter_->setObjectName(QStringLiteral("LAjouter"));
    rbNom_ = new QRadioButton(T("Une &adresse"), this);
    rbNom_->setObjectName(QStringLiteral("RBNom"));
    rbDomaine_ = new QRadioButton(T("&Un &domaine"), this);
    rbDomaine_->setObjectName(QStringLiteral("RBDomaine"));
    lAdresse_ = new QLabel(T("N&om :"), this);
    lAdresse_->setObjectName(QStringLiteral("LAdresse"));
    eAdresse_ = new QLineEdit(this);
    eAdresse_->setObjectName(QStringLiteral("EAdresse"));
    eAdresse_->setMaxLength(LongueurNom);
    eAdresse_->setMinimumWidth(eAdresse_->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 22);
    lAdresse_->setBuddy(eAdresse_);
    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("BOK"));
    bOK_->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("BAnnuler"));
    annuler->setAutoDefault(false);

    auto* d = new QVBoxLayout(this);
    d->addWidget(lAjouter_);
    auto* choix = new QHBoxLayout;
    choix->addSpacing(12);
    choix->addWidget(rbNom_);
    choix->addWidget(rbDomaine_);
    choix->addStretch();
    d->addLayout(choix);
    d->addSpacing(4);
    auto* ligne = new QHBoxLayout;
    ligne->addWidget(lAdresse_);
    ligne->addWidget(eAdresse_, 1);
    d->addLayout(ligne);
    d->addSpacing(8);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(bOK_);
    boutons->addWidget(annuler);
    d->addLayout(boutons);
    d->setSizeConstraint(QLayout::SetFixedSize);

    connect(rbNom_, &QRadioButton::toggled, this, [this](bool coche) {
        lAdresse_->setText(coche ? T("N&om :") : T("D&omaine :"));
    });
    connect(eAdresse_, &QLineEdit::textChanged, this, &TFAmi::MajEtats);
    connect(bOK_, &QPushButton::clicked, this, &TFAmi::BOKClick);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    rbNom_->setChecked(true);
    MajEtats();
}

void TFAmi::MajEtats() { bOK_->setEnabled(!eAdresse_->text().isEmpty()); }

void TFAmi::BOKClick()
{
    const Texte nom = DepuisQString(eAdresse_->text());
    const bool adresse = rbNom_->isChecked();
    auto refuser = [this](const Texte& texte) {
        boites_.Message(this, "Information", texte, IconeMessage::Information);
        eAdresse_->setFocus();
    };
    if (adresse && !AdresseValide(nom)) return refuser("L'adresse saisie ne semble pas valide.");
    if (existe_ && existe_(nom))
        return refuser(adresse ? "Cette adresse a déjà été saisie."_cp : "Ce domaine a déjà été saisi."_cp);
    accept();
}

void TFAmi::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    PlacerFenetre(this, 4);
    lAdresse_->setText(rbNom_->isChecked() ? T("N&om :") : T("D&omaine :"));
    MajEtats();
    rbNom_->setFocus();
}

// ---------------------------------------------------------------------------------------------
// The dialog

TFAmis::TFAmis(BoitesMessage& boites, QWidget* parent) : QDialog(parent), boites_(boites)
{
    setObjectName(QStringLiteral("TFAmis"));
    setWindowTitle(QStringLiteral("Amis"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    lvAmis_ = new ListeTriable(this);
    lvAmis_->setObjectName(QStringLiteral("LVAmis"));
    lvAmis_->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Type")});
    lvAmis_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvAmis_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lvAmis_->DefinirComparaison([](const QTreeWidgetItem& a, const QTreeWidgetItem& b, int c) {
        return c == 0 ? ComparerOctets(a.text(0), b.text(0)) : ComparerTextesSansCasse(a.text(c), b.text(c));
    });
    editeur_ = new TFAmi(boites_, this);
    editeur_->DefinirExiste([this](const Texte& nom) { return NomPresent(nom); });

    auto bouton = [this](const char* nom, const char* texte, void (TFAmis::*clic)()) {
        auto* b = new QPushButton(T(texte), this);
        b->setObjectName(QString::fromLatin1(nom));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, clic);
        return b;
    };
    auto* colonne = new QVBoxLayout;
    colonne->addWidget(bouton("BAjouter", "&Ajouter...", &TFAmis::BAjouterClick));
    colonne->addWidget(bouton("BProprietes", "&Propriétés...", &TFAmis::BProprietesClick));
    colonne->addWidget(bouton("BSupprimer", "&Supprimer", &TFAmis::BSupprimerClick));
    colonne->addSpacing(8);
    colonne->addWidget(bouton("BImporter", "&Importer des contacts...", &TFAmis::BImporterClick));
    colonne->addStretch();
    const auto [ok, annuler] = CreerBoutonsOkAnnuler(this);
    colonne->addWidget(ok);
    colonne->addWidget(annuler);

    auto* d = new QHBoxLayout(this);
    d->addWidget(lvAmis_, 1);
    d->addLayout(colonne);
    resize(520, 340);

    connect(lvAmis_, &QTreeWidget::itemSelectionChanged, this, &TFAmis::MajBoutons);
    connect(lvAmis_, &QTreeWidget::itemDoubleClicked, this, [this] { BProprietesClick(); });
    choisirFichiers_ = [](QWidget* parent) {
        return QFileDialog::getOpenFileNames(parent, T("Importer des contacts"), QString(),
                                             T("Contacts vCard (*.vcf *.vcard);;Tous les fichiers (*)"));
    };
}

QPushButton* TFAmis::Bouton(const char* nom) const { return findChild<QPushButton*>(QString::fromLatin1(nom)); }

bool TFAmis::Executer(QWidget* parent, ListeAmis& amis, const fs::path& dossier, BoitesMessage& boites,
                      std::function<QStringList(QWidget*)> choisirFichiers)
{
    TFAmis dialogue(boites, parent);
    if (choisirFichiers) dialogue.DefinirChoixFichiers(std::move(choisirFichiers));
    dialogue.Charger(amis);
    if (dialogue.exec() != QDialog::Accepted) return false;
    amis = dialogue.Resultat();
    TrierAmis(amis);
    if (!dossier.empty()) {
        if (const ResultatFichier r = SauverAmis(dossier, amis); !r.ok)
            boites.Message(parent, "Erreur", r.erreur, IconeMessage::Erreur);
    }
    return true;
}

QTreeWidgetItem* TFAmis::AjouterLigne(const TAmi& ami)
{
    auto* item = new LigneAmi;
    item->ami = ami;
    Ecrire(item, ami);
    lvAmis_->addTopLevelItem(item);
    return item;
}

void TFAmis::Charger(const ListeAmis& amis)
{
    lvAmis_->clear();
    for (const TAmi& a : amis) AjouterLigne(a);
}

ListeAmis TFAmis::Resultat() const
{
    ListeAmis r;
    for (QTreeWidgetItem* item : lvAmis_->Lignes()) r.push_back(Ligne(item)->ami);
    return r;
}

bool TFAmis::NomPresent(const Texte& nom) const
{
    for (QTreeWidgetItem* item : lvAmis_->Lignes())
        if (EgalSansCasse(Ligne(item)->ami.Nom.Lire(), nom)) return true;
    return false;
}

void TFAmis::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    PlacerFenetre(this);
    // The sort state starts on "Nom", ascending; the rows keep their order until a click.
    lvAmis_->DefinirTri(0, true);
    lvAmis_->Peindre();
    MajBoutons();
}

void TFAmis::MajBoutons()
{
    const bool selection = lvAmis_->LigneSelectionnee() != nullptr;
    Bouton("BSupprimer")->setEnabled(selection);
    Bouton("BProprietes")->setEnabled(selection);
}

void TFAmis::BAjouterClick()
{
    editeur_->setWindowTitle(T("Ajouter un ami"));
    editeur_->LAjouter()->setText(T("Ajouter..."));
    editeur_->RBNom()->setChecked(true);
    editeur_->EAdresse()->clear();
    if (editeur_->exec() != QDialog::Accepted) return;
    TAmi a = TAmi::Vierge();
    a.TypeAmi = editeur_->RBNom()->isChecked() ? AmiAdresse : AmiDomaine;
    a.Nom = DepuisQString(editeur_->EAdresse()->text());
    AjouterLigne(a);
    lvAmis_->Peindre();
}

void TFAmis::BProprietesClick()
{
    QTreeWidgetItem* item = lvAmis_->LigneSelectionnee();
    if (!item) return;
    const TAmi& a = Ligne(item)->ami;
    editeur_->setWindowTitle(T("Propriétés d'un ami"));
    editeur_->LAjouter()->setText(T("Type..."));
    (a.EstDomaine() ? editeur_->RBDomaine() : editeur_->RBNom())->setChecked(true);
    editeur_->EAdresse()->setText(VersQString(a.Nom.Lire()));
    if (editeur_->exec() != QDialog::Accepted) return;
    TAmi copie = Ligne(item)->ami;
    copie.TypeAmi = editeur_->RBNom()->isChecked() ? AmiAdresse : AmiDomaine;
    copie.Nom = DepuisQString(editeur_->EAdresse()->text());
    Ligne(item)->ami = copie;
    Ecrire(item, copie);
}

void TFAmis::BSupprimerClick()
{
    QTreeWidgetItem* item = lvAmis_->LigneSelectionnee();
    if (!item) return;
    const Texte question = Ligne(item)->ami.EstDomaine() ? "Supprimer ce domaine de la liste des amis ?"
                                                         : "Supprimer cette adresse de la liste des amis?";
    if (boites_.Question(this, "Confirmation", question, BoutonsMessage::OuiNon, IconeMessage::Question, false) !=
        ReponseMessage::Oui)
        return;
    delete item;
    MajBoutons();
}

void TFAmis::BImporterClick()
{
    const QStringList fichiers = choisirFichiers_ ? choisirFichiers_(this) : QStringList();
    if (fichiers.isEmpty()) return;
    Importer(fichiers);
}

void TFAmis::Importer(const QStringList& fichiers)
{
    const char* const boutons[] = {"BAjouter", "BSupprimer", "BProprietes", "BImporter", "BOK", "BAnnuler"};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const char* b : boutons) Bouton(b)->setEnabled(false);
    lvAmis_->setEnabled(false);
    lvAmis_->setUpdatesEnabled(false);

    std::vector<Texte> refusees;
    std::vector<Texte> erreurs;
    int trouvees = 0;
    for (const QString& fichier : fichiers) {
        std::string octets;
        if (const ResultatFichier r = LireFichier(fs::path(fichier.toStdString()), octets); !r.ok) {
            erreurs.push_back(r.erreur);
            continue;
        }
        for (const ContactVCard& contact : LireVCard(octets)) {
            for (const QString& brute : contact.adresses) {
                ++trouvees;
                const QString adresse = MinusculesAscii(brute);
                const Texte cp = DepuisQString(adresse);
                // Kept whole or not at all: a cut address or a "?" in it would be a wrong friend.
                if (VersQString(cp) != adresse || cp.size() > std::size_t(LongueurNom)) {
                    refusees.push_back(cp);
                    continue;
                }
                if (NomPresent(cp)) continue;
                TAmi a = TAmi::Vierge();
                a.TypeAmi = AmiAdresse;
                a.Nom = cp;
                AjouterLigne(a);
            }
        }
    }
    lvAmis_->DefinirTri(0, true);
    lvAmis_->Trier();

    lvAmis_->setUpdatesEnabled(true);
    lvAmis_->setEnabled(true);
    for (const char* b : boutons) Bouton(b)->setEnabled(true);
    MajBoutons();
    QApplication::restoreOverrideCursor();

    for (const Texte& e : erreurs) boites_.Message(this, "Erreur", e, IconeMessage::Erreur);
    if (!refusees.empty()) boites_.Message(this, "Information", MessageAdressesNonImportees(refusees), IconeMessage::Information);
    if (trouvees == 0 && erreurs.empty())
        boites_.Message(this, "Information", "Aucune adresse électronique n'a été trouvée dans les fichiers choisis."_cp,
                        IconeMessage::Information);
}

}  // namespace vaskor
