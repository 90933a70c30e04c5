#pragma once
// A window without a screen: records what the engine shows and answers its questions from a
// script.

#include "engine/fenetre.h"
#include "engine/liste_messages.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vaskor::test {

struct MessageAffiche {
    Texte titre;
    Texte texte;
    IconeMessage icone;
};

class FenetreEnregistreuse : public FenetreControle {
public:
    std::vector<MessageAffiche> messages;
    std::vector<Texte> questions;
    std::deque<ReponseMessage> reponses;  // the answers to give, in order
    std::vector<Texte> statuts[4];
    std::vector<int> etatsTray;
    std::vector<Texte> serveursTray;
    std::vector<SonControle> sons;
    std::vector<bool> activations;
    Texte compte;
    Texte labelProchain;
    bool labelVisible = false;
    bool visible = true;
    int montrees = 0;
    int evenements = 0;
    int attentes = 0;  // hourglass requests not yet undone

    void TexteStatut(int panneau, const Texte& texte) override { statuts[panneau & 3].push_back(texte); }
    int progression = 0;  // the progress bar's last position
    void Progression(bool, int, int position) override { progression = position; }
    void TexteCompte(const Texte& texte) override { compte = texte; }
    void CurseurAttente(bool attente) override { attentes += attente ? 1 : -1; }
    ReponseMessage Question(const Texte&, const Texte& texte, BoutonsMessage, IconeMessage, bool) override
    {
        questions.push_back(texte);
        if (reponses.empty()) return ReponseMessage::Annuler;
        const ReponseMessage r = reponses.front();
        reponses.pop_front();
        return r;
    }
    void Message(const Texte& titre, const Texte& texte, IconeMessage icone) override
    {
        messages.push_back({titre, texte, icone});
    }
    void ActiverInterface(bool actif) override { activations.push_back(actif); }
    void MajActions(bool) override {}
    void MajIconeTray(int etat, const Texte& serveur) override
    {
        etatsTray.push_back(etat);
        serveursTray.push_back(serveur);
    }
    void JouerSon(SonControle son) override { sons.push_back(son); }
    // What the window's event loop does meanwhile (a timer tick, a menu chosen...).
    std::function<void()> pendantEvenements;
    void TraiterEvenements() override
    {
        ++evenements;
        if (pendantEvenements) pendantEvenements();
    }
    bool FenetreVisible() const override { return visible; }
    void MontrerFenetre() override { ++montrees; }
    void LabelProchainControle(bool v, const Texte& texte) override
    {
        labelVisible = v;
        labelProchain = texte;
    }
    void FocusListe() override {}

    Texte DernierStatut(int panneau) const
    {
        return statuts[panneau].empty() ? Texte() : statuts[panneau].back();
    }
};

}  // namespace vaskor::test
