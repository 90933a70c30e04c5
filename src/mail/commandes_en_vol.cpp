#include "mail/commandes_en_vol.h"

#include "mail/echec.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace vaskor {

namespace {
std::vector<int> UnA(int nombre)
{
    std::vector<int> v(std::size_t(std::max(nombre, 0)));
    std::iota(v.begin(), v.end(), 1);
    return v;
}
}  // namespace

CommandesEnVol::CommandesEnVol(TIdPOP3& client, int nombre, bool pipeline)
    : CommandesEnVol(client, UnA(nombre), pipeline)
{
}

CommandesEnVol::CommandesEnVol(TIdPOP3& client, std::vector<int> numeros, bool pipeline)
    : c_(client), numeros_(std::move(numeros)), pipeline_(pipeline)
{
}

void CommandesEnVol::Remplir()
{
    // Topped up by half a window at a time: one write for many messages, not one per message
    // (a system call each on both sides), while the server always has commands ahead.
    if (envoyes_ - prochaine_ > kMessagesMax / 2) return;
    // Messages passed over before their commands went out are not asked for at all.
    envoyes_ = std::max(envoyes_, prochaine_);
    bool envoye = false;
    while (envoyes_ < int(numeros_.size()) && int(recus_.size()) < kMessagesMax) {
        const int n = numeros_[std::size_t(envoyes_)];
        const std::string top = "TOP " + std::to_string(n) + " 0", liste = "LIST " + std::to_string(n);
        const std::size_t octets = top.size() + liste.size() + 4;
        if (octetsEnVol_ + octets > kOctetsMax && !enVol_.empty()) break;
        c_.EnvoyerSansAttendre(top);
        c_.EnvoyerSansAttendre(liste);
        enVol_.push_back({Genre::Top, n, envoyes_, top.size() + 2});
        enVol_.push_back({Genre::Liste, n, envoyes_, liste.size() + 2});
        octetsEnVol_ += octets;
        recus_[envoyes_];
        ++envoyes_;
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
            // The replies of a message passed over are read all the same, and dropped.
            Recu perdu;
            Recu& r = a.position >= prochaine_ ? recus_[a.position] : perdu;
            r.lignes.reserve(32);  // room for a usual block at once
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
            Recu perdu;
            Recu& r = a.position >= prochaine_ ? recus_[a.position] : perdu;
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
        positionEchec_ = a.genre == Genre::Suppression ? -1 : a.position;
        suppressionPerdue_ = !apres_.empty() || a.genre == Genre::Suppression;
        enVol_.clear();
        apres_.clear();
    } catch (...) {
        // Anything else (the idle hook's own failure) cut a reply short: what follows in the
        // stream cannot be read in step any more, and the failure goes on to the caller.
        echecLecture_ = std::current_exception();
        positionEchec_ = -1;
        suppressionPerdue_ = true;
        enVol_.clear();
        apres_.clear();
        throw;
    }
}

bool CommandesEnVol::Prevu(int n) const
{
    if (!pipeline_) return true;
    return std::find(numeros_.begin() + std::min<std::ptrdiff_t>(prochaine_, std::ptrdiff_t(numeros_.size())),
                     numeros_.end(), n) != numeros_.end();
}

bool CommandesEnVol::Entete(int n, ListeEntetes& lignes)
{
    if (!pipeline_) return c_.FetchHeaderLines(n, lignes);
    const auto trouve = std::find(numeros_.begin() + std::min<std::ptrdiff_t>(prochaine_, std::ptrdiff_t(numeros_.size())),
                                  numeros_.end(), n);
    if (trouve == numeros_.end())
        throw Echec(GenreEchec::Autre, "Message "_cp + std::to_string(n) + " jamais demand\xE9.");
    const int position = int(trouve - numeros_.begin());
    // The messages passed over: what came for them is dropped, what is still due will be.
    while (prochaine_ < position) recus_.erase(prochaine_++);
    if (!echecLecture_) Remplir();
    for (;;) {
        if (echecLecture_ && (positionEchec_ < 0 || position >= positionEchec_)) std::rethrow_exception(echecLecture_);
        const auto it = recus_.find(position);
        if (it != recus_.end() && it->second.entete && it->second.liste && apres_.empty()) break;
        if (enVol_.empty()) throw Echec(GenreEchec::Autre, "Message "_cp + std::to_string(n) + " jamais demand\xE9.");
        LireUne();
    }
    Recu r = std::move(recus_[position]);
    recus_.erase(position);
    prochaine_ = position + 1;
    taille_ = r.taille;
    echecTaille_ = r.echecTaille;
    if (r.echecEntete) std::rethrow_exception(r.echecEntete);
    if (lignes.empty())
        lignes.swap(r.lignes);
    else
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
    if (echecLecture_) {
        suppressionPerdue_ = true;
        return;
    }
    c_.EnvoyerSansAttendre(dele);
    enVol_.push_back({Genre::Suppression, n, -1, dele.size() + 2});
    octetsEnVol_ += dele.size() + 2;
    apres_.push_back(std::move(apres));
    c_.Expedier();
}

void CommandesEnVol::Solder()
{
    if (!pipeline_) return;
    while (!apres_.empty()) LireUne();
    if (suppressionPerdue_) std::rethrow_exception(echecLecture_);
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
