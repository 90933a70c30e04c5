#include "engine/planificateur.h"

#include <cmath>

namespace vaskor {

Planificateur::Planificateur(Controleur& controle, FenetreControle& fenetre, TIdPOP3& client, ListeMessages& liste,
                             TConfig& config)
    : controle_(controle), fenetre_(fenetre), client_(client), liste_(liste), config_(config)
{
}

void Planificateur::Demarrer()
{
    faitHeureFixe_ = false;
    controle_.DernierControle = controle_.Horloge();
    fenetre_.LabelProchainControle(config_.ControleAuto,
                                   config_.ControleAuto ? TexteProchainControle(config_, controle_.DernierControle) : Texte());
    if (config_.ControlerAuLancement) Executer(true);
}

void Planificateur::ApresReglage()
{
    if (!config_.ControleAuto) {
        fenetre_.TexteStatut(2, {});
        fenetre_.LabelProchainControle(false, {});
        return;
    }
    if (config_.ControlerA) {
        faitHeureFixe_ = false;
    } else {
        controle_.DernierControle = controle_.Horloge();
    }
    fenetre_.LabelProchainControle(true, TexteProchainControle(config_, controle_.DernierControle));
}

void Planificateur::ControleAutomatique()
{
    controle_.ControleAutoEnCours = true;
    fenetre_.MajIconeTray(1);
    struct Fin {
        Planificateur& p;
        ~Fin()
        {
            p.controle_.ControleAutoEnCours = false;
            p.fenetre_.MajIconeTray(p.liste_.Vide() ? 0 : 2);
        }
    } fin{*this};
    controle_.ControlerTousLesComptes();
}

void Planificateur::Executer(bool demarrage)
{
    // A run of any kind already going on (connected or not: between two accounts, during a
    // question) would be entered a second time from its own event processing. A session that a
    // failed check left open is no operation going on: refusing for it would stop the automatic
    // checks for good, and the run closes it first anyway.
    const bool clientPris = client_.IsConnected() && !controle_.SessionLaissee();
    if (clientPris || controle_.ControleAutoEnCours || controle_.Occupe()) return;
    if (!demarrage && ApercuVisible()) return;
    if (!config_.ControleAuto) return;

    const TDateHeure maintenant = controle_.Horloge();
    if (!config_.ControlerA) {
        TDateHeure echeance = controle_.DernierControle + config_.FrequenceControleAuto / 1440.0;
        if (demarrage) {
            echeance = maintenant;
            if (config_.MasquerAuLancement && !fenetre_.FenetreVisible()) AjouterIconeTray();
        }
        // A millisecond of slack keeps a tick that lands exactly on the due minute from waiting
        // ten more seconds for a rounding error.
        if (maintenant + 1.0 / 86400000.0 < echeance) return;
        ControleAutomatique();
        controle_.DernierControle = controle_.Horloge();
        fenetre_.LabelProchainControle(true, TexteProchainControle(config_, controle_.DernierControle));
        return;
    }

    int h = 0, m = 0;
    // A time that does not read (a hand-edited settings file) never matches: no check, no
    // message at every tick.
    if (!LireHeure(config_.HeureCtrl, h, m)) return;
    const ElementsDate e = DecoderDateHeure(maintenant);
    if (e.heure != h || e.minute != m) {
        faitHeureFixe_ = false;
        return;
    }
    if (faitHeureFixe_) return;
    ControleAutomatique();
    faitHeureFixe_ = true;
}

}  // namespace vaskor
