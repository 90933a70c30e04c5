#include "mail/reponse_pop3.h"

#include "mail/echec.h"

namespace vaskor {

Texte ReponsePop3::Message() const
{
    Texte m;
    for (const Texte& l : Lignes) {
        m += l;
        m += "\r\n";
    }
    return m;
}

const Texte& ReponsePop3::Premiere() const
{
    static const Texte vide;
    return Lignes.empty() ? vide : Lignes.front();
}

void AnalyseurReponse::Recommencer()
{
    r_.Statut.clear();
    r_.Code = 0;
    r_.Lignes.clear();
    suite_ = false;
}

bool AnalyseurReponse::AjouterLigne(std::string_view ligne)
{
    const auto texteDe = [](std::string_view l) { return l.size() > 4 ? l.substr(4) : std::string_view(); };
    if (!suite_ && r_.Lignes.empty()) {
        // Blank lines before the reply line are skipped.
        const std::string_view l = Rogner(ligne);
        if (l.empty()) return false;
        r_.Statut = Rogner(l.substr(0, 4));
        r_.Lignes.emplace_back(texteDe(l));
        if (l.size() >= 4 && l[3] == '-') {
            // "xxx-" opens a reply that goes on up to a line starting with "xxx ".
            tete_[0] = l[0], tete_[1] = l[1], tete_[2] = l[2];
            suite_ = true;
            return false;
        }
        return true;
    }
    r_.Lignes.emplace_back(texteDe(ligne));
    if (r_.Lignes.size() >= kLignesMaxSuite ||
        (ligne.size() >= 4 && ligne[3] == ' ' && EgalSansCasse(ligne.substr(0, 3), std::string_view(tete_, 3)))) {
        suite_ = false;
        return true;
    }
    return false;
}

const ReponsePop3& AnalyseurReponse::Resultat()
{
    if (EgalSansCasse(r_.Statut, "+OK")) {
        r_.Code = 1;
    } else if (EgalSansCasse(r_.Statut, "-ERR")) {
        r_.Code = 2;
    } else {
        Texte texte;
        for (std::size_t i = 0; i < r_.Lignes.size(); ++i) {
            if (i) texte += "\r\n";
            texte += r_.Lignes[i];
        }
        throw Echec(GenreEchec::Autre, "Unrecognized POP3 Response Header:\n\"" + texte + "\"");
    }
    return r_;
}

}  // namespace vaskor
