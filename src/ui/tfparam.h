#pragma once
// The options dialog: most settings on five tabs (Général, Messages, Filtres, Journal, Sons). It
// edits its controls; the settings change only when OK passes its checks.

#include "core/config.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace vaskor {

class BoitesMessage;
struct ReglagesSons;

class TFParam : public QDialog {
    Q_OBJECT
public:
    // `savePJVisible`: the settings file has the key "AutoriserEnregistrementPJ" in "Général".
    // `sortieSon`: the computer has an audio output.
    TFParam(BoitesMessage& boites, bool savePJVisible, bool sortieSon, QWidget* parent = nullptr);

    // The controls from the settings. `amis`: the friends list is not empty.
    void Charger(const TConfig& config, bool amis);
    // The settings from the controls.
    void Appliquer(TConfig& config) const;
    // OK: the sound files and the active filter kinds are checked; the dialog stays open after a
    // refusal.
    void BOKClick();
    // The sounds as the controls choose them, for "&Tester".
    ReglagesSons Sons() const;

    // How a sound file is chosen and how the sounds are tried (tests replace them).
    void DefinirChoixSon(std::function<QString(QWidget*)> f) { choisirSon_ = std::move(f); }
    void DefinirTestSons(std::function<void(const ReglagesSons&)> f) { testerSons_ = std::move(f); }

    QTabWidget* Onglets() const { return onglets_; }
    QCheckBox* CBAutoRun() const { return cbAutoRun_; }
    QCheckBox* CBDemarrerMasque() const { return cbDemarrerMasque_; }
    QCheckBox* CBDeconnecterInternet() const { return cbDeconnecterInternet_; }
    QCheckBox* CBControlerAuLancement() const { return cbControlerAuLancement_; }
    QRadioButton* RBSelectionnerMsg() const { return rbSelectionnerMsg_; }
    QRadioButton* RBApercuMsg() const { return rbApercuMsg_; }
    QCheckBox* CBTailleMax() const { return cbTailleMax_; }
    QSlider* TBTailleMaxi() const { return tbTailleMaxi_; }
    QLabel* Lko() const { return lko_; }
    QCheckBox* CBApercuPlainText() const { return cbApercuPlainText_; }
    QCheckBox* CBSavePJ() const { return cbSavePJ_; }
    QCheckBox* CBDecodageModerne() const { return cbDecodageModerne_; }
    QListWidget* CLBFiltresActifs() const { return clbFiltresActifs_; }
    QCheckBox* CBOnlyFriends() const { return cbOnlyFriends_; }
    QComboBox* CBActionParDefaut() const { return cbActionParDefaut_; }
    QSlider* TBNbLignesJournal() const { return tbNbLignesJournal_; }
    QLabel* LLignes() const { return lLignes_; }
    QCheckBox* CBJouerSons() const { return cbJouerSons_; }
    QCheckBox* CBSonsParDef() const { return cbSonsParDef_; }
    QLineEdit* ESon(int i) const { return eSons_[i]; }
    QPushButton* BSon(int i) const { return bSons_[i]; }
    QLabel* LSon(int i) const { return lSons_[i]; }
    QPushButton* BTesterSons() const { return bTesterSons_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void MajTaille();
    void MajSons();
    void ChoisirSon(int i);
    void CBOnlyFriendsClick(bool coche);

    BoitesMessage& boites_;
    bool sortieSon_;
    bool amis_ = false;
    QTabWidget* onglets_;
    QCheckBox* cbAutoRun_;
    QCheckBox* cbDemarrerMasque_;
    QCheckBox* cbDeconnecterInternet_;
    QCheckBox* cbControlerAuLancement_;
    QRadioButton* rbSelectionnerMsg_;
    QRadioButton* rbApercuMsg_;
    QCheckBox* cbTailleMax_;
    QSlider* tbTailleMaxi_;
    QLabel* lko_;
    QCheckBox* cbApercuPlainText_;
    QCheckBox* cbSavePJ_;
    QCheckBox* cbDecodageModerne_ = nullptr;
    QListWidget* clbFiltresActifs_;
    QCheckBox* cbOnlyFriends_;
    QComboBox* cbActionParDefaut_;
    QSlider* tbNbLignesJournal_;
    QLabel* lLignes_;
    QCheckBox* cbJouerSons_;
    QCheckBox* cbSonsParDef_;
    QLabel* lSons_[3];
    QLineEdit* eSons_[3];
    QPushButton* bSons_[3];
    QPushButton* bTesterSons_;
    std::function<QString(QWidget*)> choisirSon_;
    std::function<void(const ReglagesSons&)> testerSons_;
};

// "Les sons sont activés mais le son "<nom>" n'est pas valide." for the sounds 0, 1, 2.
Texte MessageSonInvalide(int son);

}  // namespace vaskor
