#pragma once
// A server's reply: read line by line, so that it can be checked apart from any connection.

#include "core/texte.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace vaskor {

struct ReponsePop3 {
    Texte Statut;              // the status word as received ("+OK", "-ERR", any case)
    int Code = 0;              // 1 for "+OK", 2 for "-ERR"
    std::vector<Texte> Lignes;  // each line of the reply from its 5th character on

    // The text lines, each followed by CR LF: the message of a reply error.
    Texte Message() const;
    // The first text line, empty when there is none.
    const Texte& Premiere() const;
};

class AnalyseurReponse {
public:
    // A "xxx-" reply ends after this many lines even without its "xxx " line: its status word
    // is never "+OK" nor "-ERR", so it fails whatever follows, and a server that never sends the
    // closing line must not fill the memory.
    static constexpr std::size_t kLignesMaxSuite = 100;

    // Starts a new reply, keeping the storage of the previous one.
    void Recommencer();
    // Gives the next line read. Returns true when the reply is complete.
    bool AjouterLigne(std::string_view ligne);
    // The complete reply. Throws Echec (GenreEchec::Autre) with "Unrecognized POP3 Response
    // Header:", a line feed and the reply text between double quotes when the status word is
    // neither "+OK" nor "-ERR".
    const ReponsePop3& Resultat();

private:
    ReponsePop3 r_;
    bool suite_ = false;  // a "xxx-" reply waiting for its "xxx " line
    char tete_[3] = {};
};

}  // namespace vaskor
