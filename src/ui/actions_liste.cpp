#include "ui/actions_liste.h"

#include "ui/commandes.h"

#include <QAction>
#include <QMenu>

namespace vaskor {

void ActionsListe::MajActions(bool selection, const EtatListe& etat, QMenu* email1) const
{
    // While a session is open the "Message" menu stays shut: its commands would reuse message
    // numbers that the open session has not settled yet.
    const bool menuOuvert = etat.lignes >= 1 && !etat.connecte;
    if (email1) email1->menuAction()->setEnabled(menuOuvert);

    for (QAction* a : {c_.BSupprimerMails, c_.Supprimer1, c_.Supprimer2}) c_.Activer(a, etat.marquees >= 1);

    for (QAction* a : {c_.BMarquer, c_.BFiltres, c_.ToutMarquer1, c_.ToutMarquer2, c_.Toutmarquer3,
                       c_.InverserMarquage1, c_.InverserMarquage2, c_.Inverser1, c_.AnnulerMarquage1,
                       c_.AnnulerMarquage2, c_.Annuler1, c_.EffacerListe1})
        c_.Activer(a, etat.lignes >= 1);

    for (QAction* a : {c_.Marquer1, c_.Marquer2, c_.Marquer3, c_.VoirLesEntetes1, c_.VoirLesEntetes2,
                       c_.ApercuMessage1, c_.Apercu2, c_.AjouterAuxAmis1, c_.AjouterAuxAmis2, c_.AjouterFiltre1,
                       c_.AjouterFiltre2, c_.AjouterFiltre3, c_.BEntetes, c_.BApercu})
        c_.Activer(a, selection);

    // A shut menu keeps its keys shut too, or Ctrl+A and the others would still reach the list.
    if (email1 && !menuOuvert) {
        for (QAction* a : email1->actions()) a->setEnabled(false);
    }
}

void ActionsListe::Marquer(ListeMessages& liste, int ligne)
{
    if (ligne < 0 || static_cast<std::size_t>(ligne) >= liste.Nombre()) return;
    liste.BasculerMarque(static_cast<std::size_t>(ligne));
}

}  // namespace vaskor
