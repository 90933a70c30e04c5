#include "ui/vue_messages.h"

#include "core/dates.h"
#include "core/texte_date.h"
#include "ui/texte_qt.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>

namespace vaskor {

int LargeurColonneDate(const QWidget* vue)
{
    const Texte exemple = TexteDate(EncoderDate(2000, 12, 28) + EncoderHeure(20, 58, 58));
    const int texte = vue->fontMetrics().horizontalAdvance(VersQString(exemple)) +
                      2 * vue->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    return std::max(120, texte);
}

VueMessages::VueMessages(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("LVMsg"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Every row has the same height: the view then lays out tens of thousands of rows at once.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionClicked, this, &VueMessages::ColonneCliquee);
    GarderSelectionVisible();
}

void VueMessages::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    // 120 pixels hold a date and a time in a small 96-dpi font; larger desktop fonts would cut
    // the time, so the column widens to what a full date text needs.
    const int largeurs[] = {200, 250, LargeurColonneDate(this), 60};
    for (int i = 0; i < 4; ++i) header()->resizeSection(i, largeurs[i]);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit SelectionChangee(LigneSelectionnee()); });
    // A reset (clearing, sorting) drops the selection without a selectionChanged signal.
    connect(model, &QAbstractItemModel::modelReset, this, [this] { emit SelectionChangee(LigneSelectionnee()); });
}

int VueMessages::LigneSelectionnee() const
{
    if (!selectionModel()) return -1;
    const QModelIndexList lignes = selectionModel()->selectedRows();
    return lignes.isEmpty() ? -1 : lignes.first().row();
}

void VueMessages::SelectionnerLigne(int ligne)
{
    if (!model() || !selectionModel()) return;
    if (ligne < 0 || ligne >= model()->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex i = model()->index(ligne, 0);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

void VueMessages::AccorderCouranteEtSelection()
{
    if (!model() || !selectionModel() || model()->rowCount() == 0 || LigneSelectionnee() >= 0) return;
    SelectionnerLigne(currentIndex().isValid() ? currentIndex().row() : 0);
}

void VueMessages::focusInEvent(QFocusEvent* e)
{
    // Qt makes the first row current (and draws its focus frame) without selecting it when the
    // list takes the focus from the keyboard.
    QTreeView::focusInEvent(e);
    if (currentIndex().isValid()) AccorderCouranteEtSelection();
}

void VueMessages::changeEvent(QEvent* e)
{
    QTreeView::changeEvent(e);
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange) GarderSelectionVisible();
}

void VueMessages::GarderSelectionVisible()
{
    QPalette p = palette();
    const QBrush surlignage = p.brush(QPalette::Active, QPalette::Highlight);
    const QBrush texte = p.brush(QPalette::Active, QPalette::HighlightedText);
    if (p.brush(QPalette::Inactive, QPalette::Highlight) == surlignage &&
        p.brush(QPalette::Inactive, QPalette::HighlightedText) == texte)
        return;
    p.setBrush(QPalette::Inactive, QPalette::Highlight, surlignage);
    p.setBrush(QPalette::Inactive, QPalette::HighlightedText, texte);
    setPalette(p);
}

}  // namespace vaskor
