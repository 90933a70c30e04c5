#include "ui/menus_controle.h"

#include "ui/texte_qt.h"

#include <QAction>
#include <QMenu>

namespace vaskor {

QString CaptionMenu(const QString& texte)
{
    QString t = texte;
    t.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return t;
}

MenusControle::MenusControle(QWidget* parent)
    : QObject(parent),
      pmComptes_(new QMenu(parent)),
      // No accelerator on "C": Alt+C belongs to the tool button "&Contrôler...".
      controler1_(new QMenu(QString::fromUtf8("Cont&rôler"), parent)),
      controler2_(new QMenu(QString::fromUtf8("Contrôler"), parent))
{
    pmComptes_->setObjectName(QStringLiteral("PMComptes"));
    controler1_->setObjectName(QStringLiteral("Controler1"));
    controler1_->menuAction()->setObjectName(QStringLiteral("Controler1"));
    controler1_->menuAction()->setStatusTip(QString::fromUtf8("Contrôler un compte ou tous les comptes"));
    controler2_->setObjectName(QStringLiteral("Controler2"));
    controler2_->menuAction()->setObjectName(QStringLiteral("Controler2"));
}

void MenusControle::DefinirControler2(QMenu* menu)
{
    if (!menu || menu == controler2_) return;
    controler2_->clear();
    if (controler2_->parent() == parent()) delete controler2_;
    controler2_ = menu;
    controler2_->setObjectName(QStringLiteral("Controler2"));
    controler2_->menuAction()->setObjectName(QStringLiteral("Controler2"));
}

void MenusControle::Vider()
{
    // The entries belong to their menu, which deletes them.
    for (QMenu* m : {pmComptes_, controler1_, controler2_}) m->clear();
}

void MenusControle::Construire(const ListeComptes& comptes)
{
    AjouterEntrees(pmComptes_, comptes, false);
    AjouterEntrees(controler1_, comptes, false);
    AjouterEntrees(controler2_, comptes, true);
}

void MenusControle::AjouterEntrees(QMenu* menu, const ListeComptes& comptes, bool tray)
{
    for (std::size_t i = 0; i < comptes.Nombre(); ++i) {
        const QString description = VersQString(comptes[i].Description.Lire());
        auto* a = new QAction(CaptionMenu(description), menu);
        a->setObjectName(QStringLiteral("Compte%1").arg(i));
        a->setData(static_cast<int>(i));
        if (!tray) a->setStatusTip(QString::fromUtf8("Contrôler ") + description);
        const int position = static_cast<int>(i);
        connect(a, &QAction::triggered, this, [this, position, tray] { emit ControleCompte(position, tray); });
        menu->addAction(a);
    }
    if (comptes.Nombre() > 1) {
        menu->addSeparator();
        auto* tous = new QAction(QStringLiteral("Tous les comptes"), menu);
        tous->setObjectName(QStringLiteral("TousLesComptes"));
        tous->setStatusTip(QString::fromUtf8("Contrôler tous les comptes"));
        if (!tray) {
            tous->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
            // Both the drop-down and the main menu show the key; only the main menu's item
            // answers it, or the key would be ambiguous and do nothing.
            if (menu == pmComptes_) tous->setShortcutContext(Qt::WidgetShortcut);
        }
        connect(tous, &QAction::triggered, this, &MenusControle::ControleTous);
        menu->addAction(tous);
    }
}

}  // namespace vaskor
