#pragma once
// The sort state of the message list and the column-click rule. One direction flag serves all
// columns: a click on the sort column flips it, a click on another column keeps it.

#include "engine/liste_messages.h"

#include <functional>

namespace vaskor {

// Reads back a "Date" cell as a date-time; false when the text is not a date.
using LecteurDate = std::function<bool(const Texte&, double&)>;

// The reader of the list's "Date" texts, with the user's date format.
bool LireDateListe(const Texte& texte, double& date);

class TriListe {
public:
    explicit TriListe(LecteurDate lireDate = LireDateListe);

    int Colonne() const { return colonne_; }
    bool Ascendant() const { return ascendant_; }
    bool ParCompte() const { return parCompte_; }

    // A click on a column header (LVMsgColumnClick): updates the state, then sorts the whole list.
    // Returns where each row came from (row i was at the i-th position given), empty when the
    // click was not on a column.
    std::vector<std::size_t> ClicColonne(ListeMessages& liste, int colonne);
    // Sorts the whole list by the current state; returns where each row came from.
    std::vector<std::size_t> Trier(ListeMessages& liste) const;
    // Groups the rows by account (server, then user name) for the deletion; the list is sorted
    // by column again only at the next column click.
    void TrierParCompte(ListeMessages& liste);
    void DefinirParCompte(bool parCompte) { parCompte_ = parCompte; }
    // The state of an earlier run (column 0..3), without sorting.
    void Restaurer(int colonne, bool ascendant)
    {
        colonne_ = colonne;
        ascendant_ = ascendant;
    }

    // LVMsgCompare with the current state.
    int Comparer(const LigneMessage& a, const LigneMessage& b) const;

private:
    LecteurDate lireDate_;
    int colonne_ = 0;
    bool ascendant_ = false;
    bool parCompte_ = false;
};

}  // namespace vaskor
