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

}  // namespace vaskor
