#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vaskor {

void PlacerFenetre(QWidget* fenetre) { PlacerFenetre(fenetre, 3); }

void PlacerFenetre(QWidget* fenetre, int part)
{
    QScreen* ecran = fenetre->screen() ? fenetre->screen() : QGuiApplication::primaryScreen();
    if (!ecran) return;
    const QRect zone = ecran->availableGeometry();
    const QSize taille = fenetre->frameGeometry().size().isValid() ? fenetre->frameGeometry().size() : fenetre->size();
    const int x = zone.x() + (zone.width() - taille.width()) / 2;
    const int y = zone.y() + (zone.height() - taille.height()) / (part > 0 ? part : 3);
    fenetre->move(x, y > zone.y() ? y : zone.y());
}

}  // namespace vaskor
