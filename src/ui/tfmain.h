#pragma once

#include <QMainWindow>

namespace vaskor {

// The main window.
class TFMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
};

}  // namespace vaskor
