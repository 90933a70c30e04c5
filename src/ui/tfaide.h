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
    // With `dossierDonnees`, the options section ends by naming the folder of the data files.
    static QString TexteAide(const QString& dossierDonnees = QString());
    // Shows the running program's data folder in the manual.
    void DefinirDossierDonnees(const QString& dossier);

    QPlainTextEdit* MAide() const { return mAide_; }
    QPushButton* BFermer() const { return bFermer_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    QPlainTextEdit* mAide_;
    QPushButton* bFermer_;
};

}  // namespace vaskor
