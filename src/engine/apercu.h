#pragma once
// The preview of one message: what the preview window shows, built from a message retrieved
// whole, and what the preview run asks of that window. The run itself is
// Controleur::ApercuMessage.

#include "core/dates.h"
#include "core/texte.h"
#include "mail/jeux_caracteres.h"
#include "mail/message.h"

#include <cstdint>
#include <vector>

namespace vaskor {

class TCipherManager;

// Texts in UTF-8: a preview shows any script.
struct ContenuApercu {
    TexteUtf8 A, De, Cc, Objet;
    // The address an answer goes to (From, else Sender): the address alone, never a display
    // name that could smuggle in a second recipient.
    TexteUtf8 AdresseReponse;
    std::vector<TexteUtf8> Lignes;  // the text, one entry per line
    TexteUtf8 PJ;                   // the attachment names, joined with ", "
    int NombrePJ = 0;
    TDateHeure Date = 0;
    // The retrieved message carries "X-CRPT": its attachments are enciphered too.
    bool Chiffre = false;
    // The key the text was deciphered with; empty when it was not deciphered.
    Texte Cle;
};

// "1 234 567": digits grouped by three from the right.
Texte GrouperChiffres(std::int64_t n);

// Whether a header list holds a line named "X-CRPT" (name without regard to case).
bool EnteteChiffre(const ListeEntetes& entetes);

// The fields, the text and the attachment names as the preview window shows them. With
// `apercuPlainText` a text part is shown only when its own or the message's Content-Type says
// "text/plain". With `chiffre`, every text line is deciphered on its own (DecodeString; its
// failure escapes).
ContenuApercu ConstruireContenu(const TIdMessage& m, bool apercuPlainText, TCipherManager* chiffre);

class FenetreApercu {
public:
    virtual ~FenetreApercu() = default;
    // A one-line input; false when cancelled.
    virtual bool Saisir(const Texte& titre, const Texte& invite, Texte& valeur) = 0;
    // Shows the preview window (modal) and returns when it is closed. `message` holds the
    // parts for saving the attachments.
    virtual void AfficherApercu(const ContenuApercu& contenu, const TIdMessage& message) = 0;
};

}  // namespace vaskor
