#include "platform/gui/tray.h"

#include "platform/gui/icones.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace vaskor {

IconeTray::IconeTray(QObject* parent) : QObject(parent)
{
    menu_ = std::make_unique<QMenu>();
    afficher_ = menu_->addAction(QStringLiteral("Afficher"));
    menu_->setDefaultAction(afficher_);
    menu_->addSeparator();
    menuControler_ = new QMenu(QStringLiteral("Contrôler"), menu_.get());
    menuControler_->setObjectName(QStringLiteral("Controler2"));
    controler_ = menu_->addMenu(menuControler_);
    menu_->addSeparator();
    quitter_ = menu_->addAction(QStringLiteral("Quitter"));
    quitter_->setObjectName(QStringLiteral("Quitter2"));

    images_ = {Icone(Dessin::Application), Icone(Dessin::Controle), Icone(Dessin::Resultat)};
    icone_ = new QSystemTrayIcon(this);
    icone_->setContextMenu(menu_.get());
    connect(afficher_, &QAction::triggered, this, &IconeTray::AfficherDemande);
    connect(quitter_, &QAction::triggered, this, &IconeTray::QuitterDemande);
    // Left click shows the window; the right button opens the menu (the desktop does that).
    connect(icone_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick) emit AfficherDemande();
    });
    MajIconeTray(0);
}

IconeTray::~IconeTray()
{
    icone_->hide();
    // The menu outlives the icon that refers to it.
    delete icone_;
    icone_ = nullptr;
}

bool IconeTray::Disponible() { return QSystemTrayIcon::isSystemTrayAvailable(); }

QString IconeTray::TexteInfobulle(int etat, const QString& serveur, int nbMessages)
{
    QString t;
    switch (etat) {
    case 1:
        t = QStringLiteral("Vaskor - Contrôle de ") + serveur + QStringLiteral("...");
        break;
    case 2:
        if (nbMessages <= 0) t = QStringLiteral("Vaskor - Aucun message");
        else if (nbMessages == 1) t = QStringLiteral("Vaskor - Un message");
        else t = QStringLiteral("Vaskor - ") + QString::number(nbMessages) + QStringLiteral(" messages");
        break;
    default:
        t = QStringLiteral("Vaskor");
    }
    return Couper(t);
}

QString IconeTray::Couper(QString t)
{
    if (t.size() > kLongueurMaxInfobulle) {
        qsizetype n = kLongueurMaxInfobulle;
        if (t[n - 1].isHighSurrogate()) --n;  // never half a character
        t.truncate(n);
    }
    return t;
}

void IconeTray::MajIconeTray(int etat, const QString& serveur, int nbMessages)
{
    const int e = etat == 1 || etat == 2 ? etat : 0;
    DefinirEtat(e, TexteInfobulle(e, serveur, nbMessages));
}

void IconeTray::DefinirEtat(int etat, const QString& infobulle)
{
    etat_ = etat == 1 || etat == 2 ? etat : 0;
    icone_->setIcon(images_[etat_]);
    icone_->setToolTip(Couper(infobulle));
}

QString IconeTray::Infobulle() const { return icone_->toolTip(); }

void IconeTray::Ajouter() { icone_->show(); }

void IconeTray::Retirer() { icone_->hide(); }

bool IconeTray::Present() const { return icone_->isVisible(); }

void IconeTray::MajMenu(bool comptesExistent, bool connexionOuverte)
{
    controler_->setVisible(comptesExistent);
    controler_->setEnabled(!connexionOuverte);
    // Not controler_->isEnabled(): Qt reports a hidden action as disabled, which would leave no
    // way to quit from the tray without accounts.
    quitter_->setEnabled(!connexionOuverte);
}

}  // namespace vaskor
