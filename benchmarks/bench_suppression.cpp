// The deletion of marked rows, timed: a check of one mailbox fills the list (every row marked),
// then the deletion walk checks each message's identity and deletes it, as the window does on
// "Supprimer les messages marqués". Prints "rows deleted, milliseconds of the deletion".
//
//   bench_suppression HOST PORT USER [--un-par-un]     (the password on the first line of stdin)
//
// --un-par-un: every command waits for its reply, even with a server that pipelines.

#include "engine/controle.h"
#include "platform/base/transport_tcp.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

using namespace vaskor;

namespace {

// A window that shows nothing and answers no question.
class FenetreMuette : public FenetreControle {
public:
    std::vector<Texte> messages;
    void TexteStatut(int, const Texte&) override {}
    void Progression(bool, int, int) override {}
    void TexteCompte(const Texte&) override {}
    void CurseurAttente(bool) override {}
    ReponseMessage Question(const Texte&, const Texte&, BoutonsMessage, IconeMessage, bool) override
    {
        return ReponseMessage::Annuler;
    }
    void Message(const Texte&, const Texte& texte, IconeMessage) override { messages.push_back(texte); }
    void ActiverInterface(bool) override {}
    void MajActions(bool) override {}
    void MajIconeTray(int, const Texte&) override {}
    void JouerSon(SonControle) override {}
    void TraiterEvenements() override {}
    bool FenetreVisible() const override { return false; }
    void MontrerFenetre() override {}
    void LabelProchainControle(bool, const Texte&) override {}
    void FocusListe() override {}
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_suppression HOST PORT USER [--un-par-un]\n");
        return 2;
    }
    std::string motDePasse;
    std::getline(std::cin, motDePasse);

    FenetreMuette fenetre;
    TIdPOP3 client{[] { return CreerTransportTcp(); }};
    client.PipeliningPermis = !(argc > 4 && std::strcmp(argv[4], "--un-par-un") == 0);
    ListeComptes comptes;
    ListeFiltres filtres;
    ListeAmis amis;
    TConfig config = ConfigParDefaut();
    JournalEnAttente journal;
    ListeMessages liste;
    Controleur controle{fenetre, client, {comptes, filtres, amis, config, journal, liste}};

    TCompte compte = TCompte::Vierge();
    compte.Description = "Banc";
    compte.ServeurPOP = argv[1];
    compte.PortPOP = std::atoi(argv[2]);
    compte.NomUser = argv[3];
    compte.Password = motDePasse;
    comptes.Remplacer({compte});

    controle.ControlerCompte(0);
    for (std::size_t i = 0; i < liste.Nombre(); ++i) liste.Marquer(i, true);
    const std::size_t lignes = liste.Nombre();
    const auto debut = std::chrono::steady_clock::now();
    controle.SupprimerMarques();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - debut).count();
    for (const Texte& m : fenetre.messages) std::fprintf(stderr, "%s\n", m.c_str());
    if (journal.Nombre() != lignes || lignes == 0) {
        std::fprintf(stderr, "bench_suppression: %zu rows, %zu journal lines\n", lignes, journal.Nombre());
        return 1;
    }
    std::printf("%zu %lld\n", lignes, static_cast<long long>(ms));
    return 0;
}
