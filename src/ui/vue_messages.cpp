#include "ui/vue_messages.h"

#include "core/dates.h"
#include "core/texte_date.h"
#include "ui/texte_qt.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <cmath>

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
    header()->setMinimumSectionSize(20);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionClicked, this, &VueMessages::ColonneCliquee);
    connect(header(), &QHeaderView::sectionResized, this, &VueMessages::SectionRedimensionnee);
    GarderSelectionVisible();
}

std::array<int, 4> VueMessages::Largeurs() const
{
    std::array<int, 4> r{};
    for (int i = 0; i < 4; ++i) r[i] = header()->sectionSize(i);
    return r;
}

void VueMessages::DefinirLargeurs(const std::array<int, 4>& largeurs)
{
    ajustement_ = true;
    for (int i = 0; i < 4; ++i)
        if (largeurs[i] > 0) header()->resizeSection(i, largeurs[i]);
    ajustement_ = false;
    largeurAjustee_ = -1;
    AjusterColonnes();
}

void VueMessages::MontrerTri(int colonne, bool ascendant)
{
    header()->setSortIndicatorShown(colonne >= 0);
    if (colonne >= 0) header()->setSortIndicator(colonne, ascendant ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void VueMessages::AjusterColonnes()
{
    if (!model() || !isVisible()) return;
    const int disponible = viewport()->width() - header()->sectionSize(2) - header()->sectionSize(3);
    const int de = header()->sectionSize(0), sujet = header()->sectionSize(1);
    largeurAjustee_ = viewport()->width();
    // Too narrow a window: the columns keep their widths and the view scrolls.
    constexpr int minimum = 60;
    if (disponible < 2 * minimum || de + sujet == disponible) return;
    int nouveauDe = int(std::lround(double(disponible) * de / std::max(1, de + sujet)));
    nouveauDe = std::clamp(nouveauDe, minimum, disponible - minimum);
    ajustement_ = true;
    header()->resizeSection(0, nouveauDe);
    header()->resizeSection(1, disponible - nouveauDe);
    ajustement_ = false;
}

void VueMessages::SectionRedimensionnee(int section, int, int)
{
    if (ajustement_ || !isVisible()) return;
    emit LargeursModifiees();
    // The user dragged a divider. The column dragged keeps what it was given and the other of
    // "De" and "Sujet" takes the rest; a change of "Date" or "Taille" is shared between the two.
    const int disponible = viewport()->width() - header()->sectionSize(2) - header()->sectionSize(3);
    if (section <= 1) {
        const int autre = 1 - section;
        if (disponible - header()->sectionSize(section) < 60) return;
        ajustement_ = true;
        header()->resizeSection(autre, disponible - header()->sectionSize(section));
        ajustement_ = false;
    } else {
        AjusterColonnes();
    }
}

bool VueMessages::viewportEvent(QEvent* e)
{
    const bool r = QTreeView::viewportEvent(e);
    if (e->type() == QEvent::Resize && viewport()->width() != largeurAjustee_) AjusterColonnes();
    return r;
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
