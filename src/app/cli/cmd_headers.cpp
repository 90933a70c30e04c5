// vaskor-cli headers FILE: the parsed fields of a raw message's header block, as a check would
// read them from a TOP fetch.

#include "cli/commande.h"
#include "mail/echec.h"
#include "mail/message.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using namespace vaskor;

// Input is read as UTF-8; a byte that does not begin a valid UTF-8 sequence is a stray 8-bit
// mail byte and is kept as the code page 1252 byte it already is, rather than lost to a "?".
Texte EntreeVersCp1252(std::string_view s)
{
    Texte r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c >= 0xC2 && c <= 0xDF)
            n = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 4;
        bool valide = n > 0 && i + n <= s.size();
        for (std::size_t k = 1; valide && k < n; ++k) valide = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (valide && n >= 3) {
            // No overlong forms, no surrogates, nothing above U+10FFFF.
            const auto d = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F))
                valide = false;
        }
        if (valide) {
            r += Utf8VersCp1252(s.substr(i, n));
            i += n;
        } else {
            r += s[i++];
        }
    }
    return r;
}

// One output line per field: a decoded CR or LF inside a value must not start a new line.
Texte SurUneLigne(Texte v)
{
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    return v;
}

Texte Liste(const std::vector<TElementAdresse>& l)
{
    Texte r;
    for (std::size_t i = 0; i < l.size(); ++i) {
        if (i) r += ", ";
        r += TexteAdresse(l[i]);
    }
    return r;
}

int Entetes(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || a.positionnels.size() != 1) {
        c.EcrireErreur(a.erreur.empty() ? Texte("Usage: vaskor-cli headers FILE (- for standard input)") : a.erreur);
        c.EcrireErreur("\n");
        return 64;
    }
    std::string octets;
    const Texte& nom = a.positionnels[0];
    if (nom == "-") {
        octets.assign(std::istreambuf_iterator<char>(c.entree), std::istreambuf_iterator<char>());
    } else {
        std::ifstream f(std::filesystem::path(Cp1252VersUtf8(nom)), std::ios::binary);
        std::ostringstream o;
        if (f) o << f.rdbuf();
        if (!f || f.bad()) {
            c.EcrireErreur("Impossible de lire le fichier "_cp + nom + ".\n");
            return 1;
        }
        octets = o.str();
    }

    TIdMessage m;
    m.Headers = LignesEnteteDepuisTexte(EntreeVersCp1252(octets));
    try {
        m.AnalyserEntetes();
    } catch (const Echec& e) {
        c.Ecrire("Error: " + e.Message() + "\n");
        return 2;
    }

    auto ligne = [&c](const char* champ, const Texte& valeur) {
        c.Ecrire(Texte(champ) + ": " + SurUneLigne(valeur) + "\n");
    };
    ligne("From", TexteAdresse(m.From));
    ligne("From-Address", m.From.Address);
    ligne("From-Name", m.From.Name);
    ligne("Sender", TexteAdresse(m.Sender));
    ligne("Subject", m.Subject);
    ligne("Date", FormaterIso(m.Date));
    ligne("To", Liste(m.Recipients));
    ligne("Cc", Liste(m.CCList));
    ligne("Reply-To", Liste(m.ReplyTo));
    ligne("Content-Type", m.ContentType);
    ligne("CharSet", m.CharSet);
    ligne("Content-Transfer-Encoding", m.ContentTransferEncoding);
    ligne("Message-Id", m.MsgId);
    ligne("Organization", m.Organization);
    return 0;
}

cli::EnregistrementCommande e("headers", "parse the header block of a raw message (FILE, - for standard input)",
                              Entetes);

}  // namespace
