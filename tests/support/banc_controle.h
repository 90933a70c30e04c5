#pragma once
// What the main window holds for a check run, without a screen: the recording window, the one
// POP3 client over TCP, the lists, the settings and the check run itself.

#include "engine/controle.h"
#include "platform/base/transport_tcp.h"
#include "support/fenetre_enregistreuse.h"

namespace vaskor::test {

struct BancControle {
    FenetreEnregistreuse fenetre;
    TIdPOP3 client{[] { return CreerTransportTcp(); }};
    ListeComptes comptes;
    ListeFiltres filtres;
    ListeAmis amis;
    TConfig config = ConfigParDefaut();
    JournalEnAttente journal;
    ListeMessages liste;
    Controleur controle{fenetre, client, {comptes, filtres, amis, config, journal, liste}};

    BancControle() { client.DelaiLectureMaxMs = 10000; }
};

// An account on 127.0.0.1 (or `hote`) at `port`.
inline TCompte CompteTest(const char* description, int port, const char* user = "anne", const char* mdp = "secret",
                          const char* hote = "127.0.0.1")
{
    TCompte c = TCompte::Vierge();
    c.Description = description;
    c.ServeurPOP = hote;
    c.NomUser = user;
    c.Password = mdp;
    c.PortPOP = port;
    return c;
}

}  // namespace vaskor::test
