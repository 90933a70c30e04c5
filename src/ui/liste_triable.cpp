#include "ui/liste_triable.h"

#include "ui/texte_qt.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>

#include <algorithm>

namespace vaskor {

ListeTriable::ListeTriable(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ListeTriable::ClicColonne);
}

void ListeTriable::DefinirTri(int colonne, bool croissant)
{
    colonne_ = colonne;
    croissant_ = croissant;
}

void ListeTriable::ClicColonne(int colonne)
{
    if (colonne == colonne_) croissant_ = !croissant_;
    else colonne_ = colonne;
    Trier();
}

void ListeTriable::Trier()
{
    QTreeWidgetItem* selection = LigneSelectionnee();
    QList<QTreeWidgetItem*> lignes;
    while (topLevelItemCount() > 0) lignes.append(takeTopLevelItem(0));
    if (comparaison_) {
        std::stable_sort(lignes.begin(), lignes.end(), [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
            const int c = comparaison_(*a, *b, colonne_);
            return croissant_ ? c < 0 : c > 0;
        });
    }
    addTopLevelItems(lignes);
    Peindre();
    if (selection) setCurrentItem(selection);
}

void ListeTriable::Peindre()
{
    const QBrush gris(QColor(242, 242, 242));
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* l = topLevelItem(i);
        for (int c = 0; c < columnCount(); ++c) l->setBackground(c, c == colonne_ ? gris : QBrush());
    }
}

QTreeWidgetItem* ListeTriable::LigneSelectionnee() const
{
    const QList<QTreeWidgetItem*> s = selectedItems();
    return s.isEmpty() ? nullptr : s.front();
}

QList<QTreeWidgetItem*> ListeTriable::Lignes() const
{
    QList<QTreeWidgetItem*> l;
    for (int i = 0; i < topLevelItemCount(); ++i) l.append(topLevelItem(i));
    return l;
}

int ComparerOctets(const QString& a, const QString& b)
{
    const Texte x = DepuisQString(a), y = DepuisQString(b);
    const std::size_t m = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < m; ++i) {
        const auto cx = static_cast<unsigned char>(x[i]), cy = static_cast<unsigned char>(y[i]);
        if (cx != cy) return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

int ComparerTextesSansCasse(const QString& a, const QString& b)
{
    return ComparerSansCasse(DepuisQString(a), DepuisQString(b));
}

int ComparerNombres(const QString& a, const QString& b)
{
    const long long x = a.toLongLong(), y = b.toLongLong();
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace vaskor
