#pragma once

class QWidget;

namespace vaskor {

// Centres a window horizontally on its screen, with one third of the remaining height above it.
void PlacerFenetre(QWidget* fenetre);
// The same with 1/`part` of the remaining height above it (4: a quarter).
void PlacerFenetre(QWidget* fenetre, int part);

}  // namespace vaskor
