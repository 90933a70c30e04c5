#pragma once
// The message list's view (LVMsg): one row per message, whole-row selection of one row at
// most, check boxes, selection kept visible without the focus. The columns fill the view's
// width: "De" and "Sujet" share what "Date" and "Taille" leave, in the proportion the user gave
// them.

#include <QTreeView>

#include <array>

namespace vaskor {

class ModeleMessages;

// The width of a "Date" column: 120 pixels, or what a full date and time need in `vue`'s font
// when that is more (a large desktop font would cut the time otherwise).
int LargeurColonneDate(const QWidget* vue);

class VueMessages : public QTreeView {
    Q_OBJECT
public:
    explicit VueMessages(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The selected row, or -1.
    int LigneSelectionnee() const;
    void SelectionnerLigne(int ligne);
    // The focus frame marks the current row and the commands follow the selection: when the list
    // has rows and none is selected, the current row (or the first) becomes the selected one, so
    // that the frame never stands on a row the commands do not see.
    void AccorderCouranteEtSelection();

    // The four column widths (De, Sujet, Date, Taille), as shown.
    std::array<int, 4> Largeurs() const;
    // Widths remembered from an earlier run; 0 keeps a column's default.
    void DefinirLargeurs(const std::array<int, 4>& largeurs);
    // Qt's sort arrow on `colonne` (-1: none), pointing up when ascending.
    void MontrerTri(int colonne, bool ascendant);
    // Fits "De" and "Sujet" to the width left by the two other columns.
    void AjusterColonnes();

signals:
    // A click on a column header (LVMsgColumnClick).
    void ColonneCliquee(int colonne);
    // The selection changed (LVMsgSelectItem); `ligne` is -1 when no row is selected.
    void SelectionChangee(int ligne);
    // The user dragged a column divider.
    void LargeursModifiees();

protected:
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    void GarderSelectionVisible();
    void SectionRedimensionnee(int section, int ancienne, int nouvelle);

    bool ajustement_ = false;  // our own resizing, not the user's
    int largeurAjustee_ = -1;  // the viewport width the columns were last fitted to
};

}  // namespace vaskor
