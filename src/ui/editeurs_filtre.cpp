#include "ui/editeurs_filtre.h"

#include "ui/disposition.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vaskor {

namespace {
QString T(const char* utf8) { return QString::fromUtf8(utf8); }
constexpr int LongueurValeur = 50;

int Code(const QComboBox* liste) { return liste->currentIndex() < 0 ? 0 : liste->currentIndex(); }
bool AvecValeur(int code) { return ConditionAvecValeur(code); }
bool SansValeur(int code) { return code != CondAucune && ConditionConnue(code) && !ConditionAvecValeur(code); }
// A code read from a damaged file shows as "(Pas de condition)".
int CodeAffichable(std::int32_t code) { return ConditionConnue(code) ? code : 0; }
int ActionAffichable(std::int32_t action) { return action >= 0 && action < NombreActions ? action : 0; }
}  // namespace

bool ValeurVide(const QString& valeur)
{
    for (const QChar c : valeur)
        if (c.unicode() > 32) return false;
    return true;
}

bool OkFiltreExp(int cu, const QString& vu, int cd, const QString& vd)
{
    const bool userOk = AvecValeur(cu) ? !ValeurVide(vu) : SansValeur(cu);
    const bool domaineOk = AvecValeur(cd) ? !ValeurVide(vd) : SansValeur(cd);
    if (cu == CondAucune && cd == CondAucune) return false;
    if (cu == CondAucune) return domaineOk;
    if (cd == CondAucune) return userOk;
    return userOk && domaineOk;
}

bool OkFiltreSujet(int condition, const QString& valeur)
{
    if (AvecValeur(condition)) return !ValeurVide(valeur);
    return SansValeur(condition);
}

bool OkFiltreEntete(int condition, const QString& nom, const QString& valeur)
{
    if (AvecValeur(condition)) return !ValeurVide(nom) && !ValeurVide(valeur);
    return SansValeur(condition) && !ValeurVide(nom);
}

// ---------------------------------------------------------------------------------------------

EditeurFiltre::EditeurFiltre(QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QComboBox* EditeurFiltre::ListeConditions(QWidget* parent, const char* nom)
{
    auto* l = new QComboBox(parent);
    l->setObjectName(QString::fromLatin1(nom));
    for (int code = 0; code < NombreConditions; ++code) l->addItem(VersQString(LibelleCondition(code)));
    l->setMaxVisibleItems(NombreConditions);
    return l;
}

QLineEdit* EditeurFiltre::Valeur(QWidget* parent, const char* nom)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(nom));
    e->setMaxLength(LongueurValeur);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 18);
    return e;
}

void EditeurFiltre::CreerBas(QVBoxLayout* disposition)
{
    cbCasse_ = new QCheckBox(T("Sensible à la casse"), this);
    cbCasse_->setObjectName(QStringLiteral("CBCasse"));
    lAlors_ = new QLabel(T("Alors..."), this);
    cbAction_ = new QComboBox(this);
    cbAction_->setObjectName(QStringLiteral("CBAction"));
    for (int a = 0; a < NombreActions; ++a) cbAction_->addItem(VersQString(LibelleActionEditeur(a)));
    lAlors_->setBuddy(cbAction_);
    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("BOK"));
    bAnnuler_ = new QPushButton(QStringLiteral("Annuler"), this);
    bAnnuler_->setObjectName(QStringLiteral("BAnnuler"));
    bAnnuler_->setAutoDefault(false);
    connect(bAnnuler_, &QPushButton::clicked, this, &QDialog::reject);

    disposition->addWidget(cbCasse_);
    disposition->addSpacing(4);
    disposition->addWidget(lAlors_);
    disposition->addWidget(cbAction_);
    disposition->addSpacing(8);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(bOK_);
    boutons->addWidget(bAnnuler_);
    disposition->addLayout(boutons);
    disposition->setSizeConstraint(QLayout::SetFixedSize);
}

void EditeurFiltre::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    MajEtats();
    if (!e->spontaneous()) {
        PlacerFenetre(this);
        if (QWidget* w = PremierFocus()) w->setFocus();
    }
}

// ---------------------------------------------------------------------------------------------
// Sender

TFFiltreExp::TFFiltreExp(QWidget* parent) : EditeurFiltre(parent)
{
    setObjectName(QStringLiteral("TFFiltreExp"));
    setWindowTitle(T("Filtre expéditeur"));
    cbConditionUser_ = ListeConditions(this, "CBConditionUser");
    eValeurUser_ = Valeur(this, "EValeurUser");
    cbConditionDomaine_ = ListeConditions(this, "CBConditionDomaine");
    eValeurDomaine_ = Valeur(this, "EValeurDomaine");

    auto* d = new QVBoxLayout(this);
    auto* lUser = new QLabel(T("Si le nom d'utilisateur..."), this);
    lUser->setBuddy(cbConditionUser_);
    d->addWidget(lUser);
    auto* ligneUser = new QHBoxLayout;
    ligneUser->addWidget(cbConditionUser_);
    ligneUser->addWidget(eValeurUser_, 1);
    d->addLayout(ligneUser);
    d->addSpacing(4);
    auto* lDomaine = new QLabel(T("Ou si le nom de domaine..."), this);
    lDomaine->setBuddy(cbConditionDomaine_);
    d->addWidget(lDomaine);
    auto* ligneDomaine = new QHBoxLayout;
    ligneDomaine->addWidget(cbConditionDomaine_);
    ligneDomaine->addWidget(eValeurDomaine_, 1);
    d->addLayout(ligneDomaine);
    d->addSpacing(4);
    CreerBas(d);
    bOK_->setDefault(true);
    connect(bOK_, &QPushButton::clicked, this, &QDialog::accept);

    for (QComboBox* l : {cbConditionUser_, cbConditionDomaine_})
        connect(l, &QComboBox::currentIndexChanged, this, &TFFiltreExp::MajEtats);
    for (QLineEdit* e : {eValeurUser_, eValeurDomaine_})
        connect(e, &QLineEdit::textChanged, this, &TFFiltreExp::MajEtats);
    MajEtats();
}

void TFFiltreExp::Reinitialiser(int action)
{
    cbConditionUser_->setCurrentIndex(0);
    cbConditionDomaine_->setCurrentIndex(0);
    eValeurUser_->clear();
    eValeurDomaine_->clear();
    cbCasse_->setChecked(false);
    cbAction_->setCurrentIndex(ActionAffichable(action));
}

void TFFiltreExp::Charger(const TFiltre& f)
{
    cbConditionUser_->setCurrentIndex(CodeAffichable(f.Condition1));
    eValeurUser_->setText(VersQString(f.Valeur1.Lire()));
    cbConditionDomaine_->setCurrentIndex(CodeAffichable(f.Condition2));
    eValeurDomaine_->setText(VersQString(f.Valeur2.Lire()));
    cbCasse_->setChecked(f.Casse != 0);
    cbAction_->setCurrentIndex(ActionAffichable(f.Action));
}

void TFFiltreExp::Lire(TFiltre& f) const
{
    f.Condition1 = Code(cbConditionUser_);
    f.Valeur1 = DepuisQString(eValeurUser_->text());
    f.Condition2 = Code(cbConditionDomaine_);
    f.Valeur2 = DepuisQString(eValeurDomaine_->text());
    f.Casse = cbCasse_->isChecked() ? 1 : 0;
    f.Action = Code(cbAction_);
}

void TFFiltreExp::MajEtats()
{
    const int cu = Code(cbConditionUser_), cd = Code(cbConditionDomaine_);
    const bool ok = OkFiltreExp(cu, eValeurUser_->text(), cd, eValeurDomaine_->text());
    bOK_->setEnabled(ok);
    cbAction_->setEnabled(ok);
    lAlors_->setEnabled(ok);
    eValeurUser_->setEnabled(AvecValeur(cu));
    eValeurDomaine_->setEnabled(AvecValeur(cd));
    cbCasse_->setEnabled(AvecValeur(cu) || AvecValeur(cd));
}

QWidget* TFFiltreExp::PremierFocus() const { return cbConditionUser_; }

// ---------------------------------------------------------------------------------------------
// Subject

TFFiltreSujet::TFFiltreSujet(QWidget* parent) : EditeurFiltre(parent)
{
    setObjectName(QStringLiteral("TFFiltreSujet"));
    setWindowTitle(T("Filtre sujet"));
    cbConditionSujet_ = ListeConditions(this, "CBConditionSujet");
    eValeurSujet_ = Valeur(this, "EValeurSujet");
    auto* d = new QVBoxLayout(this);
    auto* l = new QLabel(T("Si le sujet..."), this);
    l->setBuddy(cbConditionSujet_);
    d->addWidget(l);
    auto* ligne = new QHBoxLayout;
    ligne->addWidget(cbConditionSujet_);
    ligne->addWidget(eValeurSujet_, 1);
    d->addLayout(ligne);
    d->addSpacing(4);
    CreerBas(d);
    bOK_->setDefault(true);
    connect(bOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cbConditionSujet_, &QComboBox::currentIndexChanged, this, &TFFiltreSujet::MajEtats);
    connect(eValeurSujet_, &QLineEdit::textChanged, this, &TFFiltreSujet::MajEtats);
    MajEtats();
}

void TFFiltreSujet::Reinitialiser(int action)
{
    cbConditionSujet_->setCurrentIndex(0);
    eValeurSujet_->clear();
    cbCasse_->setChecked(false);
    cbAction_->setCurrentIndex(ActionAffichable(action));
}

void TFFiltreSujet::Charger(const TFiltre& f)
{
    cbConditionSujet_->setCurrentIndex(CodeAffichable(f.Condition1));
    eValeurSujet_->setText(VersQString(f.Valeur1.Lire()));
    cbCasse_->setChecked(f.Casse != 0);
    cbAction_->setCurrentIndex(ActionAffichable(f.Action));
}

void TFFiltreSujet::Lire(TFiltre& f) const
{
    f.Condition1 = Code(cbConditionSujet_);
    f.Valeur1 = DepuisQString(eValeurSujet_->text());
    f.Casse = cbCasse_->isChecked() ? 1 : 0;
    f.Action = Code(cbAction_);
}

void TFFiltreSujet::MajEtats()
{
    const int c = Code(cbConditionSujet_);
    const bool ok = OkFiltreSujet(c, eValeurSujet_->text());
    bOK_->setEnabled(ok);
    cbAction_->setEnabled(ok);
    lAlors_->setEnabled(ok);
    eValeurSujet_->setEnabled(AvecValeur(c));
    cbCasse_->setEnabled(AvecValeur(c));
}

QWidget* TFFiltreSujet::PremierFocus() const { return cbConditionSujet_; }

// ---------------------------------------------------------------------------------------------
// Header

TFFiltreEntete::TFFiltreEntete(std::vector<Texte>& nomsEntetes, QWidget* parent)
    : EditeurFiltre(parent), nomsEntetes_(nomsEntetes)
{
    setObjectName(QStringLiteral("TFFiltreEntete"));
    setWindowTitle(T("Filtre entête"));
    cbEntetes_ = new QComboBox(this);
    cbEntetes_->setObjectName(QStringLiteral("CBEntetes"));
    cbEntetes_->setEditable(true);
    cbEntetes_->setInsertPolicy(QComboBox::NoInsert);
    cbEntetes_->lineEdit()->setMaxLength(LongueurValeur);
    cbEntetes_->setMinimumWidth(cbEntetes_->fontMetrics().horizontalAdvance(QStringLiteral("Content-Transfert-Encoding")) + 40);
    for (int n = 1; n < NombreEntetesFixes; ++n) InsererNom(VersQString(NomEnteteFixe(n)), n);
    for (const Texte& nom : nomsEntetes_) {
        const QString q = VersQString(nom);
        bool present = false;
        for (int i = 0; i < cbEntetes_->count() && !present; ++i)
            present = EgalSansCasse(DepuisQString(cbEntetes_->itemText(i)), nom);
        if (!present && !q.isEmpty()) InsererNom(q, 0);
    }
    cbEntetes_->lineEdit()->installEventFilter(this);
    cbCondition_ = ListeConditions(this, "CBCondition");
    eValeurEntete_ = Valeur(this, "EValeurEntete");

    auto* d = new QVBoxLayout(this);
    auto* l = new QLabel(T("Si l'entête..."), this);
    l->setBuddy(cbEntetes_);
    d->addWidget(l);
    d->addWidget(cbEntetes_);
    auto* ligne = new QHBoxLayout;
    ligne->addWidget(cbCondition_);
    ligne->addWidget(eValeurEntete_, 1);
    d->addLayout(ligne);
    d->addSpacing(4);
    CreerBas(d);
    // Enter in the name list adds the name; it must not close the editor.
    bOK_->setAutoDefault(false);
    bOK_->setDefault(false);
    connect(bOK_, &QPushButton::clicked, this, [this] {
        AjouterNomSaisi();
        MajEtats();
        if (bOK_->isEnabled()) accept();
    });
    connect(cbCondition_, &QComboBox::currentIndexChanged, this, [this] {
        MajEtats();
        MajValeur();
    });
    connect(cbEntetes_, &QComboBox::editTextChanged, this, &TFFiltreEntete::MajEtats);
    connect(eValeurEntete_, &QLineEdit::textChanged, this, &TFFiltreEntete::MajEtats);
    MajEtats();
    MajValeur();
}

void TFFiltreEntete::InsererNom(const QString& nom, int numero)
{
    // Alphabetical, letter case aside.
    int i = 0;
    while (i < cbEntetes_->count() && QString::compare(cbEntetes_->itemText(i), nom, Qt::CaseInsensitive) <= 0) ++i;
    cbEntetes_->insertItem(i, nom, numero);
}

void TFFiltreEntete::AjouterNomSaisi()
{
    const QString nom = cbEntetes_->currentText();
    if (nom.isEmpty()) return;
    const Texte t = DepuisQString(nom);
    for (int i = 0; i < cbEntetes_->count(); ++i)
        if (EgalSansCasse(DepuisQString(cbEntetes_->itemText(i)), t)) return;
    InsererNom(nom, 0);
    cbEntetes_->setCurrentIndex(cbEntetes_->findText(nom, Qt::MatchExactly));
    nomsEntetes_.push_back(t);
}

int TFFiltreEntete::NumeroEntete() const
{
    const Texte t = DepuisQString(cbEntetes_->currentText());
    for (int i = 0; i < cbEntetes_->count(); ++i)
        if (EgalSansCasse(DepuisQString(cbEntetes_->itemText(i)), t)) return cbEntetes_->itemData(i).toInt();
    return 0;
}

bool TFFiltreEntete::eventFilter(QObject* objet, QEvent* e)
{
    if (objet == cbEntetes_->lineEdit() && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            AjouterNomSaisi();
            MajEtats();
            return true;
        }
    }
    return EditeurFiltre::eventFilter(objet, e);
}

void TFFiltreEntete::Reinitialiser(int action)
{
    cbEntetes_->setCurrentIndex(cbEntetes_->count() > 0 ? 0 : -1);
    cbCondition_->setCurrentIndex(0);
    eValeurEntete_->clear();
    cbCasse_->setChecked(false);
    cbAction_->setCurrentIndex(ActionAffichable(action));
}

void TFFiltreEntete::Charger(const TFiltre& f)
{
    const int i = cbEntetes_->findText(VersQString(f.Valeur1.Lire()), Qt::MatchExactly);
    cbEntetes_->setCurrentIndex(i);
    if (i < 0) cbEntetes_->setEditText(QString());
    cbCondition_->setCurrentIndex(CodeAffichable(f.Condition1));
    eValeurEntete_->setText(VersQString(f.Valeur2.Lire()));
    cbCasse_->setChecked(f.Casse != 0);
    cbAction_->setCurrentIndex(ActionAffichable(f.Action));
}

void TFFiltreEntete::Lire(TFiltre& f) const
{
    f.Valeur1 = DepuisQString(cbEntetes_->currentText());
    f.NumEntete = NumeroEntete();
    f.Condition1 = Code(cbCondition_);
    f.Valeur2 = DepuisQString(eValeurEntete_->text());
    f.Casse = cbCasse_->isChecked() ? 1 : 0;
    f.Action = Code(cbAction_);
}

void TFFiltreEntete::MajEtats()
{
    const int c = Code(cbCondition_);
    const bool ok = OkFiltreEntete(c, cbEntetes_->currentText(), eValeurEntete_->text());
    bOK_->setEnabled(ok);
    cbAction_->setEnabled(ok);
    lAlors_->setEnabled(ok);
    cbCasse_->setEnabled(AvecValeur(c));
}

void TFFiltreEntete::MajValeur()
{
    const int c = Code(cbCondition_);
    eValeurEntete_->setEnabled(AvecValeur(c));
    cbCasse_->setEnabled(AvecValeur(c));
}

QWidget* TFFiltreEntete::PremierFocus() const { return cbEntetes_; }

// ---------------------------------------------------------------------------------------------
// Chooser

TFNouveauFiltre::TFNouveauFiltre(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFNouveauFiltre"));
    setWindowTitle(T("Nouveau filtre"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* question = new QLabel(T("Quelle partie du message filtrer ?"), this);
    rbExpediteur_ = new QRadioButton(T("L'&expéditeur"), this);
    rbExpediteur_->setObjectName(QStringLiteral("RBExpediteur"));
    rbSujet_ = new QRadioButton(T("Le &sujet"), this);
    rbSujet_->setObjectName(QStringLiteral("RBSujet"));
    rbEntete_ = new QRadioButton(T("L'e&ntête"), this);
    rbEntete_->setObjectName(QStringLiteral("RBEntete"));
    const auto [ok, annuler] = CreerBoutonsOkAnnuler(this);

    auto* d = new QVBoxLayout(this);
    d->addWidget(question);
    d->addWidget(rbExpediteur_);
    d->addWidget(rbSujet_);
    d->addWidget(rbEntete_);
    d->addSpacing(8);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(ok);
    boutons->addWidget(annuler);
    d->addLayout(boutons);
    d->setSizeConstraint(QLayout::SetFixedSize);
    rbExpediteur_->setChecked(true);
}

int TFNouveauFiltre::Genre() const
{
    if (rbSujet_->isChecked()) return FiltreSujet;
    if (rbEntete_->isChecked()) return FiltreEntete;
    return FiltreExpediteur;
}

void TFNouveauFiltre::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        PlacerFenetre(this);
        rbExpediteur_->setChecked(true);
        rbExpediteur_->setFocus();
    }
}

}  // namespace vaskor
