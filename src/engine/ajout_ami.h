#pragma once
// Adding the sender of a listed message to the friends: the window asks the question and shows
// the messages; this finds the address and builds the texts.

#include "core/texte.h"
#include "mail/message.h"

#include <optional>
#include <string_view>

namespace vaskor {

// The sender's address from the raw header lines of a message: the first "From" line, decoded and
// parsed as the check parsed it, so that the friend matches what the classification compares.
// nullopt when there is no "From" line, when it cannot be parsed, or when it holds no address
// (a friend with an empty name would make every sender without domain a friend).
std::optional<Texte> AdresseExpediteurPourAmi(const ListeEntetes& entetes);

// "Impossible d'extraire l'adresse de l'expéditeur." (caption "Information", warning icon).
const Texte& MessageExpediteurIntrouvable();
// The confirmation: Ajouter "adresse" à la liste d'amis ? (caption "Confirmation", OK/Cancel).
Texte QuestionAjouterAmi(std::string_view adresse);

}  // namespace vaskor
