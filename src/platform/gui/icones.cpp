#include "platform/gui/icones.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vaskor {

namespace {

// Everything is drawn on a 64 × 64 grid and scaled.
constexpr double kGrille = 64.0;

struct Teinte {
    QColor haut, bas, trait;
};

Teinte TeinteBouclier(Dessin d)
{
    switch (d) {
    case Dessin::Controle: return {QColor(0xf7, 0xb9, 0x45), QColor(0xd9, 0x72, 0x0c), QColor(0x8a, 0x47, 0x05)};
    case Dessin::Resultat: return {QColor(0x5c, 0xcb, 0x78), QColor(0x1f, 0x8a, 0x3e), QColor(0x0f, 0x55, 0x24)};
    default: return {QColor(0x4a, 0x8c, 0xe8), QColor(0x1c, 0x4c, 0xa5), QColor(0x0f, 0x2c, 0x66)};
    }
}

QPainterPath Bouclier()
{
    QPainterPath p;
    p.moveTo(32, 3);
    p.cubicTo(24, 8.5, 15, 10, 7, 10);
    p.lineTo(7, 30);
    p.cubicTo(7, 46, 19, 55.5, 32, 61);
    p.cubicTo(45, 55.5, 57, 46, 57, 30);
    p.lineTo(57, 10);
    p.cubicTo(49, 10, 40, 8.5, 32, 3);
    p.closeSubpath();
    return p;
}

// A closed envelope in `r`; `ouverte` lifts its flap.
void Enveloppe(QPainter& p, const QRectF& r, const QColor& trait, double epaisseur, bool ouverte, const QColor& fond)
{
    p.save();
    QPen pen(trait, epaisseur);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    if (ouverte) {
        QPainterPath rabat;
        rabat.moveTo(r.left(), r.top());
        rabat.lineTo(r.center().x(), r.top() - r.height() * 0.55);
        rabat.lineTo(r.right(), r.top());
        p.setPen(pen);
        p.setBrush(fond.darker(112));
        p.drawPath(rabat);
    }
    p.setPen(pen);
    p.setBrush(fond);
    p.drawRoundedRect(r, r.height() * 0.08, r.height() * 0.08);
    QPainterPath pli;
    pli.moveTo(r.left() + epaisseur * 0.4, r.top() + epaisseur * 0.4);
    pli.lineTo(r.center().x(), r.top() + r.height() * (ouverte ? 0.45 : 0.58));
    pli.lineTo(r.right() - epaisseur * 0.4, r.top() + epaisseur * 0.4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(pli);
    p.restore();
}

void Pastille(QPainter& p, Dessin d, const Teinte& t, double epaisseur)
{
    const QRectF cercle(38, 38, 24, 24);
    p.save();
    p.setPen(QPen(t.trait, epaisseur));
    p.setBrush(Qt::white);
    p.drawEllipse(cercle);
    QPen pen(t.bas, 3.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    if (d == Dessin::Resultat) {
        QPainterPath coche;
        coche.moveTo(44, 50.5);
        coche.lineTo(48.5, 55);
        coche.lineTo(56, 45);
        p.drawPath(coche);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(t.bas);
        for (double x : {44.5, 50.0, 55.5}) p.drawEllipse(QPointF(x, 50), 2.3, 2.3);
    }
    p.restore();
}

}  // namespace

QPixmap DessinerIcone(Dessin dessin, int taille)
{
    QPixmap pm(taille, taille);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double echelle = taille / kGrille;
    p.scale(echelle, echelle);
    // At least one pixel wide whatever the size.
    const double pixel = 1.0 / echelle;
    const double epaisseur = std::max(2.0, pixel);

    if (dessin == Dessin::Message || dessin == Dessin::MessageVu) {
        const bool vu = dessin == Dessin::MessageVu;
        const QRectF r(6, vu ? 24 : 16, 52, vu ? 32 : 34);
        Enveloppe(p, r, QColor(0x6b, 0x5a, 0x2e), std::max(3.0, pixel), vu,
                  vu ? QColor(0xf4, 0xf1, 0xe8) : QColor(0xff, 0xf3, 0xc4));
        return pm;
    }

    const Teinte t = TeinteBouclier(dessin);
    QLinearGradient degrade(0, 3, 0, 61);
    degrade.setColorAt(0, t.haut);
    degrade.setColorAt(1, t.bas);
    p.setPen(QPen(t.trait, epaisseur, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(degrade);
    p.drawPath(Bouclier());
    // A soft light on the shield's left half gives it some relief.
    QPainterPath reflet = Bouclier().intersected(QPainterPath([] {
        QPainterPath r;
        r.addRect(0, 0, 32, 64);
        return r;
    }()));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 38));
    p.drawPath(reflet);

    Enveloppe(p, QRectF(16, 21, 32, 22), t.trait, epaisseur, false, QColor(0xfd, 0xfd, 0xfd));
    if (dessin != Dessin::Application && taille >= 20) Pastille(p, dessin, t, epaisseur);
    return pm;
}

QIcon Icone(Dessin dessin)
{
    QIcon i;
    for (int taille : {16, 20, 22, 24, 32, 48, 64, 128, 256}) i.addPixmap(DessinerIcone(dessin, taille));
    return i;
}

}  // namespace vaskor
