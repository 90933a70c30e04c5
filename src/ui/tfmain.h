#pragma once
// The main window: menus, tool bar, the message list, the account panel and the status bar.
// It owns the rows of the list and the account list, and it is the window through which the
// check run, the deletion and the scheduler report (FenetreControle). The command logic lives
// in small classes beside it (Commandes, ActionsListe, MenusControle, TriListe).

#include "core/ami.h"
#include "core/compte.h"
#include "core/config.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "crypto/chiffrement.h"
#include "engine/apercu.h"
#include "engine/controle.h"
#include "engine/planificateur.h"
#include "engine/fenetre.h"
#include "engine/liste_messages.h"
#include "mail/pop3.h"
#include "ui/commandes.h"
#include "ui/tri_liste.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

class QLabel;
class QMenu;
class QProgressBar;
class QToolButton;
class QToolBar;
class QTimer;

namespace vaskor {

class ActionsListe;
class LecteurSons;
class BoitesMessage;
class MenusControle;
class ModeleMessages;
class TFComptes;
class TFMsg;
class TFFiltres;
class SurveillanceDonnees;
class VueMessages;

class TFMain : public QMainWindow, public FenetreControle, public FenetreApercu {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // --- What the window owns ---
    ListeMessages& Liste() { return liste_; }
    const ListeComptes& Comptes() const { return comptes_; }
    ListeComptes& Comptes() { return comptes_; }
    // How each account connects, and the certificates trusted for them.
    SecuritesComptes& Securites() { return securites_; }
    // Replaces the account list (sorted by description), rebuilds the three check menus and
    // shows the check commands when there is at least one account.
    void DefinirComptes(std::vector<TCompte> comptes);
    ListeFiltres& Filtres() { return filtres_; }
    ListeAmis& Amis() { return amis_; }
    TConfig& Config() { return config_; }
    JournalEnAttente& Journal() { return journal_; }
    TCipherManager& Chiffre() { return chiffre_; }
    // The program's folder, where the data files live.
    const std::filesystem::path& Dossier() const { return dossier_; }
    TriListe& Tri() { return tri_; }
    // The one POP3 client and the check run that uses it (the scheduler and the preview share
    // them).
    TIdPOP3& Client() { return client_; }
    Controleur& Controle() { return *controleur_; }
    Planificateur& Planif() { return *planificateur_; }

    // The automatic checks, once the data are loaded and the window shown or hidden: the timer
    // started when they are on, the next-check label, and the start-up check when asked for.
    void DemarrerControlesAuto();
    // Starts or stops the 10-second timer after the settings changed.
    void MajTimerControleAuto();
    QTimer* TimerControleAuto() const { return timerControleAuto_; }

    // The start-up loading, in this order: the friends, the filters, the accounts (which builds
    // the check menus), the check commands shown or hidden, the selection commands disabled, the
    // settings, then the automatic-check flags of the accounts (only those with a password keep
    // it; none left turns the automatic check off). Files that are missing give empty lists; an
    // accounts file that cannot be read is reported in a box and gives no account. The built-in
    // sounds are loaded last.
    // `environnement.compteEnControleAuto` is worked out here.
    void ChargerDonnees(const std::filesystem::path& dossier, EnvironnementConfig environnement = {});
    // Deletions that a killed program left in suspense reach the journal (or are dropped when
    // their QUIT never went out); called once at start, after ChargerDonnees.
    void ResoudreJournalEnSuspens();

    // The watch over comptes.dat, securites.dat, filtres.dat and amis.dat: a change made by
    // another program is taken in once no run and no dialog is in progress.
    SurveillanceDonnees& Surveillance() { return *surveillance_; }
    // Whether the window may take a changed file in now: no run, no preview, no dialog, no save.
    bool DonneesLibres() const;

    // --- Pieces for the rest of the program ---
    Commandes& Actions() { return *cmd_; }
    // Plugs in a command whose work lives elsewhere (preview, deletion, dialogs...).
    void BrancherCommande(Commande c, std::function<void()> travail);
    // The tray menu's "Contrôler" (Controler2). The window fills it with the account entries;
    // DefinirMenuControlerTray hands it the tray icon's own submenu to fill instead.
    QMenu* MenuControlerTray() const;
    void DefinirMenuControlerTray(QMenu* controler2);
    // The tray menu's "Quitter" (Quitter2): the window enables and disables it with the others.
    void DefinirQuitterTray(QAction* quitter2) { quitter2_ = quitter2; }
    // Whether the desktop shows tray icons now. Many desktops show none: hiding the window there
    // would leave no way back to it, so "Masquer", Esc, the close button and minimising then
    // minimise the window to the task bar instead.
    void DefinirTrayDisponible(std::function<bool()> disponible) { trayDisponible_ = std::move(disponible); }
    // Replaces the message boxes (tests answer the questions this way).
    void DefinirBoites(std::unique_ptr<BoitesMessage> boites);
    BoitesMessage& Boites() { return *boites_; }

    VueMessages* LVMsg() const { return lvMsg_; }
    ModeleMessages* Modele() const { return modele_; }
    QMenu* PMLVMsg() const { return pmLVMsg_; }
    QAction* Email1() const { return email1_; }
    QToolButton* BoutonOutil(QAction* a) const;
    QString LireStatut(int panneau) const;
    QString LireCompte() const;
    QLabel* LNextCheck() const { return lNextCheck_; }
    QProgressBar* BarreProgression() const { return progression_; }

    // The selected row, or -1.
    int LigneSelectionnee() const;
    void SelectionnerLigne(int ligne);

    // --- Window helpers shared with the other subsystems ---
    void AfficherControles(bool visible);
    bool HideOnClose() const { return hideOnClose_; }
    void DefinirHideOnClose(bool h) { hideOnClose_ = h; }
    int EtatTray() const { return etatTray_; }

    // --- Commands ---
    void Marquer1Click();
    void ToutMarquer1Click();
    void InverserMarquage1Click();
    void AnnulerMarquage1Click();
    void EffacerListe1Click();
    void VoirLesEntetes1Click();
    // "Aperçu..." (F3, the tool button, the context menu, a double click when so set): the
    // selected row's message fetched and shown in TFMsg.
    void ApercuMessage1Click();
    // The preview window, created on first use and reused.
    TFMsg* FenetreMsg();
    void LVMsgColumnClick(int colonne);
    // "Gestion des filtres...": the filter manager on the window's filters.
    void Filtres1Click();
    // "Comptes..." (F11): the account list; on OK the accounts and their securities are replaced,
    // written to comptes.dat and securites.dat, the check menus rebuilt and the automatic-check
    // flags normalised.
    void Comptes1Click();
    // What OK of the account list applies (also without the dialog, for tests). When comptes.dat
    // or securites.dat changed on disk since the window read them, the dialog's additions,
    // edits and removals are applied onto the accounts on disk, so that an account added
    // elsewhere meanwhile survives.
    void AppliquerComptes(std::vector<TCompte> comptes, SecuritesComptes securites);
    // "Filtrer...": a filter made from the selected message.
    void AjouterFiltre1Click();
    // "Ajouter aux amis": the sender of the selected message becomes a friend.
    void AjouterAuxAmis1Click();
    // "Amis...", "Options...", "&A propos...".
    void Amis1Click();
    void Options1Click();
    void APropos1Click();
    // The filter manager, made at its first use (its header editor offers the loaded settings'
    // header names) and kept for the run.
    TFFiltres& GestionnaireFiltres();
    TFComptes& DialogueComptes();
    // How "Options..." sets the autostart entry (tests replace it).
    void DefinirMiseAJourAutoRun(std::function<void(bool)> f) { autoRun_ = std::move(f); }
    void LVMsgDblClick();
    // "Masquer" (Esc): to the tray.
    void Masquer();
    // "Quitter": the questions, then the end of the program.
    void Quitter();
    // A signal or the end of the desktop session: the end of "Quitter" without a question (the
    // marked rows stay on the server). A run in progress stops at its next step first.
    void TerminerSurSignal();
    // The end of the program: the session closed, this run's journal lines merged into the
    // journal file and the file trimmed. Runs once; the destructor calls it too.
    void Terminer();

    // --- FenetreControle ---
    void TexteStatut(int panneau, const Texte& texte) override;
    void Progression(bool visible, int maximum, int position) override;
    void TexteCompte(const Texte& texte) override;
    void CurseurAttente(bool attente) override;
    ReponseMessage Question(const Texte& titre, const Texte& texte, BoutonsMessage boutons, IconeMessage icone,
                            bool defautNon) override;
    void Message(const Texte& titre, const Texte& texte, IconeMessage icone) override;
    void ActiverInterface(bool actif) override;
    void MajActions(bool selection) override;
    // MajActions with the flag of the current selection.
    void MajActionsSelection();
    void MajIconeTray(int etat, const Texte& serveur = {}) override;
    void JouerSon(SonControle son) override;
    void TraiterEvenements() override;
    QElapsedTimer evenementsTraites_;  // since the window last processed its events during a run
    bool FenetreVisible() const override;
    void MontrerFenetre() override;
    void LabelProchainControle(bool visible, const Texte& texte) override;
    void FocusListe() override;

    // --- FenetreApercu ---
    bool Saisir(const Texte& titre, const Texte& invite, Texte& valeur) override;
    void AfficherApercu(const ContenuApercu& contenu, const TIdMessage& message) override;
    ReponseCertificat ConfianceCertificat(const Texte& compte, const Texte& hote,
                                          const CertificatServeur& certificat) override;

signals:
    // The tray icon is to be shown (the window goes hidden) or removed (the window is back).
    void IconeTrayVisible(bool visible);
    // The tray icon's state changed: 0 idle, 1 checking `serveur`, 2 result with `nbMessages`
    // rows in the list (the tray icon makes its tip from them).
    void IconeTrayModifiee(int etat, const QString& serveur, int nbMessages);
    // "Quitter" went through: the program is to end.
    void FinDemandee();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void CreerMenus();
    void CreerBarreOutils();
    void CreerBarreEtat();
    void CreerPanneauCompte();
    void CreerListe();
    void Relier();
    void LVMsgSelectItem(int ligne);
    void MarquesChangees();
    void PasserDansLeTray();
    int EtatTrayCourant();
    // Runs `travail`; a failure that escapes it is reported in the program's error box.
    void SousRapport(const std::function<void()>& travail);
    void SurMinimisation();
    // What "Quitter" does once the questions are answered.
    void FinirProgramme();
    // Another program changed a data file: the window takes it in, keeping what it has not
    // saved yet (this run's filter counters).
    void RechargerDonnees(int fichier);
    void RechargerComptes();
    void RechargerFiltres();
    void RechargerAmis();
    // The account list changed: the automatic-check flags, its command and its timer follow.
    void ComptesModifies();
    // Saves the friends list `amis`, made from the window's copy, merged with the file as it is
    // now; the window then holds what was written.
    void EnregistrerAmis(ListeAmis amis);
    // After a save of the filters: the file now holds the window's list, unless the save failed.
    void NoterFiltres();

    // --- Seams: pieces that live in other parts of the program ---
    // The check run of one account, or of all accounts.
    void ControlerCompte(int position, bool depuisTray);
    void ControlerTousLesComptes();
    // Whether the POP3 client holds a session open.
    bool ClientConnecte();
    // Whether a preview is transferring a message (the window may not hide meanwhile).
    bool ApercuEnTransfert() const;
    // Deletes the marked messages on their servers (the answer "Oui" to a question about them).
    void SupprimerMessagesMarques();
    // Saves the filters so that their counters survive the run.
    void SauverFiltres();
    // Closes the POP3 session when one is open.
    void FermerConnexion();
    // The double-click setting: true opens the preview, false toggles the mark.
    bool DoubleClicEditer() const;

    ListeMessages liste_;
    ListeComptes comptes_;
    SecuritesComptes securites_;
    ListeFiltres filtres_;
    // The filters file could not be read at start-up: it is not replaced at quit. A filter
    // manager that replaces the whole list on OK clears it.
    bool filtresIllisibles_ = false;
    // The filters as last read or written: the save adds to the file's counters what this run
    // counted since, rather than overwrite another program's counts.
    ListeFiltres filtresLus_;
    ListeAmis amis_;
    // The accounts, their securities and the friends as the window last read or wrote them: a
    // save merges what changed since onto the file when another program changed it meanwhile.
    std::vector<TCompte> comptesLus_;
    SecuritesComptes securitesLues_;
    ListeAmis amisLus_;
    SurveillanceDonnees* surveillance_ = nullptr;
    // A save is writing the data files: a reload now would change the lists under it.
    bool enregistrement_ = false;
    TConfig config_ = ConfigParDefaut();
    // The settings as last read or written: a save writes only what changed since.
    TConfig configLue_ = ConfigParDefaut();
    JournalEnAttente journal_;
    TCipherManager chiffre_;
    std::filesystem::path dossier_;
    TIdPOP3 client_;
    std::unique_ptr<Controleur> controleur_;
    std::unique_ptr<Planificateur> planificateur_;
    QTimer* timerControleAuto_ = nullptr;
    LecteurSons* sons_ = nullptr;
    bool termine_ = false;
    bool arretDemande_ = false;
    bool dispositionModifiee_ = false;  // a column was resized or sorted by the user
    TriListe tri_;
    Commandes* cmd_;
    std::unique_ptr<ActionsListe> actionsListe_;
    std::unique_ptr<BoitesMessage> boites_;
    MenusControle* menus_ = nullptr;
    ModeleMessages* modele_ = nullptr;
    VueMessages* lvMsg_ = nullptr;

    QMenu* fichier1_ = nullptr;
    QMenu* email1Menu_ = nullptr;
    QAction* email1_ = nullptr;
    QMenu* outils1_ = nullptr;
    QMenu* aideMenu_ = nullptr;
    QMenu* pmLVMsg_ = nullptr;
    QMenu* pmMarquer_ = nullptr;
    QMenu* pmFiltres_ = nullptr;
    QToolBar* toolBar1_ = nullptr;
    QAction* quitter2_ = nullptr;

    QLabel* panneaux_[4] = {};
    QProgressBar* progression_ = nullptr;
    QLabel* pnlCompte_ = nullptr;
    QLabel* lNextCheck_ = nullptr;
    TFMsg* tfmsg_ = nullptr;

    TFFiltres* gestionnaireFiltres_ = nullptr;
    TFComptes* dialogueComptes_ = nullptr;
    bool sortieSon_ = true;
    std::function<void(bool)> autoRun_;
    std::map<Commande, std::function<void()>> travaux_;
    bool interfaceActive_ = true;
    bool hideOnClose_ = true;
    std::function<bool()> trayDisponible_ = [] { return true; };
    int etatTray_ = 0;
    Texte serveurTray_;
    int attentes_ = 0;
};

}  // namespace vaskor
