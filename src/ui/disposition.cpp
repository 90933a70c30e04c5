#include "ui/disposition.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vaskor {

QPushButton* DisposerAvecBoutonFermer(QDialog* fenetre, QWidget* contenu, bool accepte)
{
    auto* fermer = new QPushButton(QStringLiteral("&Fermer"), fenetre);
    fermer->setObjectName(QStringLiteral("BFermer"));
    fermer->setDefault(true);
    fermer->setAutoDefault(true);
    if (accepte) QObject::connect(fermer, &QPushButton::clicked, fenetre, &QDialog::accept);
    else QObject::connect(fermer, &QPushButton::clicked, fenetre, &QDialog::reject);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(fermer);
    auto* disposition = new QVBoxLayout(fenetre);
    disposition->addWidget(contenu, 1);
    disposition->addLayout(boutons);
    return fermer;
}

BoutonsOkAnnuler CreerBoutonsOkAnnuler(QDialog* fenetre, bool okAccepte)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), fenetre);
    ok->setObjectName(QStringLiteral("BOK"));
    ok->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), fenetre);
    annuler->setObjectName(QStringLiteral("BAnnuler"));
    annuler->setAutoDefault(false);
    if (okAccepte) QObject::connect(ok, &QPushButton::clicked, fenetre, &QDialog::accept);
    QObject::connect(annuler, &QPushButton::clicked, fenetre, &QDialog::reject);
    return {ok, annuler};
}

}  // namespace vaskor
