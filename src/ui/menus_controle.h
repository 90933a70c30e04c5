#pragma once
// The three check menus, one entry per account in account-list order: the drop-down of the
// tool button BCheck (PMComptes), the main menu's "Contrôler" (Controler1) and the tray menu's
// "Contrôler" (Controler2). With more than one account each also gets "Tous les comptes".

#include "core/compte.h"

#include <QObject>

class QAction;
class QMenu;
class QWidget;

namespace vaskor {

class MenusControle : public QObject {
    Q_OBJECT
public:
    explicit MenusControle(QWidget* parent);

    QMenu* PMComptes() const { return pmComptes_; }
    QMenu* Controler1() const { return controler1_; }
    QMenu* Controler2() const { return controler2_; }

    // Uses `menu` (the tray icon's) as Controler2 from now on; its entries are rebuilt by the
    // next Construire.
    void DefinirControler2(QMenu* menu);
    // Empties the three menus.
    void Vider();
    // Adds the entries of `comptes` (already in account-list order) to the three menus.
    void Construire(const ListeComptes& comptes);

signals:
    // An account entry was chosen; `depuisTray` when it was the tray menu's.
    void ControleCompte(int position, bool depuisTray);
    // "Tous les comptes" was chosen.
    void ControleTous();

private:
    void AjouterEntrees(QMenu* menu, const ListeComptes& comptes, bool tray);

    QMenu* pmComptes_;
    QMenu* controler1_;
    QMenu* controler2_;
};

// A text shown as a menu caption as it is: a "&" is not an accelerator.
QString CaptionMenu(const QString& texte);

}  // namespace vaskor
