#include "ui/tfabout.h"

#include "ui/forme_degrade.h"
#include "ui/placement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>

#ifndef VASKOR_VERSION
#define VASKOR_VERSION "0"
#endif

namespace vaskor {

QString TexteVersion() { return QStringLiteral("Version ") + QString::fromLatin1(VASKOR_VERSION); }

TFAbout::TFAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFAbout"));
    setWindowTitle(QStringLiteral("A propos"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(329, 205);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setAutoFillBackground(true);

    bande_ = new TOrvelShape2(this);
    bande_->setObjectName(QStringLiteral("OrvelShape22"));
    bande_->setGeometry(11, 11, 307, 31);
    bande_->SetColorBegin(QColor(222, 227, 239));
    bande_->SetColorEnd(Qt::white);
    bande_->SetNumberOfColors(255);
    bande_->SetDirection(TOrvelShape2::dHorizontal);
    bande_->SetBorderColor(QColor(222, 227, 239));
    bande_->SetBorderWidth(1);

    QFont nom(QStringLiteral("Verdana"));
    nom.setPixelSize(19);
    nom.setBold(true);
    auto* ombre = new QLabel(QStringLiteral("Vaskor"), this);
    ombre->setFont(nom);
    ombre->setStyleSheet(QStringLiteral("color: rgb(192,192,192); background: transparent;"));
    ombre->move(121, 15);
    ombre->adjustSize();
    auto* produit = new QLabel(QStringLiteral("Vaskor"), this);
    produit->setObjectName(QStringLiteral("LProduit"));
    produit->setFont(nom);
    produit->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    produit->move(119, 13);
    produit->adjustSize();

    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(9);
    lVersionApp_ = new QLabel(this);
    lVersionApp_->setObjectName(QStringLiteral("LVersionApp"));
    lVersionApp_->setFont(tahoma);
    lVersionApp_->setGeometry(121, 62, 190, 20);

    QFont petit(QStringLiteral("Tahoma"));
    petit.setPointSize(7);
    auto* note = new QLabel(QString::fromUtf8("Aucune garantie ne couvre les éventuels dommages pouvant résulter de "
                                              "l'utilisation de celui-ci. Utilisez-le à vos risques et périls."),
                            this);
    note->setObjectName(QStringLiteral("LGarantie"));
    note->setFont(petit);
    note->setWordWrap(true);
    note->setGeometry(20, 128, 289, 60);
    note->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    for (QWidget* w : {static_cast<QWidget*>(ombre), static_cast<QWidget*>(produit),
                       static_cast<QWidget*>(lVersionApp_), static_cast<QWidget*>(note)})
        w->installEventFilter(this);
    connect(bande_, &TOrvelShape2::Clic, this, &QDialog::accept);
}

void TFAbout::Executer(QWidget* parent)
{
    TFAbout boite(parent);
    boite.LVersionApp()->setText(TexteVersion());
    boite.exec();
}

void TFAbout::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(5, 5, -6, -6));
    const QIcon icone = QApplication::windowIcon();
    if (!icone.isNull()) icone.paint(&p, QRect(25, 58, 32, 32));
}

void TFAbout::mousePressEvent(QMouseEvent*) { accept(); }

void TFAbout::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

bool TFAbout::eventFilter(QObject* objet, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(objet, e);
}

void TFAbout::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) PlacerFenetre(this, 4);
}

}  // namespace vaskor
