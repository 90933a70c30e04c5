#include "ui/tfparam.h"

#include "core/filtre.h"
#include "platform/gui/sons.h"
#include "ui/boites_message.h"
#include "ui/disposition.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vaskor {

namespace {
QString T(const char* utf8) { return QString::fromUtf8(utf8); }
const char* const NomsSons[3] = {"Message valide", "Message à marquer", "Message à effacer"};

QSlider* Glissiere(QWidget* parent, const char* nom, int min, int max)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QString::fromLatin1(nom));
    s->setRange(min, max);
    s->setSingleStep(10);
    s->setPageStep(100);
    s->setMinimumWidth(260);
    return s;
}

// A value out of the slider's range shows at its nearest end.
int AuPas(int v, int min, int max) { return std::clamp(v, min, max); }
}  // namespace

Texte MessageSonInvalide(int son)
{
    return "Les sons sont activés mais le son \""_cp + Utf8VersCp1252(NomsSons[son]) + "\" n'est pas valide.";
}

TFParam::TFParam(BoitesMessage& boites, bool savePJVisible, bool sortieSon, QWidget* parent)
    : QDialog(parent), boites_(boites), sortieSon_(sortieSon)
{
    setObjectName(QStringLiteral("TFParam"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    onglets_ = new QTabWidget(this);
    onglets_->setObjectName(QStringLiteral("PageControl1"));
    auto check = [](QWidget* parent, const char* nom, const char* texte) {
        auto* c = new QCheckBox(T(texte), parent);
        c->setObjectName(QString::fromLatin1(nom));
        return c;
    };

    // Général
    auto* general = new QWidget;
    general->setObjectName(QStringLiteral("TSGeneral"));
    cbAutoRun_ = check(general, "CBAutoRun", "&Lancer au démarrage");
    cbDemarrerMasque_ = check(general, "CBDemarrerMasque", "&Masquer au lancement (à côté de l'horloge)");
    cbDeconnecterInternet_ = check(general, "CBDeconnecterInternet", "&Proposer la déconnexion en quittant (modem)");
    cbControlerAuLancement_ = check(general, "CBControlerAuLancement", "&Effectuer le contrôler au lancement");
    auto* lDoubleClic = new QLabel(T("Double-clic sur un messsage :"), general);
    rbSelectionnerMsg_ = new QRadioButton(T("&Sélectionner"), general);
    rbSelectionnerMsg_->setObjectName(QStringLiteral("RBSelectionnerMsg"));
    rbApercuMsg_ = new QRadioButton(T("&Aperçu"), general);
    rbApercuMsg_->setObjectName(QStringLiteral("RBApercuMsg"));
    {
        auto* d = new QVBoxLayout(general);
        for (QWidget* w : {static_cast<QWidget*>(cbAutoRun_), static_cast<QWidget*>(cbDemarrerMasque_),
                           static_cast<QWidget*>(cbDeconnecterInternet_), static_cast<QWidget*>(cbControlerAuLancement_)})
            d->addWidget(w);
        d->addSpacing(8);
        d->addWidget(lDoubleClic);
        auto* l = new QHBoxLayout;
        l->addSpacing(16);
        l->addWidget(rbSelectionnerMsg_);
        l->addWidget(rbApercuMsg_);
        l->addStretch();
        d->addLayout(l);
        d->addStretch();
    }
    onglets_->addTab(general, T("Général"));

    // Messages
    auto* messages = new QWidget;
    messages->setObjectName(QStringLiteral("TSMessages"));
    cbTailleMax_ = check(messages, "CBTailleMax", "&Ne pas filtrer les messages de plus de");
    tbTailleMaxi_ = Glissiere(messages, "TBTailleMaxi", 10, 15000);
    lko_ = new QLabel(messages);
    lko_->setObjectName(QStringLiteral("Lko"));
    lko_->setMinimumWidth(lko_->fontMetrics().horizontalAdvance(QStringLiteral("15000 ko")) + 6);
    cbApercuPlainText_ = check(messages, "CBApercuPlainText", "&Aperçu des messages HTML sans la partie HTML");
    cbSavePJ_ = check(messages, "CBSavePJ", "A&utoriser l'enregistrement des pièces jointes (déconseillé)");
    cbSavePJ_->setVisible(savePJVisible);
    cbDecodageModerne_ = check(messages, "CBDecodageModerne", "Décoder les entêtes comme les messageries actuelles (UTF-8)");
    {
        auto* d = new QVBoxLayout(messages);
        d->addWidget(cbTailleMax_);
        auto* l = new QHBoxLayout;
        l->addSpacing(16);
        l->addWidget(tbTailleMaxi_, 1);
        l->addWidget(lko_);
        d->addLayout(l);
        d->addSpacing(8);
        d->addWidget(cbApercuPlainText_);
        d->addWidget(cbSavePJ_);
        d->addWidget(cbDecodageModerne_);
        d->addStretch();
    }
    onglets_->addTab(messages, T("Messages"));

    // Filtres
    auto* filtres = new QWidget;
    filtres->setObjectName(QStringLiteral("TSFiltres"));
    auto* lFiltres = new QLabel(T("&Filtres actifs :"), filtres);
    clbFiltresActifs_ = new QListWidget(filtres);
    clbFiltresActifs_->setObjectName(QStringLiteral("CLBFiltresActifs"));
    for (const char* t : {"Filtres Expéditeur", "Filtres Sujet", "Filtres Entête"}) {
        auto* item = new QListWidgetItem(T(t), clbFiltresActifs_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
        item->setCheckState(Qt::Checked);
    }
    clbFiltresActifs_->setFixedHeight(clbFiltresActifs_->sizeHintForRow(0) * 3 + 2 * clbFiltresActifs_->frameWidth() + 4);
    lFiltres->setBuddy(clbFiltresActifs_);
    cbOnlyFriends_ = check(filtres, "CBOnlyFriends", "&N'accepter que les messages des amis");
    auto* lAction = new QLabel(T("&Action par défaut des nouveaux filtres :"), filtres);
    cbActionParDefaut_ = new QComboBox(filtres);
    cbActionParDefaut_->setObjectName(QStringLiteral("CBActionParDefaut"));
    for (int a = 0; a < NombreActions; ++a) cbActionParDefaut_->addItem(VersQString(LibelleActionEditeur(a)));
    lAction->setBuddy(cbActionParDefaut_);
    {
        auto* d = new QVBoxLayout(filtres);
        d->addWidget(lFiltres);
        d->addWidget(clbFiltresActifs_);
        d->addSpacing(8);
        d->addWidget(cbOnlyFriends_);
        d->addSpacing(8);
        d->addWidget(lAction);
        auto* l = new QHBoxLayout;
        l->addWidget(cbActionParDefaut_);
        l->addStretch();
        d->addLayout(l);
        d->addStretch();
    }
    onglets_->addTab(filtres, T("Filtres"));

    // Journal
    auto* journal = new QWidget;
    journal->setObjectName(QStringLiteral("TSJournal"));
    auto* lJournal = new QLabel(T("&Nombre de lignes du journal des messages supprimés :"), journal);
    tbNbLignesJournal_ = Glissiere(journal, "TBNbLignesJournal", 10, 1500);
    lJournal->setBuddy(tbNbLignesJournal_);
    lLignes_ = new QLabel(journal);
    lLignes_->setObjectName(QStringLiteral("LLignes"));
    lLignes_->setMinimumWidth(lLignes_->fontMetrics().horizontalAdvance(QStringLiteral("1500 lignes")) + 6);
    {
        auto* d = new QVBoxLayout(journal);
        d->addWidget(lJournal);
        auto* l = new QHBoxLayout;
        l->addWidget(tbNbLignesJournal_, 1);
        l->addWidget(lLignes_);
        d->addLayout(l);
        d->addStretch();
    }
    onglets_->addTab(journal, T("Journal"));

    // Sons
    auto* sons = new QWidget;
    sons->setObjectName(QStringLiteral("TSSons"));
    cbJouerSons_ = check(sons, "CBJouerSons", "&Jouer les sons");
    cbSonsParDef_ = check(sons, "CBSonsParDef", "Sons par défaut");
    const char* const nomsChamps[3] = {"ESonMsgOK", "ESonMsgAMarquer", "ESonMsgAEffacer"};
    const char* const libelles[3] = {"&Message valide :", "&Message à marquer :", "&Message à effacer :"};
    auto* grille = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        lSons_[i] = new QLabel(T(libelles[i]), sons);
        eSons_[i] = new QLineEdit(sons);
        eSons_[i]->setObjectName(QString::fromLatin1(nomsChamps[i]));
        eSons_[i]->setReadOnly(true);
        eSons_[i]->setMinimumWidth(240);
        lSons_[i]->setBuddy(eSons_[i]);
        bSons_[i] = new QPushButton(QStringLiteral("..."), sons);
        bSons_[i]->setObjectName(QStringLiteral("BSon%1").arg(i));
        bSons_[i]->setAutoDefault(false);
        bSons_[i]->setFixedWidth(bSons_[i]->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
        grille->addWidget(lSons_[i], i, 0);
        grille->addWidget(eSons_[i], i, 1);
        grille->addWidget(bSons_[i], i, 2);
        connect(bSons_[i], &QPushButton::clicked, this, [this, i] { ChoisirSon(i); });
    }
    grille->setColumnStretch(1, 1);
    bTesterSons_ = new QPushButton(T("&Tester"), sons);
    bTesterSons_->setObjectName(QStringLiteral("BTesterSons"));
    bTesterSons_->setAutoDefault(false);
    {
        auto* d = new QVBoxLayout(sons);
        d->addWidget(cbJouerSons_);
        auto* l = new QHBoxLayout;
        l->addSpacing(16);
        l->addWidget(cbSonsParDef_);
        l->addStretch();
        l->addWidget(bTesterSons_);
        d->addLayout(l);
        d->addSpacing(4);
        d->addLayout(grille);
        d->addStretch();
    }
    onglets_->addTab(sons, T("Sons"));

    const auto [ok, annuler] = CreerBoutonsOkAnnuler(this, false);
    auto* bas = new QHBoxLayout;
    bas->addStretch();
    bas->addWidget(ok);
    bas->addWidget(annuler);
    auto* d = new QVBoxLayout(this);
    d->addWidget(onglets_);
    d->addLayout(bas);
    d->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &TFParam::BOKClick);
    connect(cbTailleMax_, &QCheckBox::toggled, this, &TFParam::MajTaille);
    connect(tbTailleMaxi_, &QSlider::valueChanged, this, [this](int v) { lko_->setText(QString::number(v) + QStringLiteral(" ko")); });
    connect(tbNbLignesJournal_, &QSlider::valueChanged, this,
            [this](int v) { lLignes_->setText(QString::number(v) + QStringLiteral(" lignes")); });
    connect(cbJouerSons_, &QCheckBox::toggled, this, &TFParam::MajSons);
    connect(cbSonsParDef_, &QCheckBox::toggled, this, &TFParam::MajSons);
    connect(cbOnlyFriends_, &QCheckBox::clicked, this, &TFParam::CBOnlyFriendsClick);
    connect(bTesterSons_, &QPushButton::clicked, this, [this] {
        if (testerSons_) testerSons_(Sons());
    });
    choisirSon_ = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), T("Fichiers son (*.wav)"));
    };
    Charger(ConfigParDefaut(), false);
}

void TFParam::Charger(const TConfig& c, bool amis)
{
    amis_ = amis;
    cbAutoRun_->setChecked(c.AutoRun);
    cbDemarrerMasque_->setChecked(c.MasquerAuLancement);
    cbDeconnecterInternet_->setChecked(c.DeconnexionInternet);
    cbControlerAuLancement_->setChecked(c.ControlerAuLancement);
    (c.DoubleClicEditer ? rbApercuMsg_ : rbSelectionnerMsg_)->setChecked(true);
    cbTailleMax_->setChecked(c.PasserTailleMax);
    tbTailleMaxi_->setValue(AuPas(c.TaillePasserMessage, 10, 15000));
    lko_->setText(QString::number(tbTailleMaxi_->value()) + QStringLiteral(" ko"));
    cbApercuPlainText_->setChecked(c.ApercuPlainText);
    cbSavePJ_->setChecked(c.AllowSavePJ);
    cbDecodageModerne_->setChecked(c.DecodageModerne);
    const bool actifs[3] = {c.FiltresExpActif, c.FiltresSujetActif, c.FiltresEnteteActif};
    for (int i = 0; i < 3; ++i) clbFiltresActifs_->item(i)->setCheckState(actifs[i] ? Qt::Checked : Qt::Unchecked);
    // Only friends without any friend would delete every message.
    cbOnlyFriends_->setChecked(c.QueLesMailsDesAmis && amis);
    cbActionParDefaut_->setCurrentIndex(c.ActionParDefaut >= 0 && c.ActionParDefaut < NombreActions ? c.ActionParDefaut : 0);
    tbNbLignesJournal_->setValue(AuPas(c.NbLignesSvg, 10, 1500));
    lLignes_->setText(QString::number(tbNbLignesJournal_->value()) + QStringLiteral(" lignes"));
    cbJouerSons_->setChecked(c.JouerSons);
    cbJouerSons_->setEnabled(sortieSon_);
    cbSonsParDef_->setChecked(c.SonsParDef);
    const Texte* fichiers[3] = {&c.MsgOK, &c.MsgAMarquer, &c.MsgAEffacer};
    for (int i = 0; i < 3; ++i) eSons_[i]->setText(VersQString(*fichiers[i]));
    MajTaille();
    MajSons();
}

void TFParam::Appliquer(TConfig& c) const
{
    c.AutoRun = cbAutoRun_->isChecked();
    c.MasquerAuLancement = cbDemarrerMasque_->isChecked();
    c.DeconnexionInternet = cbDeconnecterInternet_->isChecked();
    c.ControlerAuLancement = cbControlerAuLancement_->isChecked();
    c.DoubleClicEditer = rbApercuMsg_->isChecked();
    c.PasserTailleMax = cbTailleMax_->isChecked();
    c.TaillePasserMessage = tbTailleMaxi_->value();
    c.ApercuPlainText = cbApercuPlainText_->isChecked();
    c.AllowSavePJ = cbSavePJ_->isChecked();
    c.DecodageModerne = cbDecodageModerne_->isChecked();
    c.FiltresExpActif = clbFiltresActifs_->item(0)->checkState() == Qt::Checked;
    c.FiltresSujetActif = clbFiltresActifs_->item(1)->checkState() == Qt::Checked;
    c.FiltresEnteteActif = clbFiltresActifs_->item(2)->checkState() == Qt::Checked;
    c.QueLesMailsDesAmis = cbOnlyFriends_->isChecked();
    c.ActionParDefaut = cbActionParDefaut_->currentIndex();
    c.NbLignesSvg = tbNbLignesJournal_->value();
    c.JouerSons = cbJouerSons_->isChecked();
    c.SonsParDef = cbSonsParDef_->isChecked();
    c.MsgOK = DepuisQString(eSons_[0]->text());
    c.MsgAMarquer = DepuisQString(eSons_[1]->text());
    c.MsgAEffacer = DepuisQString(eSons_[2]->text());
}

ReglagesSons TFParam::Sons() const
{
    ReglagesSons r;
    r.jouerSons = cbJouerSons_->isChecked();
    r.sonsParDef = cbSonsParDef_->isChecked();
    r.msgOK = eSons_[0]->text();
    r.msgAMarquer = eSons_[1]->text();
    r.msgAEffacer = eSons_[2]->text();
    return r;
}

void TFParam::MajTaille()
{
    tbTailleMaxi_->setEnabled(cbTailleMax_->isChecked());
    lko_->setEnabled(cbTailleMax_->isChecked());
}

void TFParam::MajSons()
{
    const bool jouer = cbJouerSons_->isChecked();
    cbSonsParDef_->setEnabled(jouer);
    bTesterSons_->setEnabled(jouer);
    const bool fichiers = !cbSonsParDef_->isChecked();
    for (int i = 0; i < 3; ++i) {
        lSons_[i]->setEnabled(fichiers);
        eSons_[i]->setEnabled(fichiers);
        bSons_[i]->setEnabled(fichiers);
    }
}

void TFParam::ChoisirSon(int i)
{
    const QString fichier = choisirSon_ ? choisirSon_(this) : QString();
    // Closing the file dialog changes nothing.
    if (fichier.isEmpty()) return;
    const QFileInfo info(fichier);
    // The file name is kept in the settings in the Western code page: a name it cannot hold
    // would point to no file at the next start.
    const bool nomGardable = VersQString(DepuisQString(fichier)) == fichier;
    if (info.exists() && fichier.endsWith(QStringLiteral(".wav")) && nomGardable) {
        eSons_[i]->setText(fichier);
        eSons_[i]->selectAll();
        return;
    }
    boites_.Message(this, "Information", "Le fichier sélectionné n'est pas un fichier son (*.wav)."_cp,
                    IconeMessage::Information);
    eSons_[i]->clear();
}

void TFParam::CBOnlyFriendsClick(bool coche)
{
    if (!coche) return;
    if (!amis_) {
        boites_.Message(this, "Information",
                        "Cette fonctionnalité ne peut être activée que si des amis sont enregistrés."_cp,
                        IconeMessage::Information);
        cbOnlyFriends_->setChecked(false);
        return;
    }
    boites_.Message(this, "Information",
                    "N'activez cette fonctionnalité que si vous êtes sûr que votre liste d'amis est vraiment complète !"_cp,
                    IconeMessage::Avertissement);
}

void TFParam::BOKClick()
{
    if (cbJouerSons_->isChecked() && !cbSonsParDef_->isChecked()) {
        for (int i = 0; i < 3; ++i) {
            if (!eSons_[i]->text().isEmpty()) continue;
            boites_.Message(this, "Information", MessageSonInvalide(i), IconeMessage::Information);
            onglets_->setCurrentIndex(4);
            eSons_[i]->setFocus();
            return;
        }
    }
    bool unFiltre = false;
    for (int i = 0; i < 3; ++i) unFiltre = unFiltre || clbFiltresActifs_->item(i)->checkState() == Qt::Checked;
    if (!unFiltre && boites_.Question(this, "Confirmation", "Aucun type de filtre n'est actif. Continuer ?",
                                      BoutonsMessage::OuiNon, IconeMessage::Question, true) != ReponseMessage::Oui) {
        onglets_->setCurrentIndex(2);
        clbFiltresActifs_->setFocus();
        return;
    }
    accept();
}

void TFParam::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    onglets_->setCurrentIndex(0);
    PlacerFenetre(this);
    MajTaille();
    MajSons();
    for (QLineEdit* s : eSons_) s->selectAll();
}

}  // namespace vaskor
