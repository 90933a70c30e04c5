#pragma once
// The automatic-check dialog: whether Vaskor checks on its own, which accounts, and when (every
// N minutes after the last check, or once a day at a fixed time). It edits copies in its
// controls; the settings and the accounts change only when it closes with OK.

#include "core/compte.h"
#include "core/config.h"
#include "core/fichiers.h"
#include "crypto/chiffrement.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vaskor {

class BoitesMessage;

class TFControleAuto : public QDialog {
    Q_OBJECT
public:
    explicit TFControleAuto(BoitesMessage& boites, QWidget* parent = nullptr);

    // The menu command "Contrôle automatique..." (ControleAuto1Click): the controls loaded from
    // `config` and `comptes`, the dialog shown modally. On OK, `config` and each account's
    // ControleAuto flag take the dialog's values, and the settings file and comptes.dat of
    // `dossier` are saved (a failure is reported in an "Erreur" box; the values stay changed in
    // memory). Returns whether OK closed it. With an empty `dossier` nothing is saved.
    // With `lue` (the settings as last read or written), only the settings changed here are
    // written, and `lue` follows.
    static bool Executer(QWidget* parent, TConfig& config, ListeComptes& comptes, const fs::path& dossier,
                         TCipherManager& chiffre, BoitesMessage& boites, TConfig* lue = nullptr);

    // Loads the controls: one line per account, in list order, enabled only with a stored
    // password and ticked when the account takes part and has a password.
    void Charger(const TConfig& config, const ListeComptes& comptes);
    // What OK applies: the automatic check on or off, the mode, the time text, the interval, and
    // each account's flag from its line.
    void Appliquer(TConfig& config, ListeComptes& comptes) const;
    // Saves the settings and the accounts file; every failure gets its "Erreur" box. True when
    // both were saved.
    static bool Enregistrer(QWidget* parent, const TConfig& config, const ListeComptes& comptes,
                            const fs::path& dossier, TCipherManager& chiffre, BoitesMessage& boites,
                            TConfig* lue = nullptr);

    // OK: the time and the account choice are checked; the dialog stays open after a refusal.
    void BOKClick();
    // Toggles the tick of the selected line when that line is enabled.
    void CLBComptesDblClick();

    QCheckBox* CBControleAuto() const { return cbControleAuto_; }
    QLabel* LSelection() const { return lSelection_; }
    QListWidget* CLBComptes() const { return clbComptes_; }
    QRadioButton* RBIntervalle() const { return rbIntervalle_; }
    QSlider* TBTimerControleAuto() const { return tbTimerControleAuto_; }
    QLabel* LMinutes() const { return lMinutes_; }
    QRadioButton* RBControlerA() const { return rbControlerA_; }
    QLineEdit* EControlerA() const { return eControlerA_; }
    QPushButton* BOK() const { return bOK_; }
    QPushButton* BAnnuler() const { return bAnnuler_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Every other control follows the check box; the bar and its label follow the interval
    // button, the time field the fixed-time button.
    void MajEtats();
    void MajMinutes(int position);

    BoitesMessage& boites_;
    QCheckBox* cbControleAuto_;
    QLabel* lSelection_;
    QListWidget* clbComptes_;
    QRadioButton* rbIntervalle_;
    QSlider* tbTimerControleAuto_;
    QLabel* lMinutes_;
    QRadioButton* rbControlerA_;
    QLineEdit* eControlerA_;
    QPushButton* bOK_;
    QPushButton* bAnnuler_;
};

// "\"<texte>\" n'est pas une heure valide." and the form expected (code page 1252).
Texte MessageHeureInvalide(const Texte& texte);
// "L'activation du contrôle automatique nécessite qu'au moins un compte soit sélectionné."
Texte MessageAucunCompteControleAuto();
// The reasons given when a save fails; `detail` is the system's reason.
Texte MessageErreurEnregistrementConfig(const Texte& detail);
Texte MessageErreurEnregistrementComptes(const Texte& detail);

}  // namespace vaskor
