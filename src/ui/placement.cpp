#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vaskor {

void PlacerFenetre(QWidget* fenetre)
{
    QScreen* ecran = fenetre->screen() ? fenetre->screen() : QGuiApplication::primaryScreen();
    if (!ecran) return;
    const QRect zone = ecran->availableGeometry();
    const QSize taille = fenetre->frameGeometry().size().isValid() ? fenetre->frameGeometry().size() : fenetre->size();
    const int x = zone.x() + (zone.width() - taille.width()) / 2;
    const int y = zone.y() + (zone.height() - taille.height()) / 3;
    fenetre->move(x, y > zone.y() ? y : zone.y());
}

}  // namespace vaskor
