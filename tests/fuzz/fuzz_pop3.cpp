// The POP3 client against a server that answers anything: the input is everything the server
// says, in pieces whose sizes the input chooses. Every operation a check, a deletion and a preview
// make is tried; each may fail with Echec, none may crash, hang or read past the bytes given.
#include "mail/echec.h"
#include "mail/message.h"
#include "mail/pop3.h"
#include "mail/transport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

using namespace vaskor;

namespace {

class TransportRejoue : public Transport {
public:
    TransportRejoue(std::string octets, std::size_t morceau) : octets_(std::move(octets)), morceau_(morceau) {}
    void Connecter(const ParametresConnexion&) override { ouvert_ = true; }
    void Envoyer(std::string_view, int, const std::function<void()>&) override
    {
        if (!ouvert_) throw Echec(GenreEchec::Autre, "ferm\xE9");
    }
    std::size_t Recevoir(char* tampon, std::size_t taille, int, const std::function<void()>&) override
    {
        // The server has said everything: it closes, as a real one ends the connection.
        const std::size_t n = std::min({taille, morceau_, octets_.size() - pos_});
        std::memcpy(tampon, octets_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    void Fermer() noexcept override { ouvert_ = false; }
    bool EstOuvert() const override { return ouvert_; }

private:
    std::string octets_;
    std::size_t morceau_;
    std::size_t pos_ = 0;
    bool ouvert_ = false;
};

template <class F>
void Essayer(F&& f)
{
    try {
        f();
    } catch (const Echec&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::size_t morceau = 1 + data[0] % 200;
    std::string octets(reinterpret_cast<const char*>(data) + 1, size - 1);
    TIdPOP3 client([&] { return std::make_unique<TransportRejoue>(octets, morceau); });
    client.Host = "127.0.0.1";
    client.Username = "anne";
    client.Password = "secret";
    try {
        client.OpenSession();
    } catch (const Echec&) {
        return 0;
    }
    int nombre = 0;
    Essayer([&] { nombre = client.CountMessages(); });
    Essayer([&] { client.TotalMailboxSize(nombre); });
    for (int n = 1; n <= std::clamp(nombre, 0, 3); ++n) {
        TIdMessage m;
        Essayer([&] { client.FetchHeaderBlock(n, m); });
        ListeEntetes lignes;
        Essayer([&] { client.FetchHeaderLines(n, lignes); });
        Essayer([&] { client.QueryMessageSize(n); });
        Essayer([&] { client.DeleteMessage(n); });
        TIdMessage entier;
        Essayer([&] { client.FetchMessage(n, entier); });
    }
    client.CloseSession();
    return 0;
}
