#pragma once
// The message list's view (LVMsg): one row per message, whole-row selection of one row at
// most, check boxes, fixed column widths, selection kept visible without the focus.

#include <QTreeView>

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

signals:
    // A click on a column header (LVMsgColumnClick).
    void ColonneCliquee(int colonne);
    // The selection changed (LVMsgSelectItem); `ligne` is -1 when no row is selected.
    void SelectionChangee(int ligne);

protected:
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void GarderSelectionVisible();
};

}  // namespace vaskor
