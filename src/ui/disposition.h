#pragma once

class QDialog;
class QPushButton;
class QWidget;

namespace vaskor {

// Lays out a reading window: `contenu` over the whole window and a "&Fermer" button (objet name
// "BFermer") at the bottom right, default and cancelling button, so Enter and Esc both close it.
// `accepte` closes with accept() rather than reject().
QPushButton* DisposerAvecBoutonFermer(QDialog* fenetre, QWidget* contenu, bool accepte = false);

}  // namespace vaskor
