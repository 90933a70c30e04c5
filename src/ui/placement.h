#pragma once

class QWidget;

namespace vaskor {

// Centres a window horizontally on its screen, with one third of the remaining height above it.
void PlacerFenetre(QWidget* fenetre);

}  // namespace vaskor
