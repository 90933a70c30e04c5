#pragma once
// The automatic checks: a tick every 10 seconds that starts the all-accounts run of the accounts
// chosen for it, every N minutes after the last check or once a day at a fixed time.

#include "engine/controle.h"

#include <functional>

namespace vaskor {

class Planificateur {
public:
    static constexpr int PeriodeMs = 10000;

    Planificateur(Controleur& controle, FenetreControle& fenetre, TIdPOP3& client, ListeMessages& liste,
                  TConfig& config);

    // The preview window is shown: no automatic check while the user reads a message.
    std::function<bool()> ApercuVisible = [] { return false; };
    // Puts the icon in the tray (the start-up check of a program that starts hidden).
    std::function<void()> AjouterIconeTray = [] {};

    // At the main window's creation: the label, the last-check time, and the start-up tick when
    // the settings ask for a check at start.
    void Demarrer();
    void Tick() { Executer(false); }
    // After the automatic-check dialog closes with OK.
    void ApresReglage();
    // Whether the 10-second timer should run.
    bool TimerActif() const { return config_.ControleAuto; }

    bool FaitHeureFixe() const { return faitHeureFixe_; }

private:
    Controleur& controle_;
    FenetreControle& fenetre_;
    TIdPOP3& client_;
    ListeMessages& liste_;
    TConfig& config_;
    bool faitHeureFixe_ = false;

    void Executer(bool demarrage);
    void ControleAutomatique();
};

}  // namespace vaskor
