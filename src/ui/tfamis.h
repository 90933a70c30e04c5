#pragma once
// The friends dialog: the list of friends (addresses and domains), their editor, and the import
// of the addresses of vCard files. It works on copies; the friends list changes only on OK.

#include "core/ami.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;

namespace vaskor {

class BoitesMessage;
class ListeTriable;

// The friend editor: an address or a domain. OK checks the address and refuses a name that a row
// of the friends dialog already has.
class TFAmi : public QDialog {
    Q_OBJECT
public:
    explicit TFAmi(BoitesMessage& boites, QWidget* parent = nullptr);
    QRadioButton* RBNom() const { return rbNom_; }
    QRadioButton* RBDomaine() const { return rbDomaine_; }
    QLabel* LAjouter() const { return lAjouter_; }
    QLabel* LAdresse() const { return lAdresse_; }
    QLineEdit* EAdresse() const { return eAdresse_; }
    QPushButton* BOK() const { return bOK_; }
    // Whether a row already carries a name (ASCII case ignored).
    void DefinirExiste(std::function<bool(const Texte&)> existe) { existe_ = std::move(existe); }
    void BOKClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void MajEtats();

    BoitesMessage& boites_;
    QLabel* lAjouter_;
    QRadioButton* rbNom_;
    QRadioButton* rbDomaine_;
    QLabel* lAdresse_;
    QLineEdit* eAdresse_;
    QPushButton* bOK_;
    std::function<bool(const Texte&)> existe_;
};

class TFAmis : public QDialog {
    Q_OBJECT
public:
    explicit TFAmis(BoitesMessage& boites, QWidget* parent = nullptr);

    // "Amis...": the rows from `amis`, the dialog shown; on OK the friends list becomes the rows,
    // sorted by name without regard to case, and is written to the friends file of `dossier`
    // (nothing with an empty one; a failed write is reported). Returns whether OK closed it.
    static bool Executer(QWidget* parent, ListeAmis& amis, const fs::path& dossier, BoitesMessage& boites,
                         std::function<QStringList(QWidget*)> choisirFichiers = {});

    void Charger(const ListeAmis& amis);
    // The records of the rows, in the order shown.
    ListeAmis Resultat() const;

    void BAjouterClick();
    void BProprietesClick();
    void BSupprimerClick();
    // "&Importer des contacts...": vCard files chosen in a file dialog.
    void BImporterClick();
    // The import of the files' addresses, as address friends; the refused ones are reported.
    void Importer(const QStringList& fichiers);
    void MajBoutons();
    // The file chooser of the import (tests give their files).
    void DefinirChoixFichiers(std::function<QStringList(QWidget*)> f) { choisirFichiers_ = std::move(f); }

    ListeTriable* LVAmis() const { return lvAmis_; }
    TFAmi* Editeur() const { return editeur_; }
    QPushButton* Bouton(const char* nom) const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QTreeWidgetItem* AjouterLigne(const TAmi& ami);
    bool NomPresent(const Texte& nom) const;

    BoitesMessage& boites_;
    ListeTriable* lvAmis_;
    TFAmi* editeur_;
    std::function<QStringList(QWidget*)> choisirFichiers_;
};

// The texts of the import's report (code page 1252).
Texte MessageAdressesNonImportees(const std::vector<Texte>& adresses);

}  // namespace vaskor
