#pragma once
// The filter manager: three tabs (sender, subject and header filters), each a sortable list whose
// rows own copies of the records; the filter list itself changes only on OK. It also makes a
// filter straight from a listed message, through the chooser and the matching editor.

#include "core/config.h"
#include "core/filtre.h"
#include "engine/liste_messages.h"

#include <QDialog>

#include <array>

class QPushButton;
class QTabWidget;
class QTreeWidgetItem;

namespace vaskor {

class BoitesMessage;
class EditeurFiltre;
class ListeTriable;
class TFFiltreEntete;
class TFFiltreExp;
class TFFiltreSujet;
class TFNouveauFiltre;

// A row's texts for a record, by kind, in column order.
QStringList CellulesFiltre(const TFiltre& f);

class TFFiltres : public QDialog {
    Q_OBJECT
public:
    // `config` gives the default action of new filters and the header names, which the header
    // editor extends.
    TFFiltres(TConfig& config, BoitesMessage& boites, QWidget* parent = nullptr);
    ~TFFiltres() override;

    // "Gestion des filtres...": fills the lists from `filtres`, shows the manager; on OK replaces
    // `filtres` by the rows (sender, subject, then header filters, each in the order shown) and
    // writes the filters file and the settings file of `dossier` (nothing with an empty one).
    // A failed write is reported; the list stays replaced. Returns whether OK closed it.
    // With `base` (the list as last read from or written to the file), the file is written under
    // the folder's lock with the counts another program added since then kept, and `base`
    // follows.
    bool Executer(ListeFiltres& filtres, const fs::path& dossier, ListeFiltres* base = nullptr);
    // The settings as last read or written: the save of the header names then writes only the
    // settings changed here (see EnregistrerConfig), and this follows.
    void DefinirConfigLue(TConfig* lue) { configLue_ = lue; }

    // The pieces of Executer.
    void Charger(const ListeFiltres& filtres);
    ListeFiltres Resultat() const;

    // A filter from a message's row: the chooser, then the editor prefilled from the row; on OK
    // the record is appended to `filtres` and the filters file written at once. Returns whether
    // a filter was added.
    bool NouveauDepuisMessage(const LigneMessage& ligne, ListeFiltres& filtres, const fs::path& dossier,
                              ListeFiltres* base = nullptr);

    // The buttons, acting on the current tab's list.
    void BAjouterClick();
    void BProprietesClick();
    void BSupprimerClick();
    void BRAZCptClick();
    void BActiverClick();
    void BDesactiverClick();
    void BInverserClick();
    void BClearFiltresObsoClick();
    // The enabling of the buttons for the current list.
    void MajBoutons();

    QTabWidget* Onglets() const { return onglets_; }
    ListeTriable* Liste(int genre) const { return listes_[std::size_t(genre)]; }
    ListeTriable* ListeCourante() const;
    TFFiltreExp* EditeurExp() const { return filtreExp_; }
    TFFiltreSujet* EditeurSujet() const { return filtreSujet_; }
    TFFiltreEntete* EditeurEntete() const { return filtreEntete_; }
    TFNouveauFiltre* Choix() const { return nouveauFiltre_; }
    QPushButton* Bouton(const char* nom) const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    EditeurFiltre* Editeur(int genre) const;
    // Adds with the editor of the current tab, without resetting it when `reinitialiser` is
    // false; returns the new record, or nothing on Annuler.
    bool Ajouter(int genre, bool reinitialiser, TFiltre& nouveau);
    QTreeWidgetItem* AjouterLigne(int genre, const TFiltre& f);
    void MajObsoletes();
    void Vider();
    // Writes the filters file and reports a failure.
    void Sauver(ListeFiltres& filtres, const fs::path& dossier, ListeFiltres* base, QWidget* parent);

    TConfig& config_;
    TConfig* configLue_ = nullptr;
    BoitesMessage& boites_;
    QTabWidget* onglets_;
    std::array<ListeTriable*, 3> listes_{};
    TFFiltreExp* filtreExp_;
    TFFiltreSujet* filtreSujet_;
    TFFiltreEntete* filtreEntete_;
    TFNouveauFiltre* nouveauFiltre_;
};

// The confirmations of the manager (code page 1252).
Texte QuestionSupprimerFiltre(int genre);
Texte QuestionRAZCompteurs(int genre);

}  // namespace vaskor
