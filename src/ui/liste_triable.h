#pragma once
// A list of rows with columns, sorted by a click on a heading: a click on the sort column
// reverses the direction, a click on another column makes it the sort column and keeps the
// direction. The cells of the sort column are painted light grey. The dialogs of the filters and
// of the friends use it; each gives the comparison of its columns.

#include <QTreeWidget>

#include <functional>

namespace vaskor {

class ListeTriable : public QTreeWidget {
    Q_OBJECT
public:
    // Returns <0, 0 or >0 for two rows in `colonne`, ascending.
    using Comparaison = std::function<int(const QTreeWidgetItem&, const QTreeWidgetItem&, int colonne)>;

    explicit ListeTriable(QWidget* parent = nullptr);

    void DefinirComparaison(Comparaison c) { comparaison_ = std::move(c); }
    int ColonneTri() const { return colonne_; }
    bool Croissant() const { return croissant_; }
    // Sets the sort state without sorting.
    void DefinirTri(int colonne, bool croissant);
    // A click on a heading.
    void ClicColonne(int colonne);
    // Re-sorts the rows by the current state, the selected row staying selected.
    void Trier();
    // Paints the sort column (again), after rows were added.
    void Peindre();

    QTreeWidgetItem* LigneSelectionnee() const;
    QList<QTreeWidgetItem*> Lignes() const;

private:
    Comparaison comparaison_;
    int colonne_ = 0;
    bool croissant_ = true;
};

// Comparisons shared by the dialogs: byte by byte in code page 1252 (case-sensitive), ASCII
// case ignored, and as numbers.
int ComparerOctets(const QString& a, const QString& b);
int ComparerTextesSansCasse(const QString& a, const QString& b);
int ComparerNombres(const QString& a, const QString& b);

}  // namespace vaskor
