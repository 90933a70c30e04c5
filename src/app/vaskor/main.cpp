#include "ui/placement.h"
#include "ui/tfmain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vaskor::TFMain fenetre;
    vaskor::PlacerFenetre(&fenetre);
    fenetre.show();
    return app.exec();
}
