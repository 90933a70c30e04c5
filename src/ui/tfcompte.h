#pragma once
// The account editor: description, user name, server, password, port, and how the account
// reaches its server. "Tester la connexion" opens a session with the fields as typed (TLS,
// login, STAT, QUIT) and never deletes anything.

#include "core/compte.h"
#include "core/securite_compte.h"
#include "mail/transport.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vaskor {

class BoitesMessage;

class TFCompte : public QDialog {
    Q_OBJECT
public:
    explicit TFCompte(BoitesMessage& boites, QWidget* parent = nullptr);

    // "&Ajouter...": every field empty, SSL/TLS on port 995.
    void Vider();
    // "&Propriétés...": the fields from the record and its security.
    void Charger(const TCompte& compte, const ChoixSecurite& securite);
    // What OK stores into a record: texts cut to 50 characters, the port as a number (110 when
    // it is not one or above 65535), ControleAuto = 1 when the password is not empty. The other
    // bytes of the record are kept.
    void Appliquer(TCompte& compte) const;
    // Empties the password field, wiping the text it held.
    void OublierMotDePasse();
    // The security chosen, with the certificate trusted for the account (dropped when the server
    // changed since Charger).
    ChoixSecurite Securite() const;

    // OK: the checks in order; the first failure is told and takes the focus.
    void BOKClick();
    void BTesterClick();
    void CBSecuriteChange(int index);

    // Makes the byte stream of the test's session (the TLS one by default).
    FabriqueTransport Fabrique;

    QLineEdit* EDescription() const { return eDescription_; }
    QLineEdit* ENomUser() const { return eNomUser_; }
    QLineEdit* EServeurPOP() const { return eServeurPOP_; }
    QLineEdit* EPassword() const { return ePassword_; }
    QLineEdit* EPortPOP() const { return ePortPOP_; }
    QComboBox* CBSecurite() const { return cbSecurite_; }
    QLabel* LMotDePasse() const { return lMotDePasse_; }
    QLabel* LTest() const { return lTest_; }
    QPushButton* BTester() const { return bTester_; }
    QPushButton* BOK() const { return bOK_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void MajOK();
    ModeSecurite ModeChoisi() const;

    BoitesMessage& boites_;
    QLineEdit* eDescription_;
    QLineEdit* eNomUser_;
    QLineEdit* eServeurPOP_;
    QLineEdit* ePassword_;
    QLineEdit* ePortPOP_;
    QComboBox* cbSecurite_;
    QLabel* lMotDePasse_;
    QLabel* lTest_;
    QPushButton* bTester_;
    QPushButton* bOK_;
    QPushButton* bAnnuler_;
    int modePrecedent_ = 0;
    Texte serveurCharge_;
    std::string empreinte_;
    bool testEnCours_ = false;
};

// "Le mot de passe dépasse 37 caractères : il ne pourrait pas être relu du fichier de comptes."
Texte MessageMotDePasseTropLong();
// A port field's text as the editor stores it: 110 when it is not a number or above 65535.
std::int32_t PortSaisi(const Texte& texte);

}  // namespace vaskor
