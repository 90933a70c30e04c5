#pragma once
// The rows of the journal window (LVMailsSupp) as a table model, with their sort by column.
// A row is prepared once, off the window's thread: its display texts and the values its "Date"
// and "Taille" cells sort by, so that a sort never reads a date again.

#include "core/journal.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <vector>

namespace vaskor {

struct RangJournalAffiche {
    RangJournal rang;          // code page 1252, as cut from the line
    std::vector<QString> textes;  // caption, then the sub-items, for display
    bool dateLue = false;      // the "Date" sub-item read as a date-time
    double date = 0;
    bool tailleLue = false;    // the "Taille" sub-item read as a whole number
    std::int64_t taille = 0;
};

// Cuts a journal line and works out its display texts and sort values.
RangJournalAffiche PreparerRangJournal(std::string_view ligne);

// Ascending comparison of two rows on a column: below zero when `a` comes first.
//  0 "A": the captions byte by byte, letter case counting;
//  1 "De", 2 "Sujet", 5 "Raison": ASCII letters folded;
//  3 "Date": the date-time values; 4 "Taille": the numbers.
// A row that lacks the column's field comes before the rows that have it; a date or size that
// does not read as one (a file edited by hand, or written under other regional settings) comes
// before the readable ones, and such texts compare with letters folded. So the order is always
// a true order, whatever the file holds.
int ComparerRangsJournal(const RangJournalAffiche& a, const RangJournalAffiche& b, int colonne);

class ModeleJournal : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int NombreColonnes = 6;
    // Widths of "A", "De", "Sujet", "Date", "Taille", "Raison".
    static constexpr int Largeurs[NombreColonnes] = {125, 150, 150, 120, 50, 200};

    explicit ModeleJournal(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Vider();
    // Appends rows at the end, in their order, as one insertion.
    void Ajouter(std::vector<RangJournalAffiche>::iterator debut, std::vector<RangJournalAffiche>::iterator fin);
    const RangJournalAffiche& Rang(int ligne) const { return rangs_.at(std::size_t(ligne)); }

    int ColonneTri() const { return colonneTri_; }
    bool Ascendant() const { return ascendant_; }
    // Sets the sort state and sorts.
    void DefinirTri(int colonne, bool ascendant);
    // A click on a column header: the sort column flips its direction; another column becomes
    // the sort column in the current direction. Then sorts.
    void ClicColonne(int colonne);
    // Sorts by the current state; rows that compare equal keep their order (the file's order,
    // oldest first, on opening). The selection follows its row.
    void Trier();

private:
    std::vector<RangJournalAffiche> rangs_;
    int colonneTri_ = 0;
    bool ascendant_ = true;
};

}  // namespace vaskor
