// vaskor-cli check: the check run of the desktop application, without a display, over the data
// folder: deletions by filters in the same session, each session's journal lines merged into the
// journal as soon as the server commits them, the filters saved so that their counters survive.
// The whole command holds the folder's lock: a second check on the same folder gives up with
// status 3 rather than delete and journal the same messages.

#include "cli/commande.h"
#include "core/ami.h"
#include "core/config.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "core/verrou_dossier.h"
#include "platform/base/signaux_fin.h"
#include "crypto/chiffrement.h"
#include "crypto/fichier_comptes.h"
#include "engine/controle.h"
#include "platform/base/transport_tls.h"

#include <ostream>

namespace vaskor::cli {
namespace {

// The window of a run without a screen: message boxes go to standard error, the one question
// (delete the marked rows first?) never comes up because the list starts empty.
class FenetreConsole : public FenetreControle {
public:
    FenetreConsole(Contexte& c, Texte quand) : c_(c), quand_(std::move(quand)) {}
    void TexteStatut(int, const Texte&) override {}
    void Progression(bool, int, int) override {}
    // "  Compte : <description>" while an account is checked, empty between accounts.
    void TexteCompte(const Texte& t) override
    {
        static const Texte prefixe = "  Compte : ";
        if (!t.empty()) compte_ = t.rfind(prefixe, 0) == 0 ? t.substr(prefixe.size()) : t;
    }
    void CurseurAttente(bool) override {}
    ReponseMessage Question(const Texte&, const Texte&, BoutonsMessage, IconeMessage, bool) override
    {
        return ReponseMessage::Non;
    }
    void Message(const Texte& titre, const Texte& texte, IconeMessage) override
    {
        Texte t = texte;
        for (char& ch : t)
            if (ch == '\r' || ch == '\n') ch = ' ';
        c_.EcrireErreur(quand_ + "\t" + compte_ + "\t" + titre + ": " + t + "\n");
    }
    void ActiverInterface(bool) override {}
    void MajActions(bool) override {}
    void MajIconeTray(int, const Texte&) override {}
    void JouerSon(SonControle) override {}
    // A signal stops the run at its next step; the command then keeps what was done.
    void TraiterEvenements() override
    {
        if (SignauxFin::Recu() != 0 && !RunFini) throw ArretDemande();
    }
    // Once the run has stopped, the closing of its session (QUIT and the server's answer, the
    // commit of its deletions) goes to its end.
    bool RunFini = false;
    bool FenetreVisible() const override { return true; }
    void MontrerFenetre() override {}
    void LabelProchainControle(bool, const Texte&) override {}
    void FocusListe() override {}

private:
    Contexte& c_;
    Texte quand_;   // the run's date and time
    Texte compte_;  // the account being checked
};

Texte SansSautsDeLigne(Texte t)
{
    for (char& ch : t)
        if (ch == '\r' || ch == '\n' || ch == '\t') ch = ' ';
    return t;
}

EnregistrementAide aide({"check",
                         "check [--account DESCRIPTION] [--auto] [--quiet] [--decodage-moderne 0|1] [--data DOSSIER]",
                         "Le contrôle de Vaskor, sans fenêtre : messages classés, ceux que les filtres effacent\n"
                         "supprimés dans la même session, journal complété, compteurs des filtres gardés.\n"
                         "Une ligne par message listé : numéro, marqué 0/1, expéditeur, sujet, date, taille,\n"
                         "raison, puis la date et l'heure du contrôle et le compte ; une ligne \"supprimé\" suivie\n"
                         "de la ligne du journal, de la date du contrôle et du compte par message effacé.\n"
                         "Les échecs vont sur la sortie d'erreur, datés, avec le compte ; statut 1.\n"
                         "Dates au format AAAA-MM-JJ HH:MM:SS, heure locale.",
                         {{"--account", "DESCRIPTION", "ne contrôle que ce compte"},
                          {"--auto", nullptr, "ne contrôle que les comptes du contrôle automatique, sans message"},
                          {"--quiet", nullptr, "n'affiche que les suppressions et les échecs (pour cron)"},
                          OptionDecodageModerne, OptionData}});

int Usage(Contexte&, const Texte& erreur)
{
    throw ErreurCommande{erreur, StatutUsage};
}

int Check(Contexte& c)
{
    const Texte quand = MaintenantIso();
    const Arguments a = AnalyserArguments(c.args, {"--auto", "--quiet"});
    if (!a.erreur.empty()) return Usage(c, a.erreur);
    if (!a.positionnels.empty()) return Usage(c, "argument inattendu \xAB " + a.positionnels[0] + " \xBB.");
    const fs::path dossier = DossierDonnees(a);

    SignauxFin::Installer();
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) {
        c.EcrireErreur(TexteDossierOccupe(dossier) + "\n");
        return 3;
    }
    RetirerTemporairesAbandonnes(dossier);

    TCipherManager chiffre;
    ResultatChargementComptes comptes = ChargerComptes(chiffre, dossier);
    if (!comptes.ok) {
        c.EcrireErreur(comptes.message + " " + comptes.detail + "\n");
        return 1;
    }
    comptes.comptes.NormaliserControleAuto();
    if (comptes.comptes.Nombre() == 0) {
        c.EcrireErreur(quand + "\tvaskor-cli check : aucun compte dans \xAB " + Utf8VersCp1252(dossier.string()) +
                       " \xBB (vaskor-cli accounts add --help).\n");
        return StatutEchec;
    }
    if (a.A("--auto") && !UnCompteEnControleAuto(comptes.comptes)) {
        c.EcrireErreur(quand + "\tvaskor-cli check : aucun compte choisi pour le contr\xF4le automatique dans \xAB " +
                       Utf8VersCp1252(dossier.string()) + " \xBB.\n");
        return StatutEchec;
    }
    ListeFiltres filtres;
    ListeFiltres filtresLus;
    ListeAmis amis;
    TConfig config;
    // A file that cannot be read stops the run: saving the filters at the end would otherwise
    // replace the user's filters with an empty list.
    for (const ResultatFichier& r : {ChargerFiltres(dossier, filtres), ChargerAmis(dossier, amis),
                                     ChargerConfig(dossier, config, {true, UnCompteEnControleAuto(comptes.comptes)})}) {
        if (!r.ok) {
            c.EcrireErreur(r.erreur + "\n");
            return 1;
        }
        if (!r.avertissement.empty()) c.EcrireErreur(r.avertissement + "\n");
    }
    if (!comptes.avertissement.empty()) c.EcrireErreur(comptes.avertissement + "\n");
    // Deletions a killed program left in suspense reach the journal (or not) before this run adds
    // its own.
    if (const ResultatFichier r = ResoudreJournalSuspens(dossier, config.NbLignesSvg); !r.ok || !r.avertissement.empty())
        c.EcrireErreur((r.ok ? r.avertissement : r.erreur) + "\n");

    filtresLus = filtres;

    FenetreConsole fenetre(c, quand);
    TIdPOP3 client([] { return CreerTransportTls(); });
    JournalEnAttente journal;
    ListeMessages liste;
    if (!comptes.erreurSecurites.empty()) c.EcrireErreur(comptes.erreurSecurites + "\n");
    // For this run only: the settings are not saved here.
    config.DecodageModerne = DecodageModerne(a, [&config] { return config.DecodageModerne; });
    Controleur controle(fenetre, client, {comptes.comptes, filtres, amis, config, journal, liste, &comptes.securites});
    controle.Dossier = dossier;
    std::vector<Texte> supprimes;
    controle.Journalise = [&](const std::vector<Texte>& lignes) {
        supprimes.insert(supprimes.end(), lignes.begin(), lignes.end());
    };
    controle.EcrireJournal = [&](const std::vector<Texte>& lignes) {
        return EnregistrerJournal(dossier, lignes, config.NbLignesSvg);
    };
    controle.PreparerJournal = [&](const std::vector<Texte>& lignes, JournalPrepare& prepare) {
        return PreparerJournal(dossier, lignes, config.NbLignesSvg, prepare);
    };

    if (a.options.count("--account")) {
        const Texte voulu = a.Valeur("--account");
        std::size_t trouve = comptes.comptes.Nombre();
        for (const bool sansCasse : {false, true}) {
            for (std::size_t i = 0; i < comptes.comptes.Nombre() && trouve == comptes.comptes.Nombre(); ++i) {
                const Texte d = comptes.comptes[i].Description.Lire();
                if (sansCasse ? EgalSansCasse(d, voulu) : d == voulu) trouve = i;
            }
        }
        if (trouve == comptes.comptes.Nombre()) {
            c.EcrireErreur("Aucun compte ne porte la description \"" + voulu + "\".\n");
            return 1;
        }
        try {
            controle.ControlerCompte(trouve);
        } catch (const ArretDemande&) {
        }
    } else {
        controle.ControleAutoEnCours = a.A("--auto");
        try {
            controle.ControlerTousLesComptes();
        } catch (const ArretDemande&) {
        }
        controle.ControleAutoEnCours = false;
    }
    // A failed or stopped run leaves its session open: its QUIT commits what it deleted.
    fenetre.RunFini = true;
    if (client.IsConnected()) client.CloseSession();

    for (std::size_t i = 0; i < liste.Nombre() && !a.A("--quiet"); ++i) {
        const LigneMessage& l = liste[i];
        c.Ecrire(std::to_string(l.Resume.Numero) + "\t" + (l.Marque ? "1" : "0") + "\t" + SansSautsDeLigne(l.De) +
                 "\t" + SansSautsDeLigne(l.Sujet) + "\t" + DateIso(l.Date) + "\t" + l.Taille + "\t" +
                 // What decided: the classification's reason for a marked row, nothing for an
                 // accepted one (the summary's reason is what a later user deletion would journal).
                 (l.Marque ? SansSautsDeLigne(l.Resume.Raison) : Texte()) + "\t" + quand + "\t" +
                 SansSautsDeLigne(l.Resume.Compte->Description.Lire()) + "\n");
    }
    // Every line the servers committed, written or not. A journal line already ends with a TAB.
    for (const Texte& ligne : supprimes)
        c.Ecrire("supprim\xE9\t" + LigneJournalIso(ligne) + quand + "\t" + ligne.substr(0, ligne.find('\t')) + "\n");
    // Lines whose merge failed wait in the pending journal: one more try now.
    const std::vector<Texte> enAttente = journal.Lignes();

    int statut = controle.ComptesEnEchec + controle.SuppressionsNonConfirmees > 0 ? 1 : 0;
    if (controle.ComptesEnEchec > 0 && a.A("--auto"))  // an automatic run shows no message: say at least how many failed
        c.EcrireErreur(quand + "\t\xC9" "chec du contr\xF4le de " + std::to_string(controle.ComptesEnEchec) +
                       " compte(s).\n");
    if (controle.SuppressionsNonConfirmees > 0 && a.A("--auto"))
        c.EcrireErreur(quand + "\tLe serveur n'a pas confirm\xE9 les suppressions de " +
                       std::to_string(controle.SuppressionsNonConfirmees) + " session(s).\n");
    if (const ResultatFichier r = EnregistrerJournal(dossier, enAttente, config.NbLignesSvg); !r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        statut = 1;
    }
    if (const ResultatFichier r = SauverFiltresFusion(dossier, filtres, filtresLus); !r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        statut = 1;
    }
    // Ended by a signal: what was done is kept, and the status says why it stopped.
    if (SignauxFin::Recu() != 0) return 128 + SignauxFin::Recu();
    return statut;
}

EnregistrementCommande enregistrement("check", "contrôle les comptes sans fenêtre (tous, --account D ou --auto)",
                                      Check);

}  // namespace
}  // namespace vaskor::cli
