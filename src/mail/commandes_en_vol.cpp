#include "mail/commandes_en_vol.h"

#include "mail/echec.h"

#include <string>

namespace vaskor {

CommandesEnVol::CommandesEnVol(TIdPOP3& client, int nombre, bool pipeline)
    : c_(client), nombre_(nombre), pipeline_(pipeline)
{
}

void CommandesEnVol::Remplir()
{
    bool envoye = false;
    while (envoyes_ < nombre_ && int(recus_.size()) < kMessagesMax) {
        const std::string n = std::to_string(envoyes_ + 1);
        const std::string top = "TOP " + n + " 0", liste = "LIST " + n;
        const std::size_t octets = top.size() + liste.size() + 4;
        if (octetsEnVol_ + octets > kOctetsMax && !enVol_.empty()) break;
        ++envoyes_;
        c_.EnvoyerSansAttendre(top);
        c_.EnvoyerSansAttendre(liste);
        enVol_.push_back({Genre::Top, envoyes_, top.size() + 2});
        enVol_.push_back({Genre::Liste, envoyes_, liste.size() + 2});
        octetsEnVol_ += octets;
        recus_[envoyes_];
        envoye = true;
    }
    if (envoye) c_.Expedier();
}

void CommandesEnVol::LireUne()
{
    const Attendu a = enVol_.front();
    enVol_.pop_front();
    octetsEnVol_ -= a.octets;
    try {
        switch (a.genre) {
        case Genre::Top: {
            Recu& r = recus_[a.n];
            try {
                r.complet = c_.LireEntete(a.n, r.lignes);
            } catch (const Echec& e) {
                // A refusal leaves the conversation in step: kept for when its message is asked for.
                if (e.Genre() != GenreEchec::ReponseErreur) throw;
                r.echecEntete = std::current_exception();
            }
            r.entete = true;
            break;
        }
        case Genre::Liste: {
            Recu& r = recus_[a.n];
            try {
                r.taille = c_.LireTaille(a.n);
            } catch (const Echec& e) {
                if (e.Genre() != GenreEchec::ReponseErreur) throw;
                r.echecTaille = std::current_exception();
            }
            r.liste = true;
            break;
        }
        case Genre::Suppression: {
            std::function<void()> apres = std::move(apres_.front());
            apres_.pop_front();
            // A refused DELE deleted nothing and ends the loop here, as it would one command at
            // a time.
            c_.LireSuppression(a.n);
            if (apres) apres();
            break;
        }
        }
    } catch (const Echec& e) {
        if (e.Genre() == GenreEchec::ReponseErreur) throw;
        // Nothing more can be read in step; the messages already complete are still handed out.
        // The session is out of step: it will end without QUIT, so the DELE commands still
        // unanswered delete nothing.
        echecLecture_ = std::current_exception();
        numeroEchec_ = a.genre == Genre::Suppression ? 0 : a.n;
        enVol_.clear();
        apres_.clear();
    }
}

bool CommandesEnVol::Entete(int n, ListeEntetes& lignes)
{
    if (!pipeline_) return c_.FetchHeaderLines(n, lignes);
    if (!echecLecture_) Remplir();
    for (;;) {
        if (echecLecture_ && (numeroEchec_ == 0 || n >= numeroEchec_)) std::rethrow_exception(echecLecture_);
        const auto it = recus_.find(n);
        if (it != recus_.end() && it->second.entete && it->second.liste && apres_.empty()) break;
        if (enVol_.empty()) throw Echec(GenreEchec::Autre, "Message "_cp + std::to_string(n) + " jamais demand\xE9.");
        LireUne();
    }
    Recu r = std::move(recus_[n]);
    recus_.erase(n);
    taille_ = r.taille;
    echecTaille_ = r.echecTaille;
    if (r.echecEntete) std::rethrow_exception(r.echecEntete);
    lignes.insert(lignes.end(), std::make_move_iterator(r.lignes.begin()), std::make_move_iterator(r.lignes.end()));
    // The next commands go out while the caller works on this message.
    if (!echecLecture_) Remplir();
    return r.complet;
}

std::int64_t CommandesEnVol::Taille(int n)
{
    if (!pipeline_) return c_.QueryMessageSize(n);
    if (echecTaille_) std::rethrow_exception(echecTaille_);
    return taille_;
}

void CommandesEnVol::Supprimer(int n, std::function<void()> apres)
{
    if (!pipeline_) {
        c_.DeleteMessage(n);
        if (apres) apres();
        return;
    }
    const std::string dele = "DELE " + std::to_string(n);
    // Out of step, the session ends without QUIT: a DELE now would delete nothing.
    if (echecLecture_) return;
    c_.EnvoyerSansAttendre(dele);
    enVol_.push_back({Genre::Suppression, n, dele.size() + 2});
    octetsEnVol_ += dele.size() + 2;
    apres_.push_back(std::move(apres));
    c_.Expedier();
}

void CommandesEnVol::Terminer()
{
    while (!enVol_.empty()) LireUne();
    if (echecLecture_) std::rethrow_exception(echecLecture_);
}

void CommandesEnVol::Abandonner()
{
    // The replies still due are read, so that the session is in step again and its QUIT commits
    // the deletions the server accepted, as one command at a time would have left it.
    while (!enVol_.empty() && !echecLecture_) {
        try {
            LireUne();
        } catch (const Echec&) {
            // A refused DELE: nothing to commit for it; the next replies follow.
        }
    }
    enVol_.clear();
    apres_.clear();
}

}  // namespace vaskor
