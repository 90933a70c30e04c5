#include "mail/lecteur_lignes.h"

#include "mail/echec.h"

#include <algorithm>
#include <cstring>

namespace vaskor {

char* LecteurLignes::Reserver(std::size_t n)
{
    if (debut_ == fin_donnees_) {
        debut_ = balayage_ = fin_donnees_ = 0;
    } else if (tampon_.size() - fin_donnees_ < n && debut_ >= fin_donnees_ - debut_) {
        // Moves no more than it frees: the cost stays linear in the bytes received.
        const std::size_t attente = fin_donnees_ - debut_;
        std::memmove(tampon_.data(), tampon_.data() + debut_, attente);
        balayage_ -= debut_;
        debut_ = 0;
        fin_donnees_ = attente;
    }
    if (tampon_.size() - fin_donnees_ < n) tampon_.resize(std::max(tampon_.size() * 2, fin_donnees_ + n));
    return tampon_.data() + fin_donnees_;
}

void LecteurLignes::Valider(std::size_t n)
{
    n = std::min(n, tampon_.size() - fin_donnees_);
    fin_donnees_ += n;
    recu_ += n;
}

void LecteurLignes::Ajouter(std::string_view octets)
{
    if (octets.empty()) return;
    std::memcpy(Reserver(octets.size()), octets.data(), octets.size());
    Valider(octets.size());
}

void LecteurLignes::Vider()
{
    debut_ = balayage_ = fin_donnees_ = 0;
    recu_ = 0;
    fin_ = false;
}

bool LecteurLignes::LireLigne(std::string_view& ligne)
{
    const char* base = tampon_.data();
    const char* lf = balayage_ < fin_donnees_
                         ? static_cast<const char*>(std::memchr(base + balayage_, '\n', fin_donnees_ - balayage_))
                         : nullptr;
    if (!lf) {
        balayage_ = fin_donnees_;
        std::size_t attente = fin_donnees_ - debut_;
        // A CR at the end may still be the one before the LF: it does not count yet.
        if (attente > 0 && base[fin_donnees_ - 1] == '\r') --attente;
        if (attente > kLongueurMaxLigne) throw Echec(GenreEchec::Autre, "Max line length exceeded.");
        if (fin_) throw Echec(GenreEchec::Autre, "Connexion ferm\xE9" "e normalement.");
        return false;
    }
    const std::size_t posLf = static_cast<std::size_t>(lf - base);
    std::size_t fin = posLf;
    if (fin > debut_ && base[fin - 1] == '\r') --fin;
    if (fin - debut_ > kLongueurMaxLigne) throw Echec(GenreEchec::Autre, "Max line length exceeded.");
    ligne = std::string_view(base + debut_, fin - debut_);
    debut_ = balayage_ = posLf + 1;
    return true;
}

}  // namespace vaskor
