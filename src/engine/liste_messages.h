#pragma once
// The rows of the message list: what the check run found, across all accounts of that check.
// The engine owns them (the check run adds rows, the deletion removes them); the window shows
// them through a model that listens to the changes.

#include "mail/message.h"

#include <functional>
#include <memory>
#include <vector>

namespace vaskor {

struct LigneMessage {
    Texte De;      // From display text, or the Sender's when empty
    Texte Sujet;
    Texte Date;    // the date as text (TexteDate)
    Texte Taille;  // size from LIST n, decimal ("-1" when unreadable)
    bool Marque = false;
    TResumeMessage Resume;
    bool Apercu = false;  // previewed: the row shows the second icon
};

// Told of every change so that a view can follow.
class ObservateurListe {
public:
    virtual ~ObservateurListe() = default;
    virtual void AvantAjout(std::size_t premiere, std::size_t derniere) = 0;
    virtual void ApresAjout() = 0;
    virtual void AvantRetrait(std::size_t premiere, std::size_t derniere) = 0;
    virtual void ApresRetrait() = 0;
    virtual void AvantReinitialisation() = 0;  // whole list cleared or reordered
    virtual void ApresReinitialisation() = 0;
    virtual void MarquesChangees(std::size_t premiere, std::size_t derniere) = 0;
};

enum class ColonneTri { De = 0, Sujet = 1, Date = 2, Taille = 3 };

class ListeMessages {
public:
    void DefinirObservateur(ObservateurListe* o) { observateur_ = o; }

    std::size_t Nombre() const { return lignes_.size(); }
    bool Vide() const { return lignes_.empty(); }
    const LigneMessage& operator[](std::size_t i) const { return lignes_.at(i); }
    std::size_t NombreMarques() const;

    void Ajouter(LigneMessage ligne);
    void Retirer(std::size_t i);
    void Vider();

    void Marquer(std::size_t i, bool marque);
    void BasculerMarque(std::size_t i);
    void MarquerApercu(std::size_t i);
    void MarquerTout();
    void InverserMarques();
    void AnnulerMarques();

    // Sorts the whole list, stable, with the given comparison (<0, 0, >0).
    void Trier(const std::function<int(const LigneMessage&, const LigneMessage&)>& comparer);
    // Puts the rows in the given order: row i becomes the one that was at ordre[i] (a
    // permutation of 0..Nombre()-1).
    void Reordonner(const std::vector<std::size_t>& ordre);

private:
    std::vector<LigneMessage> lignes_;
    ObservateurListe* observateur_ = nullptr;
};

// The order of the list. In the by-account mode, by server then user name (bytes,
// case-sensitive); otherwise by the sort column: "De" byte order, "Sujet" with ASCII letters
// folded, "Date" by the date read back from its text (`lireDate`; a text that cannot be read sorts first),
// "Taille" by value. A descending sort swaps the two rows.
int LVMsgCompare(const LigneMessage& l1, const LigneMessage& l2, ColonneTri colonne, bool ascendant, bool parCompte,
                 const std::function<bool(const Texte&, double&)>& lireDate);

// The order a stable sort by LVMsgCompare gives (the positions of the rows, first to last),
// worked out from keys read once per row: a sort of tens of thousands of rows compares each row
// some twenty times, and reading a date or a size back from its text each time was most of it.
std::vector<std::size_t> OrdreLVMsg(const ListeMessages& liste, ColonneTri colonne, bool ascendant, bool parCompte,
                                    const std::function<bool(const Texte&, double&)>& lireDate);

}  // namespace vaskor
