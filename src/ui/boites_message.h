#pragma once
// The program's message boxes. The window asks its questions through this class so that tests
// can answer them without a modal loop.

#include "engine/fenetre.h"

#include <QString>

class QWidget;

namespace vaskor {

class BoitesMessage {
public:
    virtual ~BoitesMessage() = default;
    virtual ReponseMessage Question(QWidget* parent, const Texte& titre, const Texte& texte, BoutonsMessage boutons,
                                    IconeMessage icone, bool defautNon);
    virtual void Message(QWidget* parent, const Texte& titre, const Texte& texte, IconeMessage icone);
    // A one-line input box; false when cancelled.
    virtual bool Saisie(QWidget* parent, const Texte& titre, const Texte& invite, Texte& valeur);
    // The box about a certificate that failed its check: true for "Faire confiance à ce
    // certificat pour ce compte", false for "Annuler" (the default, also Esc).
    virtual bool ConfianceCertificat(QWidget* parent, const Texte& texte);
};

// A message text as a box shows it: the line breaks written "\r\n" (or "\r\r\n") become one.
QString TexteBoite(const Texte& cp1252);

}  // namespace vaskor
