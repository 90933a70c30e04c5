#pragma once
// What the check run, the deletion, the preview and the scheduler ask of the main window. The
// window implements it; the tests record the calls and assert on the exact French texts. All
// texts are code page 1252.

#include "core/texte.h"

#include <exception>
#include "mail/transport.h"

namespace vaskor {

enum class IconeMessage { Aucune, Information, Avertissement, Erreur, Question };
enum class BoutonsMessage { Ok, OkAnnuler, OuiNon, OuiNonAnnuler };
enum class ReponseMessage { Ok, Annuler, Oui, Non };
enum class ReponseCertificat { Confiance, Annuler, SansReponse };
enum class SonControle { MsgOK, MsgAMarquer, MsgAEffacer };

// Thrown by TraiterEvenements when the program is asked to end (a signal, the end of the
// desktop session): the run stops where it is, without a message, and the program then ends
// the way "Quitter" does.
class ArretDemande : public std::exception {
public:
    const char* what() const noexcept override { return "Arr\xEAt demand\xE9"; }
};

class FenetreControle {
public:
    virtual ~FenetreControle() = default;

    // Status bar: panel 0 operation and client texts, 2 mailbox size, 3 "Serveur : " + host.
    virtual void TexteStatut(int panneau, const Texte& texte) = 0;
    // The progress bar over panel 1: shown during a header loop, a deletion or a preview.
    virtual void Progression(bool visible, int maximum, int position) = 0;
    // The account panel above the list ("  Compte : " + description, or empty).
    virtual void TexteCompte(const Texte& texte) = 0;
    virtual void CurseurAttente(bool attente) = 0;

    // A modal message box. `defautNon` makes "Non" (or "Annuler") the default button.
    virtual ReponseMessage Question(const Texte& titre, const Texte& texte, BoutonsMessage boutons,
                                    IconeMessage icone, bool defautNon) = 0;
    virtual void Message(const Texte& titre, const Texte& texte, IconeMessage icone) = 0;

    virtual void ActiverInterface(bool actif) = 0;
    virtual void MajActions(bool selection) = 0;
    // 0 idle, 1 checking (server name given), 2 result.
    virtual void MajIconeTray(int etat, const Texte& serveur = {}) = 0;
    virtual void JouerSon(SonControle son) = 0;
    // Lets the window process its pending events (called while the network waits).
    virtual void TraiterEvenements() = 0;

    virtual bool FenetreVisible() const = 0;
    // Shows the main window and removes the tray icon (a run started from the tray menu).
    virtual void MontrerFenetre() = 0;
    // The next-check label.
    virtual void LabelProchainControle(bool visible, const Texte& texte) = 0;
    // Gives the focus to the message list when the window is visible.
    virtual void FocusListe() = 0;

    // A manual check met a certificate that could not be verified: Confiance when the user trusts
    // it for this account ("Faire confiance à ce certificat pour ce compte"), Annuler otherwise.
    // A window that cannot ask (no screen) answers SansReponse: the failure is reported with its
    // reason and fingerprint.
    virtual ReponseCertificat ConfianceCertificat(const Texte& compte, const Texte& hote,
                                                  const CertificatServeur& certificat)
    {
        return ReponseCertificat::SansReponse;
    }
};

}  // namespace vaskor
