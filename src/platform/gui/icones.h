#pragma once
// Vaskor's pictures, drawn in code so that they are sharp at every size the desktop asks for:
// a shield guarding an envelope.

#include <QIcon>
#include <QPixmap>

namespace vaskor {

enum class Dessin {
    Application,  // the program icon; also the tray picture when idle (state 0)
    Controle,     // the tray while a mailbox is checked (state 1)
    Resultat,     // the tray after a check (state 2)
    Message,      // a row of the message list
    MessageVu,    // a row whose message was previewed
};

QPixmap DessinerIcone(Dessin dessin, int taille);

// An icon with the picture drawn at the usual sizes (16 to 256 pixels).
QIcon Icone(Dessin dessin);

inline QIcon IconeApplication() { return Icone(Dessin::Application); }

}  // namespace vaskor
