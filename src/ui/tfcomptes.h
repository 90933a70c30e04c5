#pragma once
// The account list: one row per account, each owning a copy of its record and of its security;
// the program's accounts change only when the list closes with OK.

#include "core/compte.h"
#include "core/securite_compte.h"

#include <QDialog>

class QPushButton;
class QTreeWidgetItem;

namespace vaskor {

class BoitesMessage;
class ListeTriable;
class TFCompte;

class TFComptes : public QDialog {
    Q_OBJECT
public:
    explicit TFComptes(BoitesMessage& boites, QWidget* parent = nullptr);

    // One row per account, in the list's order, then sorted by description, ascending.
    void Charger(const ListeComptes& comptes, const SecuritesComptes& securites);
    // The rows' records in the order shown, and their securities.
    std::vector<TCompte> Comptes() const;
    SecuritesComptes Securites() const;

    void BAjouterClick();
    void BProprietesClick();
    void BSupprimerClick();
    void MajBoutons();

    ListeTriable* LVComptes() const { return lvComptes_; }
    TFCompte* Editeur() const { return editeur_; }
    QPushButton* Bouton(const char* nom) const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QTreeWidgetItem* AjouterLigne(const TCompte& compte, const ChoixSecurite& securite);

    BoitesMessage& boites_;
    ListeTriable* lvComptes_;
    TFCompte* editeur_;
};

}  // namespace vaskor
