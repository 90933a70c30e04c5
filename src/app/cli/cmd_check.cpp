// vaskor-cli check: the check run of the desktop application, without a display, over the data
// folder: deletions by filters in the same session, the journal merged and trimmed at the end,
// the filters saved so that their counters survive.

#include "cli/commande.h"
#include "core/ami.h"
#include "core/config.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "crypto/chiffrement.h"
#include "crypto/fichier_comptes.h"
#include "engine/controle.h"
#include "platform/base/transport_tcp.h"

#include <ostream>

namespace vaskor::cli {
namespace {

// The window of a run without a screen: message boxes go to standard error, the one question
// (delete the marked rows first?) never comes up because the list starts empty.
class FenetreConsole : public FenetreControle {
public:
    explicit FenetreConsole(Contexte& c) : c_(c) {}
    void TexteStatut(int, const Texte&) override {}
    void Progression(bool, int, int) override {}
    void TexteCompte(const Texte&) override {}
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
        c_.EcrireErreur(titre + ": " + t + "\n");
    }
    void ActiverInterface(bool) override {}
    void MajActions(bool) override {}
    void MajIconeTray(int, const Texte&) override {}
    void JouerSon(SonControle) override {}
    void TraiterEvenements() override {}
    bool FenetreVisible() const override { return true; }
    void MontrerFenetre() override {}
    void LabelProchainControle(bool, const Texte&) override {}
    void FocusListe() override {}

private:
    Contexte& c_;
};

Texte SansSautsDeLigne(Texte t)
{
    for (char& ch : t)
        if (ch == '\r' || ch == '\n' || ch == '\t') ch = ' ';
    return t;
}

int Usage(Contexte& c, const Texte& erreur)
{
    c.EcrireErreur("vaskor-cli check: " + erreur + "\n");
    c.EcrireErreur("usage: vaskor-cli check [--account DESCRIPTION] [--auto] [--data DIR]\n");
    return 64;
}

int Check(Contexte& c)
{
    const Arguments a = AnalyserArguments(c.args, {"--auto"});
    if (!a.erreur.empty()) return Usage(c, a.erreur);
    if (!a.positionnels.empty()) return Usage(c, "unexpected argument " + a.positionnels[0]);
    const fs::path dossier = DossierDonnees(a);

    TCipherManager chiffre;
    ResultatChargementComptes comptes = ChargerComptes(chiffre, dossier);
    if (!comptes.ok) {
        c.EcrireErreur(comptes.message + " " + comptes.detail + "\n");
        return 1;
    }
    comptes.comptes.NormaliserControleAuto();
    ListeFiltres filtres;
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
    }

    FenetreConsole fenetre(c);
    TIdPOP3 client([] { return CreerTransportTcp(); });
    JournalEnAttente journal;
    ListeMessages liste;
    Controleur controle(fenetre, client, {comptes.comptes, filtres, amis, config, journal, liste});

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
        controle.ControlerCompte(trouve);
    } else {
        controle.ControleAutoEnCours = a.A("--auto");
        controle.ControlerTousLesComptes();
        controle.ControleAutoEnCours = false;
    }
    if (client.IsConnected()) client.CloseSession();  // a failed run leaves its session open

    for (std::size_t i = 0; i < liste.Nombre(); ++i) {
        const LigneMessage& l = liste[i];
        c.Ecrire(std::to_string(l.Resume.Numero) + "\t" + (l.Marque ? "1" : "0") + "\t" + SansSautsDeLigne(l.De) +
                 "\t" + SansSautsDeLigne(l.Sujet) + "\t" + l.Date + "\t" + l.Taille + "\t" +
                 SansSautsDeLigne(l.Resume.Raison) + "\n");
    }
    const std::vector<Texte> supprimes = journal.Lignes();
    for (const Texte& ligne : supprimes) c.Ecrire("supprim\xE9\t" + ligne + "\n");

    int statut = controle.ComptesEnEchec > 0 ? 1 : 0;
    if (statut && a.A("--auto"))  // an automatic run shows no message: say at least how many failed
        c.EcrireErreur("\xC9" "chec du contr\xF4le de " + std::to_string(controle.ComptesEnEchec) + " compte(s).\n");
    if (const ResultatFichier r = EnregistrerJournal(dossier, supprimes, config.NbLignesSvg); !r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        statut = 1;
    }
    if (const ResultatFichier r = SauverFiltres(dossier, filtres); !r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        statut = 1;
    }
    return statut;
}

EnregistrementCommande enregistrement("check", "check the accounts headlessly (all, --account D, or --auto)", Check);

}  // namespace
}  // namespace vaskor::cli
