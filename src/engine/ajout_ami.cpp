#include "engine/ajout_ami.h"

#include "mail/echec.h"

#include <vector>

namespace vaskor {

std::optional<Texte> AdresseExpediteurPourAmi(const ListeEntetes& entetes)
{
    std::vector<Texte> valeurs;
    LireValeurEntete(entetes, "From", valeurs);
    if (valeurs.empty()) return std::nullopt;
    try {
        Texte adresse = AnalyserAdresse(DecoderEntete(valeurs.front())).Address;
        if (adresse.empty()) return std::nullopt;
        return adresse;
    } catch (const Echec&) {
        return std::nullopt;
    }
}

const Texte& MessageExpediteurIntrouvable()
{
    static const Texte t = "Impossible d'extraire l'adresse de l'expéditeur."_cp;
    return t;
}

Texte QuestionAjouterAmi(std::string_view adresse)
{
    Texte q = "Ajouter \"";
    q += adresse;
    q += "\" à la liste d'amis ?"_cp;
    return q;
}

}  // namespace vaskor
