#pragma once
// The list commands: which are enabled for a given state of the list (MajActions), and the
// marking commands themselves.

#include "engine/liste_messages.h"

namespace vaskor {

class Commandes;
}  // namespace vaskor

class QMenu;

namespace vaskor {

struct EtatListe {
    std::size_t lignes = 0;
    std::size_t marquees = 0;
    bool connecte = false;  // the POP3 client holds a session open
};

class ActionsListe {
public:
    explicit ActionsListe(Commandes& commandes) : c_(commandes) {}

    // MajActions: `selection` enables the commands that work on the selected row. `email1` is
    // the "Message" menu.
    void MajActions(bool selection, const EtatListe& etat, QMenu* email1) const;

    // Marquer1Click: toggles the mark of the selected row (`ligne` < 0: no selection).
    static void Marquer(ListeMessages& liste, int ligne);
    static void ToutMarquer(ListeMessages& liste) { liste.MarquerTout(); }
    static void Inverser(ListeMessages& liste) { liste.InverserMarques(); }
    static void AnnulerMarquage(ListeMessages& liste) { liste.AnnulerMarques(); }

private:
    Commandes& c_;
};

}  // namespace vaskor
