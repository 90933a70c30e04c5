#pragma once
// The about box: the product name over a gradient band, the version, and the no-warranty note.
// A click anywhere on it, Enter, Esc or Space closes it.

#include <QDialog>

class QLabel;

namespace vaskor {

class TOrvelShape2;

// "Version " and the version the build gives.
QString TexteVersion();

class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);
    // APropos1Click: the version set, the box shown modally.
    static void Executer(QWidget* parent);

    QLabel* LVersionApp() const { return lVersionApp_; }
    TOrvelShape2* Bande() const { return bande_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    TOrvelShape2* bande_;
    QLabel* lVersionApp_;
};

}  // namespace vaskor
