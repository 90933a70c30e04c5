#pragma once

class QDialog;
class QPushButton;
class QWidget;

namespace vaskor {

// Lays out a reading window: `contenu` over the whole window and a "&Fermer" button (objet name
// "BFermer") at the bottom right, default and cancelling button, so Enter and Esc both close it.
// `accepte` closes with accept() rather than reject().
QPushButton* DisposerAvecBoutonFermer(QDialog* fenetre, QWidget* contenu, bool accepte = false);

// The "OK" (object name "BOK", default button) and "Annuler" ("BAnnuler", rejects) pair of an
// editing dialog, not yet laid out. OK accepts at once unless the dialog checks first
// (`okAccepte` false: the caller connects it).
struct BoutonsOkAnnuler {
    QPushButton* ok;
    QPushButton* annuler;
};
BoutonsOkAnnuler CreerBoutonsOkAnnuler(QDialog* fenetre, bool okAccepte = true);

}  // namespace vaskor
