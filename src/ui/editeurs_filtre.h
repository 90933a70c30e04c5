#pragma once
// The three filter editors (sender, subject, header) and the chooser that asks which part of a
// message a new filter looks at. The editors hold no record: the filter manager fills their
// controls from one and reads them back into one. They are made once and reused, keeping what
// their controls held between two uses.

#include "core/filtre.h"
#include "core/texte.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace vaskor {

// Blank: empty once the blanks and control characters at both ends are removed.
bool ValeurVide(const QString& valeur);
// "OK" of the sender editor, from its two conditions and values.
bool OkFiltreExp(int conditionUser, const QString& valeurUser, int conditionDomaine, const QString& valeurDomaine);
// "OK" of the subject editor.
bool OkFiltreSujet(int condition, const QString& valeur);
// "OK" of the header editor.
bool OkFiltreEntete(int condition, const QString& nom, const QString& valeur);

// What the three editors share: the case box, the action list, OK and Annuler.
class EditeurFiltre : public QDialog {
    Q_OBJECT
public:
    QCheckBox* CBCasse() const { return cbCasse_; }
    QComboBox* CBAction() const { return cbAction_; }
    QPushButton* BOK() const { return bOK_; }
    QPushButton* BAnnuler() const { return bAnnuler_; }

    // Every condition back to 0, every value empty, the case box unticked, the action given.
    virtual void Reinitialiser(int action) = 0;
    // The controls from a record, and a record's fields from the controls (the other fields of
    // `f` are left as they are). Texts longer than 50 characters are cut.
    virtual void Charger(const TFiltre& f) = 0;
    virtual void Lire(TFiltre& f) const = 0;
    // The rules that enable OK and the other controls.
    virtual void MajEtats() = 0;

protected:
    explicit EditeurFiltre(QWidget* parent);
    // Builds "Sensible à la casse", "Alors..." with the action list, and the buttons.
    void CreerBas(QVBoxLayout* disposition);
    static QComboBox* ListeConditions(QWidget* parent, const char* nom);
    static QLineEdit* Valeur(QWidget* parent, const char* nom);
    void showEvent(QShowEvent* e) override;
    virtual QWidget* PremierFocus() const = 0;

    QCheckBox* cbCasse_ = nullptr;
    QComboBox* cbAction_ = nullptr;
    QLabel* lAlors_ = nullptr;
    QPushButton* bOK_ = nullptr;
    QPushButton* bAnnuler_ = nullptr;
};

class TFFiltreExp : public EditeurFiltre {
    Q_OBJECT
public:
    explicit TFFiltreExp(QWidget* parent = nullptr);
    QComboBox* CBConditionUser() const { return cbConditionUser_; }
    QLineEdit* EValeurUser() const { return eValeurUser_; }
    QComboBox* CBConditionDomaine() const { return cbConditionDomaine_; }
    QLineEdit* EValeurDomaine() const { return eValeurDomaine_; }

    void Reinitialiser(int action) override;
    void Charger(const TFiltre& f) override;
    void Lire(TFiltre& f) const override;
    void MajEtats() override;

protected:
    QWidget* PremierFocus() const override;

private:
    QComboBox* cbConditionUser_;
    QLineEdit* eValeurUser_;
    QComboBox* cbConditionDomaine_;
    QLineEdit* eValeurDomaine_;
};

class TFFiltreSujet : public EditeurFiltre {
    Q_OBJECT
public:
    explicit TFFiltreSujet(QWidget* parent = nullptr);
    QComboBox* CBConditionSujet() const { return cbConditionSujet_; }
    QLineEdit* EValeurSujet() const { return eValeurSujet_; }

    void Reinitialiser(int action) override;
    void Charger(const TFiltre& f) override;
    void Lire(TFiltre& f) const override;
    void MajEtats() override;

protected:
    QWidget* PremierFocus() const override;

private:
    QComboBox* cbConditionSujet_;
    QLineEdit* eValeurSujet_;
};

class TFFiltreEntete : public EditeurFiltre {
    Q_OBJECT
public:
    // `nomsEntetes` is the settings' list of header names: its names are offered, and a name the
    // user adds goes to its end.
    explicit TFFiltreEntete(std::vector<Texte>& nomsEntetes, QWidget* parent = nullptr);
    QComboBox* CBEntetes() const { return cbEntetes_; }
    QComboBox* CBCondition() const { return cbCondition_; }
    QLineEdit* EValeurEntete() const { return eValeurEntete_; }

    void Reinitialiser(int action) override;
    void Charger(const TFiltre& f) override;
    void Lire(TFiltre& f) const override;
    void MajEtats() override;
    // The enabling of the value and the case box after a change of the condition.
    void MajValeur();
    // Enter in the name list, and the first step of OK: a new name becomes an item (number 0),
    // is selected and joins the settings' header names.
    void AjouterNomSaisi();
    // The header number of the name text: that of the item with this text (ASCII case ignored),
    // else 0.
    int NumeroEntete() const;

protected:
    QWidget* PremierFocus() const override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void InsererNom(const QString& nom, int numero);

    std::vector<Texte>& nomsEntetes_;
    QComboBox* cbEntetes_;
    QComboBox* cbCondition_;
    QLineEdit* eValeurEntete_;
};

class TFNouveauFiltre : public QDialog {
    Q_OBJECT
public:
    explicit TFNouveauFiltre(QWidget* parent = nullptr);
    QRadioButton* RBExpediteur() const { return rbExpediteur_; }
    QRadioButton* RBSujet() const { return rbSujet_; }
    QRadioButton* RBEntete() const { return rbEntete_; }
    // The chosen kind (GenreFiltre).
    int Genre() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QRadioButton* rbExpediteur_;
    QRadioButton* rbSujet_;
    QRadioButton* rbEntete_;
};

}  // namespace vaskor
