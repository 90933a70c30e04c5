#pragma once
// The header loop's conversation: TOP n 0 and LIST n for every message, and DELE n for those a
// filter deletes; also the deletion walk's identity checks (TOP and LIST of the marked messages,
// in the walk's order) and its DELE commands. With a server that offers pipelining (RFC 2449),
// the commands of the next messages go out before the replies of the current one are read, so
// the transfer of the following messages overlaps the work on this one; otherwise one command
// at a time.
//
// The replies are read in the order the commands went out. A message is handed out only once
// every DELE sent before it has been answered, so rows, journal lines and filter counters come
// in the same order, and a refused DELE stops the loop at the same message, as one command at a
// time would. A refused TOP or LIST, and a failure of the reading itself, surface when their
// message is asked for: the messages before it are handed out first.

#include "mail/message.h"
#include "mail/pop3.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <vector>

namespace vaskor {

class CommandesEnVol {
public:
    // At most this many messages ahead, and this many bytes of commands without their reply:
    // what is sent then always fits in the socket buffers, so neither side can block on a write
    // while the other one waits for it.
    static constexpr int kMessagesMax = 64;
    static constexpr std::size_t kOctetsMax = 4096;

    // Messages 1 to `nombre`. `pipeline`: the server offers pipelining (TIdPOP3::Pipelining).
    CommandesEnVol(TIdPOP3& client, int nombre, bool pipeline);
    // These messages, in this order (no number twice: a TOP sent ahead must not overtake the
    // DELE of the same message).
    CommandesEnVol(TIdPOP3& client, std::vector<int> numeros, bool pipeline);

    // The header lines of message n (the reply to TOP n 0), appended to `lignes`; false when the
    // block was too long (see FetchHeaderLines). Messages are asked for in the order given; one
    // may be passed over (its replies are read and dropped). A refusal throws the same failure
    // as FetchHeaderLines.
    bool Entete(int n, ListeEntetes& lignes);
    // Whether message n is still to come (Entete may be asked for it).
    bool Prevu(int n) const;
    // The size of the message last given by Entete (LIST n), -1 when unreadable.
    std::int64_t Taille(int n);
    // DELE n; `apres` runs once the server has accepted it (before the next message is handed out).
    void Supprimer(int n, std::function<void()> apres);
    // Reads until every DELE sent was answered. A refused one throws its failure; when the
    // reading breaks before a DELE's reply, that failure is thrown.
    void Solder();
    // Reads the replies still due. Call once after the last message.
    void Terminer();
    // After a failure: the replies still due are read when the conversation is in step, so that
    // the session's QUIT commits what the server accepted (their `apres` runs); otherwise the
    // session ends without QUIT and deletes nothing.
    void Abandonner();
    // The reading broke (closed connection, line too long, deadline, a failure of the idle
    // hook...): the session is out of step and nothing more can be read in it.
    bool Rompu() const { return bool(echecLecture_); }

private:
    enum class Genre { Top, Liste, Suppression };
    struct Attendu {
        Genre genre;
        int n;
        int position;  // in numeros_ (Top, Liste)
        std::size_t octets;
    };
    struct Recu {
        ListeEntetes lignes;
        std::int64_t taille = -1;
        std::exception_ptr echecEntete, echecTaille;
        bool entete = false, liste = false, complet = true;
    };

    TIdPOP3& c_;
    std::vector<int> numeros_;
    bool pipeline_;
    int envoyes_ = 0;   // positions whose commands went out
    int prochaine_ = 0; // the next position to hand out
    std::size_t octetsEnVol_ = 0;
    std::deque<Attendu> enVol_;
    std::deque<std::function<void()>> apres_;  // one per DELE in flight, in order
    std::map<int, Recu> recus_;                // by position: sent and not handed out yet
    std::int64_t taille_ = -1;
    std::exception_ptr echecTaille_;
    // A failure that ended the reading (closed connection, line too long...): thrown when its
    // message is asked for (any message when -1), the messages before it being complete.
    std::exception_ptr echecLecture_;
    int positionEchec_ = -1;
    bool suppressionPerdue_ = false;  // the reading broke before a DELE's reply

    void Remplir();
    void LireUne();
};

}  // namespace vaskor
