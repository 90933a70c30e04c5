#pragma once
// The help window: Vaskor's user manual, opened by "Aide..." (F1).

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace vaskor {

class TFAide : public QDialog {
    Q_OBJECT
public:
    explicit TFAide(QWidget* parent = nullptr);

    // The manual: an introduction, then seven sections whose titles are underlined with hyphens.
    static QString TexteAide();

    QPlainTextEdit* MAide() const { return mAide_; }
    QPushButton* BFermer() const { return bFermer_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    QPlainTextEdit* mAide_;
    QPushButton* bFermer_;
};

}  // namespace vaskor
