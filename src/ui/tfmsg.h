#pragma once
// The preview window: the fields, the text and the attachment names of the message the
// preview fetched, shown as plain text only (nothing is rendered, loaded or run), with its
// actions: print, answer through the desktop's mail program, save the attachments.

#include "engine/apercu.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QUrl;
class QWidget;

namespace vaskor {

class BoitesMessage;
class TCipherManager;

class TFMsg : public QDialog {
    Q_OBJECT
public:
    TFMsg(BoitesMessage& boites, TCipherManager& chiffre, QWidget* parent = nullptr);

    // Fills the window. `message` holds the attachments until the window closes; the attachment
    // panel shows only with `allowSavePJ`; the reply button only with `autoriserReponse`.
    void Charger(const ContenuApercu& contenu, const TIdMessage* message, bool allowSavePJ, bool autoriserReponse);

    // The printed lines, as the user would read them on paper.
    QStringList LignesImprimees() const;
    // Prints on `imprimante`; false (and the error box) when the output failed.
    bool Imprimer(QPrinter& imprimante);
    // "mailto:" + sender + "?subject=Re : " + subject.
    QString UriReponse() const;

    void BImprimerClick();
    void BRepondreClick();
    void BEnregistrerPJClick();
    void CBWordWrapClick();

    // The platform's dialogs and the URL opening, replaced by the tests. `ChoisirImprimante`
    // configures the printer and returns false when cancelled; `ChoisirFichier` returns the
    // chosen path or an empty one.
    std::function<bool(QPrinter&)> ChoisirImprimante;
    std::function<QString(const QString& titre, const QString& proposition)> ChoisirFichier;
    std::function<bool(const QUrl&)> OuvrirUrl;

    QLineEdit* EA() const { return eA_; }
    QLineEdit* EDe() const { return eDe_; }
    QLineEdit* ECc() const { return eCc_; }
    QLineEdit* EObjet() const { return eObjet_; }
    QLineEdit* EPJ() const { return ePJ_; }
    QWidget* PPJ() const { return pPJ_; }
    QPlainTextEdit* MMsg() const { return mMsg_; }
    QPushButton* BEnregistrerPJ() const { return bEnregistrerPJ_; }
    QPushButton* BImprimer() const { return bImprimer_; }
    QPushButton* BRepondre() const { return bRepondre_; }
    QCheckBox* CBWordWrap() const { return cbWordWrap_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    BoitesMessage& boites_;
    TCipherManager& chiffre_;
    ContenuApercu contenu_;
    const TIdMessage* message_ = nullptr;
    QString dernierDossier_;

    QLineEdit* eA_;
    QLineEdit* eDe_;
    QLineEdit* eCc_;
    QLineEdit* eObjet_;
    QWidget* pPJ_;
    QLineEdit* ePJ_;
    QPushButton* bEnregistrerPJ_;
    QPlainTextEdit* mMsg_;
    QPushButton* bImprimer_;
    QCheckBox* cbWordWrap_;
    QPushButton* bRepondre_;
    QPushButton* bFermer_;
};

}  // namespace vaskor
