#include "ui/tfmain.h"

#include "ui/placement.h"

namespace vaskor {

TFMain::TFMain(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Vaskor"));
    setMinimumSize(500, 250);
    resize(640, 360);
}

}  // namespace vaskor
