#include "ui/tfcontroleauto.h"

#include "core/verrou_dossier.h"
#include "crypto/fichier_comptes.h"
#include "engine/controle.h"
#include "ui/boites_message.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace vaskor {

Texte MessageHeureInvalide(const Texte& texte)
{
    return "\"" + texte + "\" n'est pas une heure valide. Saisissez-la sous la forme hh:mm (de 00:00 \xE0 23:59).";
}

Texte MessageAucunCompteControleAuto()
{
    return "L'activation du contrôle automatique nécessite qu'au moins un compte soit sélectionné."_cp;
}

Texte MessageErreurEnregistrementConfig(const Texte& detail)
{
    Texte m = "Les paramètres n'ont pas pu être enregistrés."_cp;
    if (!detail.empty()) m += "\r\n" + detail;
    return m;
}

Texte MessageErreurEnregistrementComptes(const Texte& detail)
{
    Texte m = "Le fichier de comptes n'a pas pu être enregistré."_cp;
    if (!detail.empty()) m += "\r\n" + detail;
    return m;
}

namespace {

constexpr int MinutesMin = 1;
constexpr int MinutesMax = 120;

// The time field takes digits, backspace and a single ":" from the keyboard. Keys that write
// nothing (arrows, Delete, Enter, Esc) and shortcuts keep their usual work; a pasted text
// goes through the validator, which holds the same rule, so the field never holds a letter.
class EditionHeure : public QLineEdit {
public:
    explicit EditionHeure(QWidget* parent) : QLineEdit(parent)
    {
        setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*:?[0-9]*")), this));
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const QString t = e->text();
        const bool raccourci = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const bool ecrit = !t.isEmpty() && t.at(0).isPrint();
        if (e->key() == Qt::Key_Backspace || raccourci || !ecrit) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        const bool chiffre = t.size() == 1 && t.at(0) >= u'0' && t.at(0) <= u'9';
        const bool deuxPoints = t == QStringLiteral(":") && !text().contains(u':');
        if (chiffre || deuxPoints) {
            QLineEdit::keyPressEvent(e);
            return;
        }
        // Refused: the key is used up here, it does not reach the dialog either.
        e->accept();
    }
};

bool MotDePasseEnregistre(const TCompte& c) { return !c.Password.Vide(); }

}  // namespace

TFControleAuto::TFControleAuto(BoitesMessage& boites, QWidget* parent) : QDialog(parent), boites_(boites)
{
    setObjectName(QStringLiteral("TFControleAuto"));
    setWindowTitle(QString::fromUtf8("Contrôle automatique"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    cbControleAuto_ = new QCheckBox(QString::fromUtf8("&Activer le contrôle automatique"), this);
    cbControleAuto_->setObjectName(QStringLiteral("CBControleAuto"));

    lSelection_ = new QLabel(QString::fromUtf8("&Sélectionner les comptes à contrôler :"), this);
    lSelection_->setObjectName(QStringLiteral("LSelection"));
    clbComptes_ = new QListWidget(this);
    clbComptes_->setObjectName(QStringLiteral("CLBComptes"));
    clbComptes_->setSelectionMode(QAbstractItemView::SingleSelection);
    clbComptes_->setMinimumHeight(110);
    lSelection_->setBuddy(clbComptes_);

    rbIntervalle_ = new QRadioButton(QStringLiteral("T&outes les :"), this);
    rbIntervalle_->setObjectName(QStringLiteral("RBIntervalle"));
    tbTimerControleAuto_ = new QSlider(Qt::Horizontal, this);
    tbTimerControleAuto_->setObjectName(QStringLiteral("TBTimerControleAuto"));
    tbTimerControleAuto_->setRange(MinutesMin, MinutesMax);
    tbTimerControleAuto_->setSingleStep(5);
    tbTimerControleAuto_->setPageStep(10);
    tbTimerControleAuto_->setTickInterval(10);
    tbTimerControleAuto_->setTickPosition(QSlider::TicksBelow);
    tbTimerControleAuto_->setMinimumWidth(180);
    lMinutes_ = new QLabel(this);
    lMinutes_->setObjectName(QStringLiteral("LMinutes"));
    // Wide enough for "120 minutes", so the layout does not move while the bar slides.
    lMinutes_->setMinimumWidth(lMinutes_->fontMetrics().horizontalAdvance(QStringLiteral("120 minutes")) + 4);

    rbControlerA_ = new QRadioButton(QString::fromUtf8("&Tous les jours à :"), this);
    rbControlerA_->setObjectName(QStringLiteral("RBControlerA"));
    eControlerA_ = new EditionHeure(this);
    eControlerA_->setObjectName(QStringLiteral("EControlerA"));
    eControlerA_->setMaxLength(5);
    eControlerA_->setText(QStringLiteral("20:00"));
    eControlerA_->setFixedWidth(eControlerA_->fontMetrics().horizontalAdvance(QStringLiteral("00:000")) + 16);

    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("BOK"));
    bOK_->setDefault(true);
    bAnnuler_ = new QPushButton(QStringLiteral("Annuler"), this);
    bAnnuler_->setObjectName(QStringLiteral("BAnnuler"));

    auto* quand = new QGridLayout;
    quand->addWidget(rbIntervalle_, 0, 0);
    quand->addWidget(tbTimerControleAuto_, 0, 1);
    quand->addWidget(lMinutes_, 0, 2);
    quand->addWidget(rbControlerA_, 1, 0);
    quand->addWidget(eControlerA_, 1, 1, Qt::AlignLeft);
    quand->setColumnStretch(1, 1);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(bOK_);
    boutons->addWidget(bAnnuler_);

    auto* disposition = new QVBoxLayout(this);
    disposition->addWidget(cbControleAuto_);
    disposition->addSpacing(6);
    disposition->addWidget(lSelection_);
    disposition->addWidget(clbComptes_);
    disposition->addSpacing(6);
    disposition->addLayout(quand);
    disposition->addSpacing(6);
    disposition->addLayout(boutons);
    // The dialog keeps the size its contents ask for.
    disposition->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbControleAuto_, &QCheckBox::toggled, this, &TFControleAuto::MajEtats);
    connect(rbIntervalle_, &QRadioButton::toggled, this, &TFControleAuto::MajEtats);
    connect(rbControlerA_, &QRadioButton::toggled, this, &TFControleAuto::MajEtats);
    connect(tbTimerControleAuto_, &QSlider::valueChanged, this, &TFControleAuto::MajMinutes);
    connect(clbComptes_, &QListWidget::itemDoubleClicked, this, [this] { CLBComptesDblClick(); });
    connect(bOK_, &QPushButton::clicked, this, &TFControleAuto::BOKClick);
    connect(bAnnuler_, &QPushButton::clicked, this, &QDialog::reject);

    rbIntervalle_->setChecked(true);
    tbTimerControleAuto_->setValue(30);
    MajMinutes(tbTimerControleAuto_->value());
    MajEtats();
}

bool TFControleAuto::Executer(QWidget* parent, TConfig& config, ListeComptes& comptes, const fs::path& dossier,
                              TCipherManager& chiffre, BoitesMessage& boites, TConfig* lue)
{
    TFControleAuto dialogue(boites, parent);
    dialogue.Charger(config, comptes);
    if (dialogue.exec() != QDialog::Accepted) return false;
    dialogue.Appliquer(config, comptes);
    if (!dossier.empty()) Enregistrer(parent, config, comptes, dossier, chiffre, boites, lue);
    return true;
}

void TFControleAuto::Charger(const TConfig& config, const ListeComptes& comptes)
{
    cbControleAuto_->setChecked(config.ControleAuto);
    if (config.ControlerA)
        rbControlerA_->setChecked(true);
    else
        rbIntervalle_->setChecked(true);
    // A value out of range in an edited file shows at the nearest end of the bar.
    tbTimerControleAuto_->setValue(std::clamp<int>(config.FrequenceControleAuto, MinutesMin, MinutesMax));
    MajMinutes(tbTimerControleAuto_->value());
    eControlerA_->setText(VersQString(config.HeureCtrl));

    clbComptes_->clear();
    for (std::size_t i = 0; i < comptes.Nombre(); ++i) {
        const TCompte& c = comptes[i];
        auto* ligne = new QListWidgetItem(VersQString(c.Description.Lire()), clbComptes_);
        const bool motDePasse = MotDePasseEnregistre(c);
        Qt::ItemFlags drapeaux = Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
        // Without a password the account cannot be checked unattended: its line stays greyed.
        if (motDePasse) drapeaux |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        ligne->setFlags(drapeaux);
        ligne->setCheckState(c.ControleAuto != 0 && motDePasse ? Qt::Checked : Qt::Unchecked);
    }
    MajEtats();
}

void TFControleAuto::Appliquer(TConfig& config, ListeComptes& comptes) const
{
    config.ControleAuto = cbControleAuto_->isChecked();
    config.ControlerA = rbControlerA_->isChecked();
    // OK checks the time only in the fixed-time mode; a time that does not read is never stored, so
    // the last valid one (or the default) stays for the day the user comes back to that mode.
    const Texte heure = DepuisQString(eControlerA_->text());
    int h = 0, m = 0;
    if (LireHeure(heure, h, m)) config.HeureCtrl = heure;
    config.FrequenceControleAuto = tbTimerControleAuto_->value();
    for (std::size_t i = 0; i < comptes.Nombre(); ++i) {
        const QListWidgetItem* ligne = i < std::size_t(clbComptes_->count()) ? clbComptes_->item(int(i)) : nullptr;
        const bool coche = ligne && (ligne->flags() & Qt::ItemIsEnabled) && ligne->checkState() == Qt::Checked;
        comptes.DefinirControleAuto(i, coche);
    }
}

bool TFControleAuto::Enregistrer(QWidget* parent, const TConfig& config, const ListeComptes& comptes,
                                 const fs::path& dossier, TCipherManager& chiffre, BoitesMessage& boites,
                                 TConfig* lue)
{
    bool ok = true;
    if (const ResultatFichier r = EnregistrerConfig(dossier, config, lue); !r.ok) {
        boites.Message(parent, "Erreur", MessageErreurEnregistrementConfig(r.erreur), IconeMessage::Erreur);
        ok = false;
    } else if (lue) {
        *lue = config;
    }
    // The file may have changed since the window read it (vaskor-cli accounts add): only the
    // flags this dialog sets are written onto what is on disk now, so nothing added elsewhere is
    // lost. Accounts are matched by description, server and user name.
    std::vector<TCompte> aEcrire = comptes.Tous();
    // Read and written under the folder's lock, like every other save of the accounts.
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) {
        boites.Message(parent, "Erreur", MessageErreurEnregistrementComptes(TexteDossierOccupe(dossier)),
                       IconeMessage::Erreur);
        return false;
    }
    if (ResultatChargementComptes disque = ChargerComptes(chiffre, dossier); disque.ok && !disque.comptes.Tous().empty()) {
        aEcrire = disque.comptes.Tous();
        for (TCompte& c : aEcrire)
            for (const TCompte& m : comptes.Tous())
                if (m.Description.Lire() == c.Description.Lire() && m.ServeurPOP.Lire() == c.ServeurPOP.Lire() &&
                    m.NomUser.Lire() == c.NomUser.Lire())
                    c.ControleAuto = m.ControleAuto;
    }
    if (const ResultatFichier r = EnregistrerComptes(chiffre, dossier, aEcrire); !r.ok) {
        boites.Message(parent, "Erreur", MessageErreurEnregistrementComptes(r.erreur), IconeMessage::Erreur);
        ok = false;
    }
    return ok;
}

void TFControleAuto::BOKClick()
{
    if (cbControleAuto_->isChecked()) {
        if (rbControlerA_->isChecked()) {
            const Texte heure = DepuisQString(eControlerA_->text());
            int h = 0, m = 0;
            // The same reading as the scheduler's, so an accepted time is one it can use.
            if (!LireHeure(heure, h, m)) {
                boites_.Message(this, "Information", MessageHeureInvalide(heure), IconeMessage::Information);
                eControlerA_->selectAll();
                eControlerA_->setFocus();
                return;
            }
        }
        bool unCompte = false;
        for (int i = 0; i < clbComptes_->count() && !unCompte; ++i) {
            const QListWidgetItem* ligne = clbComptes_->item(i);
            unCompte = (ligne->flags() & Qt::ItemIsEnabled) && ligne->checkState() == Qt::Checked;
        }
        if (!unCompte) {
            boites_.Message(this, "Information", MessageAucunCompteControleAuto(), IconeMessage::Information);
            return;
        }
    }
    accept();
}

void TFControleAuto::CLBComptesDblClick()
{
    QListWidgetItem* ligne = clbComptes_->currentItem();
    if (!ligne || !(ligne->flags() & Qt::ItemIsEnabled)) return;
    ligne->setCheckState(ligne->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TFControleAuto::MajEtats()
{
    const bool actif = cbControleAuto_->isChecked();
    lSelection_->setEnabled(actif);
    clbComptes_->setEnabled(actif);
    rbIntervalle_->setEnabled(actif);
    rbControlerA_->setEnabled(actif);
    tbTimerControleAuto_->setEnabled(actif && rbIntervalle_->isChecked());
    lMinutes_->setEnabled(actif && rbIntervalle_->isChecked());
    eControlerA_->setEnabled(actif && rbControlerA_->isChecked());
}

void TFControleAuto::MajMinutes(int position)
{
    lMinutes_->setText(position == 1 ? QStringLiteral("minutes") : QString::number(position) + QStringLiteral(" minutes"));
}

void TFControleAuto::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    MajEtats();
    if (!e->spontaneous()) PlacerFenetre(this);
}

}  // namespace vaskor
