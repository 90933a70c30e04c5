#include "ui/tfmain.h"

#include "core/verrou_dossier.h"
#include "crypto/fichier_comptes.h"
#include "platform/base/transport_tls.h"
#include "platform/gui/sons.h"
#include "ui/actions_liste.h"
#include "ui/application.h"
#include "ui/boites_message.h"
#include "ui/menus_controle.h"
#include "ui/modele_messages.h"
#include "ui/placement.h"
#include "ui/texte_qt.h"
#include "ui/surveillance_donnees.h"
#include "ui/tfcomptes.h"
#include "ui/tfcontroleauto.h"
#include "engine/ajout_ami.h"
#include "platform/base/autorun.h"
#include "ui/tfabout.h"
#include "ui/tfamis.h"
#include "ui/tfparam.h"
#include "ui/tfentete.h"
#include "ui/tffiltres.h"
#include "ui/tfmailssupp.h"
#include "ui/tfmsg.h"
#include "ui/vue_messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QStatusBar>

#include "ui/disposition_liste.h"
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <tuple>
#include <utility>

namespace vaskor {

namespace {
QString T(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

TFMain::TFMain(QWidget* parent)
    : QMainWindow(parent),
      client_(CreerTransportTls),
      cmd_(new Commandes(this)),
      boites_(std::make_unique<BoitesMessage>())
{
    setObjectName(QStringLiteral("TFMain"));
    setWindowTitle(QStringLiteral("Vaskor"));
    setMinimumSize(500, 250);
    resize(760, 440);
    actionsListe_ = std::make_unique<ActionsListe>(*cmd_);
    controleur_ = std::make_unique<Controleur>(
        *this, client_, DonneesControle{comptes_, filtres_, amis_, config_, journal_, liste_, &securites_});
    controleur_->SecuritesModifiees = [this] {
        // A certificate trusted during a check: only that choice goes onto the file, whatever
        // another program wrote there meanwhile.
        std::vector<TCompte> comptes = comptes_.Tous();
        SecuritesComptes aEcrire = securites_;
        const bool ailleurs = surveillance_->Change(SurveillanceDonnees::Comptes) ||
                              surveillance_->Change(SurveillanceDonnees::Securites);
        if (ailleurs) {
            if (ResultatChargementComptes disque = vaskor::ChargerComptes(chiffre_, dossier_);
                disque.ok && disque.erreurSecurites.empty()) {
                aEcrire = FusionnerSecurites(securites_, securitesLues_, disque.securites, comptes);
                comptes = disque.comptes.Tous();
            }
        }
        if (const ResultatFichier r = EnregistrerSecurites(dossier_, aEcrire, comptes); !r.ok) {
            Message("Erreur", r.erreur, IconeMessage::Avertissement);
            return;
        }
        // When another program changed the files, the window takes them in after the run (the
        // run still uses its list); otherwise the file is now the window's copy.
        if (!ailleurs) {
            securitesLues_ = securites_;
            surveillance_->Noter(SurveillanceDonnees::Securites);
        }
    };
    surveillance_ = new SurveillanceDonnees(this);
    surveillance_->Libre = [this] { return DonneesLibres(); };
    surveillance_->Recharger = [this](SurveillanceDonnees::Fichier f) { RechargerDonnees(f); };
    planificateur_ = std::make_unique<Planificateur>(*controleur_, *this, client_, liste_, config_);
    planificateur_->AjouterIconeTray = [this] { emit IconeTrayVisible(true); };
    timerControleAuto_ = new QTimer(this);
    timerControleAuto_->setObjectName(QStringLiteral("TimerControleAuto"));
    timerControleAuto_->setInterval(Planificateur::PeriodeMs);
    connect(timerControleAuto_, &QTimer::timeout, this, [this] { SousRapport([this] { planificateur_->Tick(); }); });
    menus_ = new MenusControle(this);

    CreerListe();
    CreerMenus();
    CreerBarreOutils();
    CreerPanneauCompte();
    CreerBarreEtat();
    Relier();

    AfficherControles(false);
    MajActions(false);
    MajIconeTray(0);
    BrancherCommande(Commande::Supprimer, [this] { controleur_->SupprimerMarques(); });
    BrancherCommande(Commande::Apercu, [this] { ApercuMessage1Click(); });
    BrancherCommande(Commande::Journal, [this] { TFMailsSupp::Executer(this, dossier_, journal_, *boites_); });
    BrancherCommande(Commande::ControleAuto, [this] {
        if (TFControleAuto::Executer(this, config_, comptes_, dossier_, chiffre_, *boites_, &configLue_)) {
            // The save wrote the flags onto the accounts file as it was on disk, with the
            // accounts added elsewhere meanwhile: the window takes it in.
            if (!dossier_.empty() && surveillance_->Change(SurveillanceDonnees::Comptes)) RechargerComptes();
            MajTimerControleAuto();
            planificateur_->ApresReglage();
        }
    });
    BrancherCommande(Commande::GestionFiltres, [this] { Filtres1Click(); });
    BrancherCommande(Commande::Comptes, [this] { Comptes1Click(); });
    BrancherCommande(Commande::Filtrer, [this] { AjouterFiltre1Click(); });
    BrancherCommande(Commande::AjouterAuxAmis, [this] { AjouterAuxAmis1Click(); });
    BrancherCommande(Commande::Amis, [this] { Amis1Click(); });
    BrancherCommande(Commande::Options, [this] { Options1Click(); });
    BrancherCommande(Commande::APropos, [this] { APropos1Click(); });
    autoRun_ = [](bool actif) {
        vaskor::DefinirAutoRun(actif, std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()));
    };
    connect(this, &TFMain::FinDemandee, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

TFMain::~TFMain()
{
    Terminer();
    // The view and the model read the rows: they go before the rows do.
    delete lvMsg_;
    delete modele_;
    lvMsg_ = nullptr;
    modele_ = nullptr;
    while (attentes_ > 0) CurseurAttente(false);
}

// ---------------------------------------------------------------------------------------------
// Construction

void TFMain::CreerListe()
{
    modele_ = new ModeleMessages(liste_, this);
    lvMsg_ = new VueMessages;
    lvMsg_->setModel(modele_);
    modele_->DefinirPolice(lvMsg_->font());
    modele_->DefinirColonneTri(tri_.Colonne());
}

void TFMain::CreerMenus()
{
    Commandes& c = *cmd_;
    QMenuBar* barre = menuBar();
    barre->setObjectName(QStringLiteral("MainMenu1"));

    fichier1_ = barre->addMenu(T("&Fichier"));
    fichier1_->setObjectName(QStringLiteral("Fichier1"));
    fichier1_->menuAction()->setStatusTip(T("Masquer Vaskor"));
    fichier1_->addAction(c.Masquer1);
    fichier1_->addSeparator();
    fichier1_->addAction(c.Quitter1);

    barre->addMenu(menus_->Controler1());

    email1Menu_ = barre->addMenu(T("&Message"));
    email1Menu_->setObjectName(QStringLiteral("Email1"));
    email1_ = email1Menu_->menuAction();
    email1_->setObjectName(QStringLiteral("Email1"));
    email1Menu_->addAction(c.VoirLesEntetes1);
    email1Menu_->addAction(c.ApercuMessage1);
    email1Menu_->addSeparator();
    email1Menu_->addAction(c.Marquer1);
    email1Menu_->addAction(c.ToutMarquer1);
    email1Menu_->addAction(c.InverserMarquage1);
    email1Menu_->addAction(c.AnnulerMarquage1);
    email1Menu_->addSeparator();
    email1Menu_->addAction(c.Supprimer1);
    email1Menu_->addSeparator();
    email1Menu_->addAction(c.EffacerListe1);

    outils1_ = barre->addMenu(T("&Outils"));
    outils1_->setObjectName(QStringLiteral("Outils1"));
    outils1_->addAction(c.AjouterFiltre1);
    outils1_->addAction(c.Filtres1);
    outils1_->addSeparator();
    outils1_->addAction(c.AjouterAuxAmis1);
    outils1_->addAction(c.Amis1);
    outils1_->addSeparator();
    outils1_->addAction(c.ControleAuto1);
    outils1_->addAction(c.EmailsSupprimes1);
    outils1_->addSeparator();
    outils1_->addAction(c.LancerMessagerie1);
    outils1_->addSeparator();
    outils1_->addAction(c.Comptes1);
    outils1_->addAction(c.Options1);

    aideMenu_ = barre->addMenu(T("&Aide"));
    aideMenu_->setObjectName(QStringLiteral("Aide"));
    aideMenu_->addAction(c.Aide1);
    aideMenu_->addSeparator();
    aideMenu_->addAction(c.APropos1);

    pmLVMsg_ = new QMenu(this);
    pmLVMsg_->setObjectName(QStringLiteral("PMLVMsg"));
    pmLVMsg_->addAction(c.VoirLesEntetes2);
    pmLVMsg_->addAction(c.Apercu2);
    pmLVMsg_->addSeparator();
    pmLVMsg_->addAction(c.Marquer2);
    pmLVMsg_->addAction(c.ToutMarquer2);
    pmLVMsg_->addAction(c.InverserMarquage2);
    pmLVMsg_->addAction(c.AnnulerMarquage2);
    pmLVMsg_->addSeparator();
    pmLVMsg_->addAction(c.Supprimer2);
    pmLVMsg_->addSeparator();
    pmLVMsg_->addAction(c.AjouterFiltre2);
    pmLVMsg_->addAction(c.AjouterAuxAmis2);

    pmMarquer_ = new QMenu(this);
    pmMarquer_->setObjectName(QStringLiteral("PMMarquer"));
    pmMarquer_->addAction(c.Marquer3);
    pmMarquer_->addAction(c.Toutmarquer3);
    pmMarquer_->addAction(c.Inverser1);
    pmMarquer_->addAction(c.Annuler1);

    pmFiltres_ = new QMenu(this);
    pmFiltres_->setObjectName(QStringLiteral("PMFiltres"));
    pmFiltres_->addAction(c.AjouterFiltre3);
    pmFiltres_->addAction(c.Filtres2);
}

void TFMain::CreerBarreOutils()
{
    Commandes& c = *cmd_;
    toolBar1_ = addToolBar(T("Barre d'outils"));
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->setMovable(false);
    toolBar1_->setFloatable(false);
    toolBar1_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar1_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    const struct {
        QAction* action;
        QStyle::StandardPixmap image;
    } boutons[] = {
        {c.BCheck, QStyle::SP_BrowserReload},          {c.BEntetes, QStyle::SP_FileDialogDetailedView},
        {c.BApercu, QStyle::SP_FileDialogContentsView}, {c.BMarquer, QStyle::SP_DialogApplyButton},
        {c.BSupprimerMails, QStyle::SP_TrashIcon},      {c.BFiltres, QStyle::SP_FileDialogListView},
    };
    for (const auto& b : boutons) {
        b.action->setIcon(style()->standardIcon(b.image));
        toolBar1_->addAction(b.action);
        if (QToolButton* bouton = BoutonOutil(b.action)) bouton->setObjectName(b.action->objectName());
    }
    // The accounts menu opens below the button; the button itself runs nothing.
    if (QToolButton* b = BoutonOutil(c.BCheck)) {
        b->setMenu(menus_->PMComptes());
        b->setPopupMode(QToolButton::InstantPopup);
    }
    if (QToolButton* b = BoutonOutil(c.BMarquer)) {
        b->setMenu(pmMarquer_);
        b->setPopupMode(QToolButton::MenuButtonPopup);
    }
    if (QToolButton* b = BoutonOutil(c.BFiltres)) {
        b->setMenu(pmFiltres_);
        b->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

void TFMain::CreerPanneauCompte()
{
    auto* panneau = new QWidget;
    panneau->setObjectName(QStringLiteral("PnlCompteFond"));
    pnlCompte_ = new QLabel(panneau);
    pnlCompte_->setObjectName(QStringLiteral("PnlCompte"));
    QFont gras = pnlCompte_->font();
    gras.setBold(true);
    pnlCompte_->setFont(gras);
    lNextCheck_ = new QLabel(panneau);
    lNextCheck_->setObjectName(QStringLiteral("LNextCheck"));
    lNextCheck_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lNextCheck_->hide();
    auto* ligne = new QHBoxLayout(panneau);
    ligne->setContentsMargins(2, 2, 6, 2);
    ligne->addWidget(pnlCompte_, 1);
    ligne->addWidget(lNextCheck_);
    pnlCompte_->setMinimumHeight(pnlCompte_->fontMetrics().height() + 4);

    auto* centre = new QWidget;
    auto* colonne = new QVBoxLayout(centre);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->setSpacing(0);
    colonne->addWidget(panneau);
    colonne->addWidget(lvMsg_, 1);
    setCentralWidget(centre);
}

void TFMain::CreerBarreEtat()
{
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("SB1"));
    // The widths are the least each panel takes: a longer text ("Réception de l'entête du message
    // n° 3669 / 5000") widens its panel, and the last panel takes the rest of the bar.
    const int largeurs[4] = {275, 80, 75, 250};
    for (int i = 0; i < 4; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QStringLiteral("Panneau%1").arg(i));
        p->setMinimumWidth(largeurs[i]);
        if (i == 1) p->setMaximumWidth(largeurs[i]);  // the progress bar's place
        p->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        p->setFrameStyle(i == 1 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
        if (i == 2) p->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sb->addWidget(p, i == 3 ? 1 : 0);
        panneaux_[i] = p;
    }
    // The progress bar lies over panel 1, hidden outside a header loop, a deletion or a preview.
    progression_ = new QProgressBar(panneaux_[1]);
    progression_->setObjectName(QStringLiteral("ProgressBar1"));
    progression_->setTextVisible(false);
    progression_->setRange(0, 100);
    progression_->setValue(0);
    progression_->setGeometry(1, 2, 78, panneaux_[1]->sizeHint().height() > 8 ? 14 : 14);
    progression_->hide();
}

void TFMain::Relier()
{
    Commandes& c = *cmd_;
    connect(c.Masquer1, &QAction::triggered, this, &TFMain::Masquer);
    connect(c.Quitter1, &QAction::triggered, this, &TFMain::Quitter);
    for (QAction* a : {c.VoirLesEntetes1, c.VoirLesEntetes2, c.BEntetes})
        connect(a, &QAction::triggered, this, &TFMain::VoirLesEntetes1Click);
    for (QAction* a : {c.Marquer1, c.Marquer2, c.Marquer3, c.BMarquer})
        connect(a, &QAction::triggered, this, &TFMain::Marquer1Click);
    for (QAction* a : {c.ToutMarquer1, c.ToutMarquer2, c.Toutmarquer3})
        connect(a, &QAction::triggered, this, &TFMain::ToutMarquer1Click);
    for (QAction* a : {c.InverserMarquage1, c.InverserMarquage2, c.Inverser1})
        connect(a, &QAction::triggered, this, &TFMain::InverserMarquage1Click);
    for (QAction* a : {c.AnnulerMarquage1, c.AnnulerMarquage2, c.Annuler1})
        connect(a, &QAction::triggered, this, &TFMain::AnnulerMarquage1Click);
    connect(c.EffacerListe1, &QAction::triggered, this, &TFMain::EffacerListe1Click);

    connect(lvMsg_, &VueMessages::ColonneCliquee, this, &TFMain::LVMsgColumnClick);
    connect(lvMsg_, &VueMessages::SelectionChangee, this, &TFMain::LVMsgSelectItem);
    connect(lvMsg_, &QAbstractItemView::clicked, this, [this] { MajActionsSelection(); });
    connect(lvMsg_, &QAbstractItemView::doubleClicked, this, &TFMain::LVMsgDblClick);
    connect(lvMsg_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pmLVMsg_->popup(lvMsg_->viewport()->mapToGlobal(p)); });
    connect(modele_, &ModeleMessages::MarqueModifiee, this, &TFMain::MarquesChangees);
    // New rows are not sorted in: the arrow goes until the next click sorts the list again.
    connect(modele_, &QAbstractItemModel::rowsInserted, this, [this] { lvMsg_->MontrerTri(-1, false); });
    connect(lvMsg_, &VueMessages::LargeursModifiees, this, [this] { dispositionModifiee_ = true; });

    connect(menus_, &MenusControle::ControleCompte, this, &TFMain::ControlerCompte);
    connect(menus_, &MenusControle::ControleTous, this, &TFMain::ControlerTousLesComptes);
}

// ---------------------------------------------------------------------------------------------
// Accessors

QToolButton* TFMain::BoutonOutil(QAction* a) const
{
    return toolBar1_ ? qobject_cast<QToolButton*>(toolBar1_->widgetForAction(a)) : nullptr;
}

QMenu* TFMain::MenuControlerTray() const { return menus_->Controler2(); }

void TFMain::DefinirMenuControlerTray(QMenu* controler2)
{
    menus_->DefinirControler2(controler2);
    menus_->Vider();
    menus_->Construire(comptes_);
    menus_->Controler2()->menuAction()->setVisible(comptes_.Nombre() > 0);
}

QString TFMain::LireStatut(int panneau) const
{
    return panneau >= 0 && panneau < 4 ? panneaux_[panneau]->text() : QString();
}

QString TFMain::LireCompte() const { return pnlCompte_->text(); }

int TFMain::LigneSelectionnee() const { return lvMsg_->LigneSelectionnee(); }

void TFMain::SelectionnerLigne(int ligne) { lvMsg_->SelectionnerLigne(ligne); }

void TFMain::DefinirBoites(std::unique_ptr<BoitesMessage> boites)
{
    if (boites) boites_ = std::move(boites);
}

void TFMain::DefinirComptes(std::vector<TCompte> comptes)
{
    comptes_.Remplacer(std::move(comptes));
    menus_->Vider();
    menus_->Construire(comptes_);
    AfficherControles(comptes_.Nombre() > 0);
}

void TFMain::ResoudreJournalEnSuspens()
{
    const ResultatFichier r = ResoudreJournalSuspens(dossier_, config_.NbLignesSvg);
    if (!r.ok) Message("Erreur", r.erreur, IconeMessage::Avertissement);
    else if (!r.avertissement.empty()) Message("Erreur", r.avertissement, IconeMessage::Avertissement);
}

void TFMain::ChargerDonnees(const std::filesystem::path& dossier, EnvironnementConfig environnement)
{
    dossier_ = dossier;
    // Noted before they are read: a file changed during the reading shows as changed.
    surveillance_->Demarrer(dossier_);
    // A friends or filters file that cannot be read leaves what could be read: the check goes
    // on with it, as with no file, and the user is told.
    amis_.clear();
    if (const ResultatFichier r = ChargerAmis(dossier_, amis_); !r.ok)
        Message("Erreur", r.erreur, IconeMessage::Avertissement);
    else if (!r.avertissement.empty())
        Message("Erreur", r.avertissement, IconeMessage::Avertissement);
    amisLus_ = amis_;
    filtres_.clear();
    const ResultatFichier lectureFiltres = ChargerFiltres(dossier_, filtres_);
    filtresIllisibles_ = !lectureFiltres.ok;
    filtresLus_ = filtres_;
    if (filtresIllisibles_) Message("Erreur", lectureFiltres.erreur, IconeMessage::Avertissement);
    if (!lectureFiltres.avertissement.empty()) Message("Erreur", lectureFiltres.avertissement, IconeMessage::Avertissement);

    ResultatChargementComptes comptes = vaskor::ChargerComptes(chiffre_, dossier_);
    if (!comptes.ok)
        Message("Erreur", comptes.detail.empty() ? comptes.message : comptes.message + "\r\n-> " + comptes.detail,
                IconeMessage::Avertissement);
    if (!comptes.erreurSecurites.empty()) Message("Erreur", comptes.erreurSecurites, IconeMessage::Avertissement);
    if (!comptes.avertissement.empty()) Message("Erreur", comptes.avertissement, IconeMessage::Avertissement);
    securites_ = std::move(comptes.securites);
    DefinirComptes(comptes.comptes.Tous());
    AfficherControles(comptes_.Nombre() > 0);
    MajActions(false);

    environnement.compteEnControleAuto = UnCompteEnControleAuto(comptes_);
    sortieSon_ = environnement.sortieSonPresente;
    config_ = TConfig();
    const ResultatFichier resultat = ChargerConfig(dossier_, config_, environnement);
    if (!resultat.ok) Message("Erreur", resultat.erreur, IconeMessage::Avertissement);

    // Each session's deletions are journaled as soon as the server commits them.
    controleur_->Dossier = dossier_;
    controleur_->EcrireJournal = [this](const std::vector<Texte>& lignes) {
        return EnregistrerJournal(dossier_, lignes, config_.NbLignesSvg);
    };
    controleur_->PreparerJournal = [this](const std::vector<Texte>& lignes, JournalPrepare& prepare) {
        return vaskor::PreparerJournal(dossier_, lignes, config_.NbLignesSvg, prepare);
    };

    // Only accounts with a password take part in the automatic check.
    if (comptes_.NormaliserControleAuto() == 0) config_.ControleAuto = false;
    comptesLus_ = comptes_.Tous();
    securitesLues_ = securites_;
    configLue_ = config_;

    const DispositionListe disposition = LireDispositionListe(dossier_);
    lvMsg_->DefinirLargeurs({disposition.largeurs[0], disposition.largeurs[1], disposition.largeurs[2],
                             disposition.largeurs[3]});
    if (disposition.colonneTri >= 0) {
        tri_.Restaurer(disposition.colonneTri, disposition.ascendant);
        modele_->DefinirColonneTri(tri_.Colonne());
    }

    if (!sons_) {
        sons_ = new LecteurSons(this);
        sons_->Charger();
    }
}

void TFMain::DemarrerControlesAuto()
{
    MajTimerControleAuto();
    SousRapport([this] { planificateur_->Demarrer(); });
}

void TFMain::MajTimerControleAuto()
{
    if (planificateur_->TimerActif()) {
        if (!timerControleAuto_->isActive()) timerControleAuto_->start();
    } else {
        timerControleAuto_->stop();
    }
}

void TFMain::BrancherCommande(Commande c, std::function<void()> travail)
{
    travaux_[c] = [this, travail] { SousRapport(travail); };
    cmd_->Brancher(c, travaux_[c]);
    for (QAction* a : cmd_->Actions(c)) cmd_->Activer(a, interfaceActive_);
    if (interfaceActive_) MajActionsSelection();
}

// ---------------------------------------------------------------------------------------------
// Window helpers

void TFMain::AfficherControles(bool visible)
{
    Commandes& c = *cmd_;
    menus_->Controler1()->menuAction()->setVisible(visible);
    email1_->setVisible(visible);
    c.AjouterFiltre1->setVisible(visible);
    c.ControleAuto1->setVisible(visible);
    menus_->Controler2()->menuAction()->setVisible(visible);
    for (QAction* a : {c.BCheck, c.BEntetes, c.BApercu, c.BMarquer, c.BSupprimerMails, c.AjouterFiltre3,
                       c.AjouterFiltre2})
        c.Activer(a, visible);
    for (QAction* a : pmLVMsg_->actions()) {
        if (!a->isSeparator()) c.Activer(a, visible);
    }
}

namespace {
void ActiverMenu(const Commandes& c, QMenu* menu, bool actif)
{
    menu->menuAction()->setEnabled(actif);
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        if (a->menu()) {
            ActiverMenu(c, a->menu(), actif);
        } else {
            c.Activer(a, actif);
        }
    }
}
}  // namespace

void TFMain::ActiverInterface(bool actif)
{
    interfaceActive_ = actif;
    // An operation (a check) appends rows: they reach the view in batches meanwhile.
    modele_->DiffererAjouts(!actif);
    for (QAction* a : cmd_->BoutonsOutils()) cmd_->Activer(a, actif);
    lvMsg_->setEnabled(actif);
    if (quitter2_) quitter2_->setEnabled(actif);
    // The tray's "Contrôler" too: while the window is hidden the tray menu is the way in.
    menus_->Controler2()->menuAction()->setEnabled(actif);
    for (QAction* a : menuBar()->actions()) {
        if (a->menu()) ActiverMenu(*cmd_, a->menu(), actif);
    }
    // The list's pop-up menu as well: one left open when an automatic check starts under it
    // would still offer its commands. Turned back on by MajActions, which follows every end.
    if (!actif) {
        for (QAction* a : pmLVMsg_->actions())
            if (!a->isSeparator()) a->setEnabled(false);
    }
}

void TFMain::MajActions(bool selection)
{
    // While an operation runs every command stays off; rows removed by a deletion change the
    // selection, and this must not hand the Message menu back half-way.
    if (!interfaceActive_) return;
    EtatListe etat;
    etat.lignes = liste_.Nombre();
    etat.marquees = liste_.NombreMarques();
    etat.connecte = ClientConnecte();
    actionsListe_->MajActions(selection, etat, email1Menu_);
}

void TFMain::MajActionsSelection() { MajActions(LigneSelectionnee() >= 0); }

void TFMain::MajIconeTray(int etat, const Texte& serveur)
{
    // The server is kept so that a window hidden during a session shows which one is checked.
    if (etat == 1 && !serveur.empty()) serveurTray_ = serveur;
    etatTray_ = etat;
    emit IconeTrayModifiee(etat, VersQString(serveurTray_), static_cast<int>(liste_.Nombre()));
}

int TFMain::EtatTrayCourant()
{
    if (ClientConnecte()) return 1;
    return liste_.Vide() ? 0 : 2;
}

// ---------------------------------------------------------------------------------------------
// The list

void TFMain::LVMsgSelectItem(int ligne)
{
    if (ligne >= 0 && static_cast<std::size_t>(ligne) < liste_.Nombre()) {
        const TCompte& compte = liste_[static_cast<std::size_t>(ligne)].Resume.Compte;
        TexteStatut(0, "A : " + compte.NomUser.Lire() + " - " + compte.ServeurPOP.Lire());
    } else {
        TexteStatut(0, Texte());
    }
    MajActions(!liste_.Vide());
}

void TFMain::MarquesChangees() { MajActionsSelection(); }

void TFMain::Marquer1Click()
{
    ActionsListe::Marquer(liste_, LigneSelectionnee());
    MajActionsSelection();
}

void TFMain::ToutMarquer1Click()
{
    ActionsListe::ToutMarquer(liste_);
    MajActionsSelection();
}

void TFMain::InverserMarquage1Click()
{
    ActionsListe::Inverser(liste_);
    MajActionsSelection();
}

void TFMain::AnnulerMarquage1Click()
{
    ActionsListe::AnnulerMarquage(liste_);
    MajActionsSelection();
}

void TFMain::EffacerListe1Click()
{
    // Only the list is emptied: marked messages stay on their servers and come back next time.
    if (Question("Confirmation", "Effacer la liste de message(s) ?", BoutonsMessage::OkAnnuler,
                 IconeMessage::Question, false) != ReponseMessage::Ok)
        return;
    liste_.Vider();
    MajActions(false);
}

void TFMain::VoirLesEntetes1Click()
{
    const int ligne = LigneSelectionnee();
    if (ligne < 0) return;
    TFEntete fenetre(this);
    fenetre.Charger(liste_[static_cast<std::size_t>(ligne)].Resume.Entetes);
    fenetre.exec();
}

void TFMain::LVMsgColumnClick(int colonne)
{
    // The selected row stays selected after the sort, wherever it goes.
    const int ligne = LigneSelectionnee();
    const std::vector<std::size_t> ordre = tri_.ClicColonne(liste_, colonne);
    modele_->DefinirColonneTri(tri_.Colonne());
    lvMsg_->MontrerTri(tri_.Colonne(), tri_.Ascendant());
    dispositionModifiee_ = true;
    if (ligne < 0) return;
    for (std::size_t i = 0; i < ordre.size(); ++i) {
        if (ordre[i] == static_cast<std::size_t>(ligne)) {
            SelectionnerLigne(static_cast<int>(i));
            break;
        }
    }
}

TFFiltres& TFMain::GestionnaireFiltres()
{
    if (!gestionnaireFiltres_) {
        gestionnaireFiltres_ = new TFFiltres(config_, *boites_, this);
        gestionnaireFiltres_->DefinirConfigLue(&configLue_);
    }
    return *gestionnaireFiltres_;
}

TFComptes& TFMain::DialogueComptes()
{
    if (!dialogueComptes_) dialogueComptes_ = new TFComptes(*boites_, this);
    return *dialogueComptes_;
}

void TFMain::Comptes1Click()
{
    TFComptes& d = DialogueComptes();
    d.Charger(comptes_, securites_);
    if (d.exec() != QDialog::Accepted) return;
    AppliquerComptes(d.Comptes(), d.Securites());
}

void TFMain::AppliquerComptes(std::vector<TCompte> comptes, SecuritesComptes securites)
{
    if (dossier_.empty()) {
        DefinirComptes(std::move(comptes));
        securites_ = std::move(securites);
        ComptesModifies();
        return;
    }
    const QScopedValueRollback garde(enregistrement_, true);
    // Another program may be checking in this folder: the files are written once it is done.
    const VerrouDossier verrou(dossier_, VerrouDossier::DelaiParDefautMs, [] { QApplication::processEvents(); });
    if (!verrou.Obtenu()) {
        DefinirComptes(std::move(comptes));
        securites_ = std::move(securites);
        boites_->Message(this, "Erreur", MessageErreurEnregistrementComptes(TexteDossierOccupe(dossier_)),
                         IconeMessage::Erreur);
        ComptesModifies();
        return;
    }
    // The files changed since the window read them (vaskor-cli accounts add, a certificate
    // trusted elsewhere): this dialog's additions, edits and removals go onto them as they are.
    std::vector<TCompte> lus = comptesLus_;
    SecuritesComptes securitesLues = securitesLues_;
    if (surveillance_->Change(SurveillanceDonnees::Comptes) || surveillance_->Change(SurveillanceDonnees::Securites)) {
        surveillance_->Noter(SurveillanceDonnees::Comptes);
        surveillance_->Noter(SurveillanceDonnees::Securites);
        ResultatChargementComptes disque = vaskor::ChargerComptes(chiffre_, dossier_);
        if (disque.ok && disque.erreurSecurites.empty()) {
            securites = FusionnerSecurites(securites, securitesLues_, disque.securites, comptes);
            comptes = FusionnerComptes(comptes, comptesLus_, disque.comptes.Tous());
            lus = disque.comptes.Tous();
            securitesLues = disque.securites;
        } else {
            surveillance_->Oublier(SurveillanceDonnees::Comptes);
        }
    }
    DefinirComptes(std::move(comptes));
    securites_ = std::move(securites);
    // The securities first: an account written without its record would be taken in clear.
    const ResultatFichier s = EnregistrerSecurites(dossier_, securites_, comptes_.Tous());
    if (!s.ok) boites_->Message(this, "Erreur", s.erreur, IconeMessage::Erreur);
    const ResultatFichier c = EnregistrerComptes(chiffre_, dossier_, comptes_.Tous());
    if (!c.ok) boites_->Message(this, "Erreur", MessageErreurEnregistrementComptes(c.erreur), IconeMessage::Erreur);
    if (s.ok && c.ok) {
        surveillance_->Noter(SurveillanceDonnees::Comptes);
        surveillance_->Noter(SurveillanceDonnees::Securites);
        lus = comptes_.Tous();
        securitesLues = securites_;
    }
    comptesLus_ = std::move(lus);
    securitesLues_ = std::move(securitesLues);
    ComptesModifies();
    ListeComptes normalises;
    normalises.Remplacer(comptesLus_);
    normalises.NormaliserControleAuto();
    comptesLus_ = normalises.Tous();
}

void TFMain::ComptesModifies()
{
    const int automatiques = comptes_.NormaliserControleAuto();
    if (automatiques == 0) config_.ControleAuto = false;
    cmd_->Activer(cmd_->ControleAuto1, automatiques > 0);
    lNextCheck_->setVisible(config_.ControleAuto);
    MajTimerControleAuto();
}

bool TFMain::DonneesLibres() const
{
    return !termine_ && !enregistrement_ && interfaceActive_ && !controleur_->Occupe() && !ApercuEnTransfert() &&
           !QApplication::activeModalWidget();
}

void TFMain::RechargerDonnees(int fichier)
{
    switch (fichier) {
    case SurveillanceDonnees::Comptes: RechargerComptes(); break;
    case SurveillanceDonnees::Filtres: RechargerFiltres(); break;
    case SurveillanceDonnees::Amis: RechargerAmis(); break;
    default: break;
    }
}

void TFMain::RechargerComptes()
{
    surveillance_->Noter(SurveillanceDonnees::Comptes);
    surveillance_->Noter(SurveillanceDonnees::Securites);
    ResultatChargementComptes disque = vaskor::ChargerComptes(chiffre_, dossier_);
    // A file that cannot be read now leaves the window's copy; the next change tries again.
    if (!disque.ok || !disque.erreurSecurites.empty()) {
        surveillance_->Oublier(SurveillanceDonnees::Comptes);
        return;
    }
    if (!disque.avertissement.empty()) Message("Erreur", disque.avertissement, IconeMessage::Avertissement);
    // Flags set by the automatic-check dialog and not yet written stay (a failed save).
    const std::vector<TCompte> comptes = FusionnerComptes(comptes_.Tous(), comptesLus_, disque.comptes.Tous());
    securites_ = FusionnerSecurites(securites_, securitesLues_, disque.securites, comptes_.Tous());
    DefinirComptes(comptes);
    ComptesModifies();
    disque.comptes.NormaliserControleAuto();
    comptesLus_ = disque.comptes.Tous();
    securitesLues_ = std::move(disque.securites);
}

void TFMain::RechargerFiltres()
{
    surveillance_->Noter(SurveillanceDonnees::Filtres);
    ListeFiltres disque;
    const ResultatFichier r = ChargerFiltres(dossier_, disque);
    if (!r.ok) {
        surveillance_->Oublier(SurveillanceDonnees::Filtres);
        return;
    }
    if (!r.avertissement.empty()) Message("Erreur", r.avertissement, IconeMessage::Avertissement);
    // The counts of this run, not saved yet, are added to the file's.
    filtres_ = FusionnerFiltres(filtres_, filtresLus_, disque);
    filtresLus_ = std::move(disque);
    filtresIllisibles_ = false;
}

void TFMain::RechargerAmis()
{
    surveillance_->Noter(SurveillanceDonnees::Amis);
    ListeAmis disque;
    const ResultatFichier r = ChargerAmis(dossier_, disque);
    if (!r.ok) {
        surveillance_->Oublier(SurveillanceDonnees::Amis);
        return;
    }
    if (!r.avertissement.empty()) Message("Erreur", r.avertissement, IconeMessage::Avertissement);
    amis_ = FusionnerAmis(amis_, amisLus_, disque);
    amisLus_ = std::move(disque);
}

void TFMain::EnregistrerAmis(ListeAmis amis)
{
    if (dossier_.empty()) {
        amis_ = std::move(amis);
        return;
    }
    const QScopedValueRollback garde(enregistrement_, true);
    if (const ResultatFichier r = SauverAmisFusion(dossier_, amis, amisLus_); !r.ok)
        Message("Erreur", r.erreur, IconeMessage::Erreur);
    else
        surveillance_->NoterSiContenu(SurveillanceDonnees::Amis, EncoderAmis(amisLus_));
    // After a failed save the window keeps the edit; the next save or reload merges it.
    amis_ = std::move(amis);
}

void TFMain::NoterFiltres() { surveillance_->NoterSiContenu(SurveillanceDonnees::Filtres, EncoderFiltres(filtresLus_)); }

void TFMain::Filtres1Click()
{
    // The manager replaces the whole list: a file that could not be read at start-up may then be
    // written again.
    if (GestionnaireFiltres().Executer(filtres_, dossier_, &filtresLus_)) {
        filtresIllisibles_ = false;
        NoterFiltres();
    }
}

void TFMain::AjouterFiltre1Click()
{
    const int ligne = LigneSelectionnee();
    if (ligne < 0 || static_cast<std::size_t>(ligne) >= liste_.Nombre()) return;
    // A copy: a check may replace the rows while the dialogs are open.
    const LigneMessage copie = liste_[static_cast<std::size_t>(ligne)];
    if (GestionnaireFiltres().NouveauDepuisMessage(copie, filtres_, dossier_, &filtresLus_)) {
        filtresIllisibles_ = false;
        NoterFiltres();
    }
}

void TFMain::AjouterAuxAmis1Click()
{
    const int ligne = LigneSelectionnee();
    if (ligne < 0 || static_cast<std::size_t>(ligne) >= liste_.Nombre()) return;
    const std::optional<Texte> adresse =
        AdresseExpediteurPourAmi(liste_[static_cast<std::size_t>(ligne)].Resume.Entetes);
    if (!adresse) {
        Message("Information", MessageExpediteurIntrouvable(), IconeMessage::Avertissement);
        return;
    }
    if (Question("Confirmation", QuestionAjouterAmi(*adresse), BoutonsMessage::OkAnnuler, IconeMessage::Question,
                 false) != ReponseMessage::Ok)
        return;
    // The list as on disk now gets the new friend: one added elsewhere meanwhile stays.
    ListeAmis amis = amis_;
    TAmi ami = TAmi::Vierge();
    ami.TypeAmi = AmiAdresse;
    ami.Nom = *adresse;
    amis.push_back(ami);
    TrierAmis(amis);
    EnregistrerAmis(std::move(amis));
}

void TFMain::Amis1Click()
{
    // The dialog edits a copy; its OK is saved here, merged with the file as it is then.
    ListeAmis amis = amis_;
    if (TFAmis::Executer(this, amis, {}, *boites_)) EnregistrerAmis(std::move(amis));
}

void TFMain::Options1Click()
{
    TFParam dialogue(*boites_, ParametrePresent(dossier_, kSectionGeneral, kCleAutoriserEnregistrementPJ), sortieSon_,
                     this);
    dialogue.Charger(config_, !amis_.empty());
    dialogue.DefinirTestSons([this, &dialogue](const ReglagesSons& r) {
        if (sons_) TesterSons(&dialogue, *sons_, r);
    });
    if (dialogue.exec() != QDialog::Accepted) return;
    dialogue.Appliquer(config_);
    if (autoRun_) autoRun_(config_.AutoRun);
    if (!config_.ControleAuto) lNextCheck_->hide();
    if (dossier_.empty()) return;
    // Only what the dialog changed: a setting changed in the file meanwhile stays.
    if (const ResultatFichier r = EnregistrerConfig(dossier_, config_, &configLue_); !r.ok)
        Message("Erreur", MessageErreurEnregistrementConfig(r.erreur), IconeMessage::Erreur);
    else
        configLue_ = config_;
}

void TFMain::APropos1Click() { TFAbout::Executer(this); }

void TFMain::ApercuMessage1Click()
{
    const int ligne = LigneSelectionnee();
    if (ligne < 0) return;
    controleur_->ApercuMessage(static_cast<std::size_t>(ligne), *this, chiffre_);
}

TFMsg* TFMain::FenetreMsg()
{
    if (!tfmsg_) tfmsg_ = new TFMsg(*boites_, chiffre_, this);
    return tfmsg_;
}

bool TFMain::Saisir(const Texte& titre, const Texte& invite, Texte& valeur)
{
    return boites_->Saisie(this, titre, invite, valeur);
}

void TFMain::AfficherApercu(const ContenuApercu& contenu, const TIdMessage& message)
{
    TFMsg* f = FenetreMsg();
    const bool reponse = !dossier_.empty() && ParametrePresent(dossier_, kSectionGeneral, kCleAutoriserReponse);
    f->Charger(contenu, &message, config_.AllowSavePJ, reponse);
    if (!f->isVisible()) f->exec();
}

void TFMain::LVMsgDblClick()
{
    const int ligne = LigneSelectionnee();
    if (ligne < 0) return;
    if (DoubleClicEditer()) {
        const auto travail = travaux_.find(Commande::Apercu);
        if (travail != travaux_.end() && travail->second) travail->second();
    } else {
        ActionsListe::Marquer(liste_, ligne);
    }
    MajActions(true);
}

// ---------------------------------------------------------------------------------------------
// Showing, hiding, quitting

void TFMain::Masquer() { close(); }

void TFMain::PasserDansLeTray()
{
    QAction* controler2 = menus_->Controler2()->menuAction();
    // Hidden in the middle of an operation (between two accounts no session is open), the tray
    // must not start a check or quit either.
    const bool libre = interfaceActive_ && !ClientConnecte();
    controler2->setVisible(comptes_.Nombre() > 0);
    controler2->setEnabled(libre);
    // Not controler2->isEnabled(): Qt reports a hidden action as disabled, and without accounts
    // the tray would then offer no way to quit.
    if (quitter2_) quitter2_->setEnabled(libre);
    emit IconeTrayVisible(true);
    MajIconeTray(EtatTrayCourant());
    hide();
}

void TFMain::closeEvent(QCloseEvent* e)
{
    if (ApercuEnTransfert()) {
        e->ignore();
        return;
    }
    if (hideOnClose_) {
        e->ignore();
        if (trayDisponible_()) PasserDansLeTray();
        else showMinimized();
        return;
    }
    e->accept();
}

void TFMain::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && hideOnClose_ &&
        trayDisponible_()) {
        // A minimised window goes to the tray instead; the state change is finished first.
        QTimer::singleShot(0, this, &TFMain::SurMinimisation);
    }
}

void TFMain::SurMinimisation()
{
    if (!(windowState() & Qt::WindowMinimized)) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    close();
}

void TFMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!e->spontaneous()) PlacerFenetre(this);
}

void TFMain::MontrerFenetre()
{
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    emit IconeTrayVisible(false);
}

void TFMain::Quitter()
{
    // A check or a deletion lets the window process its events; quitting under it would free
    // the rows and the session it works on.
    if (controleur_->Occupe()) return;
    if (liste_.NombreMarques() > 0) {
        // While the box waits, an automatic check would replace the rows, and "Oui" would then
        // delete messages the user was never asked about.
        timerControleAuto_->stop();
        // A question that deletes on the servers offers "Non" by default.
        const ReponseMessage r = Question("Confirmation",
                                          "Des messages ont \xE9t\xE9 marqu\xE9s pour suppression.\r\r\n"
                                          "Les supprimer avant de quitter ?",
                                          BoutonsMessage::OuiNonAnnuler, IconeMessage::Question, true);
        if (r == ReponseMessage::Annuler) {
            MajTimerControleAuto();
            return;
        }
        if (r == ReponseMessage::Oui) SupprimerMessagesMarques();
    }
    FinirProgramme();
}

void TFMain::TerminerSurSignal()
{
    arretDemande_ = true;
    // The run stops at its next step (TraiterEvenements), then this comes back. A box the run
    // opened before the signal came would hold it for as long as nobody answers (no one does,
    // at a logout): it is closed, which answers as its cancelling button does.
    if (controleur_->Occupe()) {
        if (QWidget* boite = QApplication::activeModalWidget()) boite->close();
        QTimer::singleShot(50, this, &TFMain::TerminerSurSignal);
        return;
    }
    if (termine_ || !hideOnClose_) return;  // already ending
    FinirProgramme();
}

void TFMain::FinirProgramme()
{
    timerControleAuto_->stop();
    liste_.Vider();
    SauverFiltres();
    FermerConnexion();
    // No question about hanging up a modem: this platform has no dial-up service to ask.
    emit IconeTrayVisible(false);
    hideOnClose_ = false;
    close();
    emit FinDemandee();
}

void TFMain::Terminer()
{
    if (termine_) return;
    termine_ = true;
    FermerConnexion();
    if (sons_) sons_->Liberer();
    if (!dossier_.empty()) {
        const ResultatFichier r = EnregistrerJournal(dossier_, journal_.Lignes(), config_.NbLignesSvg);
        if (!r.ok) qWarning("%s", Cp1252VersUtf8(r.erreur).c_str());
    }
    // The columns as the user left them; nothing is written when the user changed nothing.
    if (!dossier_.empty() && dispositionModifiee_ && lvMsg_) {
        DispositionListe d;
        const auto l = lvMsg_->Largeurs();
        std::copy(l.begin(), l.end(), d.largeurs.begin());
        d.colonneTri = tri_.Colonne();
        d.ascendant = tri_.Ascendant();
        const ResultatFichier r = EcrireDispositionListe(dossier_, d);
        if (!r.ok) qWarning("%s", Cp1252VersUtf8(r.erreur).c_str());
    }
}

void TFMain::SousRapport(const std::function<void()>& travail)
{
    try {
        if (travail) travail();
    } catch (const ArretDemande&) {
        // The program is ending: nothing to report.
    } catch (const std::exception& e) {
        Message("Vaskor", DepuisQString(TexteRapportErreur(TexteEchec(e))), IconeMessage::Erreur);
    }
}

bool TFMain::event(QEvent* e)
{
    // Hints go to the first panel of the status bar, which keeps its other panels in place.
    if (e->type() == QEvent::StatusTip) {
        panneaux_[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

// ---------------------------------------------------------------------------------------------
// FenetreControle

void TFMain::TexteStatut(int panneau, const Texte& texte)
{
    if (panneau >= 0 && panneau < 4) panneaux_[panneau]->setText(VersQString(texte));
}

void TFMain::Progression(bool visible, int maximum, int position)
{
    const int max = maximum > 0 ? maximum : 1;
    // A check reports every message: with tens of thousands, setting each value (which formats
    // the bar's percentage text to see whether to repaint) was a tenth of the window's work. A
    // step of less than a thousandth of the bar shows nothing; the last value always goes.
    const bool inchangee = progression_->maximum() == max && progression_->isHidden() != visible &&
                           position != max && position >= progression_->value() &&
                           static_cast<long long>(position - progression_->value()) * 1000 < max;
    if (inchangee) return;
    progression_->setMaximum(max);
    progression_->setValue(position);
    progression_->setVisible(visible);
}

void TFMain::TexteCompte(const Texte& texte) { pnlCompte_->setText(VersQString(texte)); }

void TFMain::CurseurAttente(bool attente)
{
    if (attente) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++attentes_;
    } else if (attentes_ > 0) {
        QApplication::restoreOverrideCursor();
        --attentes_;
    }
}

ReponseMessage TFMain::Question(const Texte& titre, const Texte& texte, BoutonsMessage boutons, IconeMessage icone,
                                bool defautNon)
{
    // Ending on a signal asks nothing: the cancelling answer, as if the box were closed.
    if (arretDemande_) {
        qWarning("%s", Cp1252VersUtf8(texte).c_str());
        return boutons == BoutonsMessage::Ok ? ReponseMessage::Ok
               : boutons == BoutonsMessage::OuiNon ? ReponseMessage::Non
                                                   : ReponseMessage::Annuler;
    }
    return boites_->Question(this, titre, texte, boutons, icone, defautNon);
}

void TFMain::Message(const Texte& titre, const Texte& texte, IconeMessage icone)
{
    // Ending on a signal (a logout, a shutdown) opens no box that would hold the end for ever:
    // what it would say goes to the error output.
    if (arretDemande_) {
        qWarning("%s", Cp1252VersUtf8(texte).c_str());
        return;
    }
    boites_->Message(this, titre, texte, icone);
}

void TFMain::TraiterEvenements()
{
    // A check calls this after every message: on a fast server that is thousands of times a
    // second, and each call repainted the status bar, the progress bar and the new rows. Events
    // are processed at most every 10 ms, far more often than the eye or a click needs.
    if (!evenementsTraites_.isValid() || evenementsTraites_.elapsed() >= 10) {
        QCoreApplication::processEvents();
        evenementsTraites_.start();
    }
    if (arretDemande_ && controleur_->Occupe()) throw ArretDemande();
}

bool TFMain::FenetreVisible() const { return isVisible(); }

void TFMain::LabelProchainControle(bool visible, const Texte& texte)
{
    lNextCheck_->setText(VersQString(texte));
    lNextCheck_->setVisible(visible);
}

void TFMain::FocusListe()
{
    if (!isVisible() || !lvMsg_->isEnabled()) return;
    lvMsg_->setFocus();
    // The list may have had the focus all along: setFocus then brings no focus event.
    lvMsg_->AccorderCouranteEtSelection();
}

ReponseCertificat TFMain::ConfianceCertificat(const Texte& compte, const Texte& hote,
                                              const CertificatServeur& certificat)
{
    if (arretDemande_) return ReponseCertificat::Annuler;
    return boites_->ConfianceCertificat(this, TexteCertificat(compte, hote, certificat)) ? ReponseCertificat::Confiance
                                                                                         : ReponseCertificat::Annuler;
}

// ---------------------------------------------------------------------------------------------
// Seams. Each stands for a piece that another part of the program brings; the window calls
// only these.

void TFMain::ControlerCompte(int position, bool depuisTray)
{
    // The tray menu stays within reach during a run of a hidden window (an automatic check): a
    // second run would take over the session of the first.
    if (position < 0 || controleur_->Occupe()) return;
    SousRapport([&] { controleur_->ControlerCompte(static_cast<std::size_t>(position), depuisTray); });
}

void TFMain::ControlerTousLesComptes()
{
    if (controleur_->Occupe()) return;
    SousRapport([&] { controleur_->ControlerTousLesComptes(); });
}

bool TFMain::ClientConnecte() { return client_.IsConnected(); }

bool TFMain::ApercuEnTransfert() const
{
    // The preview marks the client while it retrieves a message.
    return client_.Tag == 1;
}

void TFMain::SupprimerMessagesMarques()
{
    // The deletion on the servers is the "Supprimer" command's work, plugged in with
    // BrancherCommande(Commande::Supprimer, ...).
    const auto travail = travaux_.find(Commande::Supprimer);
    if (travail != travaux_.end() && travail->second) travail->second();
}

void TFMain::SauverFiltres()
{
    // Written at quit, a list that could not be read would replace the user's filters with
    // what little was read, or nothing.
    if (dossier_.empty() || filtresIllisibles_) return;
    const ResultatFichier r = SauverFiltresFusion(dossier_, filtres_, filtresLus_);
    // The counters of this run would be lost without a word otherwise.
    if (!r.ok) Message("Vaskor", r.erreur, IconeMessage::Erreur);
    else NoterFiltres();
}

void TFMain::FermerConnexion()
{
    if (client_.IsConnected()) client_.CloseSession();
}

bool TFMain::DoubleClicEditer() const { return config_.DoubleClicEditer; }

void TFMain::JouerSon(SonControle son)
{
    // Before the start-up loading there is nothing to play.
    if (!sons_) return;
    ReglagesSons reglages;
    reglages.jouerSons = config_.JouerSons;
    reglages.sonsParDef = config_.SonsParDef;
    reglages.msgOK = VersQString(config_.MsgOK);
    reglages.msgAMarquer = VersQString(config_.MsgAMarquer);
    reglages.msgAEffacer = VersQString(config_.MsgAEffacer);
    sons_->Jouer(son, reglages);
}

}  // namespace vaskor
