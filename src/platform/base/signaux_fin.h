#pragma once
// SIGTERM, SIGHUP and SIGINT (logout, shutdown, Ctrl+C) end the program the way "Quitter" does
// for the data. The handler does no work: it notes the signal and writes one byte to a pipe,
// whose read end the application watches (a QSocketNotifier) or polls between two steps of a
// run; the work is done outside the handler.

#include <filesystem>

namespace vaskor {

class SignauxFin {
public:
    // Installs the handlers once; false when the pipe could not be made.
    static bool Installer();
    // The pipe's read end (-1 before Installer): readable once a signal came.
    static int Descripteur();
    // The signal received, or 0.
    static int Recu();
    // Empties the pipe (after the notifier fired).
    static void Vider();
};

// Removes the temporary files that a save killed half-way left in the folder (".NAME.tmpNNN" of
// the data files), when no other program works in it and they are over a minute old.
void RetirerTemporairesAbandonnes(const std::filesystem::path& dossier);

// No core dump (it would hold passwords in clear) and no tracing by another process of the user.
void InterdireVidageMemoire();

// A write on a pipe or socket whose reader has gone (`vaskor-cli check | head`, a terminal
// closed, a server that hung up) fails with EPIPE instead of ending the program before it has
// saved its files. A handler that does nothing rather than an ignored signal: programs started
// from here get the default back when they are executed.
void SurvivreAuxTubesFermes();

}  // namespace vaskor
