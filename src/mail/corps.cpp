#include "mail/corps.h"

#include "mail/echec.h"
#include "mail/message.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vaskor {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// The private folder and its files

namespace {

struct DossierPrive {
    std::mutex m;
    fs::path chemin;
    ~DossierPrive()
    {
        std::error_code ec;
        if (!chemin.empty()) fs::remove_all(chemin, ec);
    }
};

DossierPrive& Dossier()
{
    static DossierPrive d;
    return d;
}

}  // namespace

fs::path DossierTemporairePrive()
{
    DossierPrive& d = Dossier();
    const std::lock_guard<std::mutex> verrou(d.m);
    std::error_code ec;
    if (!d.chemin.empty() && fs::is_directory(d.chemin, ec)) return d.chemin;
    const fs::path racine = QDir::tempPath().toStdString();
    // Folders that a killed copy left behind (its process is gone) go now: theirs is the only
    // way out once the program ends without running its exit code.
    for (const auto& e : fs::directory_iterator(racine, ec)) {
        const std::string nom = e.path().filename().string();
        if (nom.rfind("vaskor-pj-", 0) != 0) continue;
        const long pid = std::strtol(nom.c_str() + 10, nullptr, 10);
        struct stat st {};
        if (pid <= 0 || ::lstat(e.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignore;
            fs::remove_all(e.path(), ignore);
        }
    }
    // mkdtemp creates the folder with mode 0700: nobody else may read or plant a file there.
    std::string modele = (racine / ("vaskor-pj-" + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(modele.data()))
        throw Echec(GenreEchec::Autre, "Impossible de cr\xE9" "er le dossier temporaire des pi\xE8" "ces jointes (" +
                                           Utf8VersCp1252(std::strerror(errno)) + ").");
    d.chemin = modele;
    return d.chemin;
}

FichierTemporaire::FichierTemporaire()
{
    std::string modele = (DossierTemporairePrive() / "pj-XXXXXX").string();
    const int fd = ::mkstemp(modele.data());
    if (fd < 0)
        throw Echec(GenreEchec::Autre, "Impossible de cr\xE9" "er un fichier temporaire (" +
                                           Utf8VersCp1252(std::strerror(errno)) + ").");
    ::close(fd);
    chemin_ = modele;
}

FichierTemporaire::~FichierTemporaire()
{
    std::error_code ec;
    fs::remove(chemin_, ec);
}

bool TPartie::SaveToFile(const fs::path& cible, std::string* erreur) const
{
    auto echec = [&](int code) {
        if (erreur) *erreur = std::strerror(code);
        return false;
    };
    if (!Fichier) return echec(ENOENT);
    std::FILE* source = std::fopen(Fichier->Chemin().c_str(), "rb");
    if (!source) return echec(errno);
    std::string modele = (cible.parent_path() / ".vaskor-XXXXXX").string();
    if (cible.parent_path().empty()) modele = ".vaskor-XXXXXX";
    const int fd = ::mkstemp(modele.data());
    if (fd < 0) {
        const int e = errno;
        std::fclose(source);
        return echec(e);
    }
    ::fchmod(fd, 0644 & ~[] { const mode_t m = ::umask(0); ::umask(m); return m; }());
    char tampon[65536];
    int code = 0;
    for (;;) {
        const std::size_t n = std::fread(tampon, 1, sizeof tampon, source);
        if (n == 0) {
            if (std::ferror(source)) code = EIO;
            break;
        }
        std::size_t ecrits = 0;
        while (ecrits < n) {
            const ssize_t w = ::write(fd, tampon + ecrits, n - ecrits);
            if (w < 0) {
                if (errno == EINTR) continue;
                code = errno;
                break;
            }
            ecrits += static_cast<std::size_t>(w);
        }
        if (code) break;
    }
    std::fclose(source);
    if (!code && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && !code) code = errno;
    if (!code && std::rename(modele.c_str(), cible.c_str()) != 0) code = errno;
    if (code) {
        ::unlink(modele.c_str());
        return echec(code);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Parameters and names

namespace {

Texte DecoderPourcent(std::string_view s)
{
    Texte r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && ValeurHexa(s[i + 1]) >= 0 && ValeurHexa(s[i + 2]) >= 0) {
            r += static_cast<char>(ValeurHexa(s[i + 1]) * 16 + ValeurHexa(s[i + 2]));
            i += 2;
        } else {
            r += s[i];
        }
    }
    return r;
}

}  // namespace

std::map<std::string, TexteUtf8> ParametresMime(std::string_view valeur)
{
    struct Morceau {
        Texte octets;
        bool etendu = false;
    };
    std::map<std::string, std::map<int, Morceau>> morceaux;  // RFC 2231 pieces by number
    std::map<std::string, TexteUtf8> simples;
    std::size_t i = valeur.find(';');
    while (i != std::string_view::npos && i < valeur.size()) {
        ++i;
        while (i < valeur.size() && (valeur[i] == ' ' || valeur[i] == '\t' || valeur[i] == ';')) ++i;
        const std::size_t egal = valeur.find('=', i);
        if (egal == std::string_view::npos) break;
        std::string nom = EnMinusculesAscii(Rogner(valeur.substr(i, egal - i)));
        std::size_t j = egal + 1;
        while (j < valeur.size() && (valeur[j] == ' ' || valeur[j] == '\t')) ++j;
        Texte v;
        if (j < valeur.size() && valeur[j] == '"') {
            ++j;
            while (j < valeur.size() && valeur[j] != '"') {
                if (valeur[j] == '\\' && j + 1 < valeur.size()) ++j;
                v += valeur[j++];
            }
            i = valeur.find(';', j);
        } else {
            const std::size_t f = valeur.find(';', j);
            v = Texte(Rogner(valeur.substr(j, f == std::string_view::npos ? std::string_view::npos : f - j)));
            i = f;
        }
        // name*=  name*0=  name*0*=
        const std::size_t etoile = nom.find('*');
        if (etoile == std::string::npos) {
            if (!simples.count(nom))
                simples[nom] = EnteteEnUtf8(v);
            continue;
        }
        const std::string base = nom.substr(0, etoile);
        std::string_view reste = std::string_view(nom).substr(etoile + 1);
        int numero = 0;
        bool etendu = false;
        if (reste.empty()) {
            etendu = true;
        } else {
            std::size_t k = 0;
            while (k < reste.size() && reste[k] >= '0' && reste[k] <= '9' && k < 4) numero = numero * 10 + (reste[k++] - '0');
            if (k == 0) continue;
            etendu = reste.substr(k) == "*";
        }
        auto& pieces = morceaux[base];
        if (pieces.size() < 256 && !pieces.count(numero)) pieces[numero] = {v, etendu};
    }
    std::map<std::string, TexteUtf8> resultat;
    for (auto& [nom, pieces] : morceaux) {
        Texte charset, octets;
        bool premier = true;
        for (auto& [numero, m] : pieces) {
            std::string_view v = m.octets;
            if (m.etendu && premier) {
                // charset'language'text
                const std::size_t a1 = v.find('\'');
                const std::size_t a2 = a1 == std::string_view::npos ? a1 : v.find('\'', a1 + 1);
                if (a2 != std::string_view::npos) {
                    charset = Texte(v.substr(0, a1));
                    v = v.substr(a2 + 1);
                }
            }
            premier = false;
            octets += m.etendu ? DecoderPourcent(v) : Texte(v);
        }
        resultat[nom] = charset.empty() ? OctetsEnUtf8(octets) : VersUtf8(octets, charset);
    }
    for (auto& [nom, v] : simples) {
        if (!resultat.count(nom)) resultat[nom] = v;
    }
    return resultat;
}

TexteUtf8 NomFichierSur(std::string_view nomUtf8)
{
    const TexteUtf8 defaut = "piece-jointe";
    std::string_view n = nomUtf8;
    const std::size_t sep = n.find_last_of("/\\");
    if (sep != std::string_view::npos) n = n.substr(sep + 1);
    TexteUtf8 r;
    for (std::size_t i = 0; i < n.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(n[i]);
        if (c < 0x20 || c == 0x7F) continue;
        // C1 controls (U+0080..U+009F), written C2 80..C2 9F.
        if (c == 0xC2 && i + 1 < n.size() && static_cast<unsigned char>(n[i + 1]) < 0xA0 &&
            static_cast<unsigned char>(n[i + 1]) >= 0x80) {
            ++i;
            continue;
        }
        // Characters some file systems refuse.
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') {
            r += '_';
            continue;
        }
        r += static_cast<char>(c);
    }
    std::size_t debut = 0;
    while (debut < r.size() && (r[debut] == '.' || r[debut] == ' ')) ++debut;
    r.erase(0, debut);
    while (!r.empty() && (r.back() == '.' || r.back() == ' ')) r.pop_back();
    if (r.size() > 200) {
        // Keep the extension, cut on a character boundary.
        const std::size_t point = r.rfind('.');
        std::string ext = (point != std::string::npos && r.size() - point <= 16) ? r.substr(point) : std::string();
        std::size_t coupe = 200 - ext.size();
        while (coupe > 0 && (static_cast<unsigned char>(r[coupe]) & 0xC0) == 0x80) --coupe;
        r = r.substr(0, coupe) + ext;
    }
    if (r.empty() || !Utf8Valide(r)) return r.empty() ? defaut : NomFichierSur(Cp1252VersUtf8(r));
    // CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9, with or without an extension.
    const std::string racine = EnMajusculesAscii(r.substr(0, r.find('.')));
    const bool reserve = racine == "CON" || racine == "PRN" || racine == "AUX" || racine == "NUL" ||
                         (racine.size() == 4 && (racine.rfind("COM", 0) == 0 || racine.rfind("LPT", 0) == 0) &&
                          racine[3] >= '1' && racine[3] <= '9');
    if (reserve) {
        const std::size_t point = r.find('.');
        return defaut + (point == std::string::npos ? std::string() : r.substr(point));
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// The decoder

namespace {

enum class Transfert { Aucun, Base64, QuotedPrintable, Uuencode, Xxencode, UuBase64 };

int SextetXx(unsigned char c)
{
    if (c == '+') return 0;
    if (c == '-') return 1;
    if (c >= '0' && c <= '9') return c - '0' + 2;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 12;
    if (c >= 'a' && c <= 'z') return c - 'a' + 38;
    return -1;
}

// The line as a boundary delimiter would be written, transport padding removed.
std::string_view SansBlancsFinaux(std::string_view l)
{
    while (!l.empty() && (l.back() == ' ' || l.back() == '\t')) l.remove_suffix(1);
    return l;
}

Texte Boundary(std::string_view contentType)
{
    const auto p = ParametresMime(contentType);
    const auto it = p.find("boundary");
    if (it == p.end() || it->second.empty()) return {};
    return Texte(it->second);
}

bool CommencePar(std::string_view s, std::string_view debut)
{
    return s.size() >= debut.size() && EgalSansCasse(s.substr(0, debut.size()), debut);
}

}  // namespace

struct DecodeurCorps::Etat {
    TIdMessage& msg;
    LimitesCorps limites;
    enum class Mode { Corps, EntetePartie, ContenuPartie, Uu } mode = Mode::Corps;
    std::vector<Texte> boundaries;  // innermost last
    std::size_t texteUtilise = 0;
    std::uint64_t octetsPj = 0;

    // The part being read.
    TPartie partie;
    bool partieGardee = false;  // false past PartiesMax: read and dropped
    bool conteneur = false;     // a multipart part: its lines until its first delimiter are a preamble
    Transfert transfert = Transfert::Aucun;
    Texte contenu;              // decoded text of a text part
    std::FILE* fichier = nullptr;
    std::size_t tailleEntete = 0;
    // base64 across lines
    unsigned quantum = 0;
    int sextets = 0;

    Etat(TIdMessage& m, LimitesCorps l) : msg(m), limites(l) {}
    ~Etat()
    {
        if (fichier) std::fclose(fichier);
    }

    void CompterTexte(std::size_t n)
    {
        texteUtilise += n + sizeof(Texte);
        if (texteUtilise > limites.TexteMax)
            throw Echec(GenreEchec::Autre, "Le texte de ce message d\xE9passe " + std::to_string(limites.TexteMax >> 20) +
                                               " Mo : il ne peut pas \xEAtre affich\xE9.");
    }

    void Ecrire(const char* octets, std::size_t n)
    {
        if (n == 0 || !partieGardee) return;
        if (partie.Genre == GenrePartie::Texte) {
            CompterTexte(n);
            contenu.append(octets, n);
            return;
        }
        octetsPj += n;
        if (octetsPj > limites.PiecesJointesMax)
            throw Echec(GenreEchec::Autre, "Les pi\xE8" "ces jointes de ce message d\xE9passent " +
                                               std::to_string(limites.PiecesJointesMax >> 20) + " Mo.");
        if (!fichier || std::fwrite(octets, 1, n, fichier) != n)
            throw Echec(GenreEchec::Autre, "Impossible d'\xE9" "crire une pi\xE8" "ce jointe dans le dossier temporaire (" +
                                               Utf8VersCp1252(std::strerror(errno)) + ").");
        partie.Taille += static_cast<std::int64_t>(n);
    }
    void Ecrire(std::string_view s) { Ecrire(s.data(), s.size()); }

    void LigneCorps(std::string_view l)
    {
        CompterTexte(l.size());
        msg.Body.emplace_back(l);
    }

    // Kind and name of a part from its Content-Type and Content-Disposition.
    void Nature(TPartie& p)
    {
        const std::string_view disposition = Rogner(std::string_view(p.ContentDisposition).substr(
            0, std::min(p.ContentDisposition.size(), p.ContentDisposition.find(';'))));
        const auto paramsDisposition = ParametresMime(p.ContentDisposition);
        const auto paramsType = ParametresMime(p.ContentType);
        TexteUtf8 nom;
        if (auto it = paramsDisposition.find("filename"); it != paramsDisposition.end()) nom = it->second;
        if (nom.empty())
            if (auto it = paramsType.find("name"); it != paramsType.end()) nom = it->second;
        const std::string_view type = Rogner(std::string_view(p.ContentType).substr(
            0, std::min(p.ContentType.size(), p.ContentType.find(';'))));
        // A part that is neither text nor a nested message is a file whatever its disposition:
        // shown as text, an inline picture would be a screenful of noise.
        const bool fichierParNature = !type.empty() && !CommencePar(type, "text/") && !CommencePar(type, "message/") &&
                                      !CommencePar(type, "multipart/");
        const bool texte = !EgalSansCasse(disposition, "attachment") &&
                           ChercherSansCasse(p.ContentType, "name") == std::string_view::npos &&
                           !paramsDisposition.count("filename") && !fichierParNature;
        p.Genre = texte ? GenrePartie::Texte : GenrePartie::PieceJointe;
        if (!texte) p.FileName = nom;
        p.CharSet = CharSetContentType(p.ContentType);
    }

    void CommencerPartie(TPartie p, Transfert t)
    {
        partie = std::move(p);
        transfert = t;
        contenu.clear();
        quantum = 0;
        sextets = 0;
        partieGardee = msg.MessageParts.size() < limites.PartiesMax;
        if (partieGardee && partie.Genre == GenrePartie::PieceJointe) {
            auto f = std::make_shared<FichierTemporaire>();
            fichier = std::fopen(f->Chemin().c_str(), "wb");
            if (!fichier)
                throw Echec(GenreEchec::Autre, "Impossible d'\xE9" "crire une pi\xE8" "ce jointe dans le dossier temporaire (" +
                                                   Utf8VersCp1252(std::strerror(errno)) + ").");
            partie.Fichier = std::move(f);
        }
    }

    void FinirPartie()
    {
        if (transfert == Transfert::Base64 || transfert == Transfert::UuBase64) {
            // A last group short of its padding gives what its sextets hold.
            char o[2];
            if (sextets == 2) {
                o[0] = static_cast<char>(quantum >> 4);
                Ecrire(o, 1);
            } else if (sextets == 3) {
                o[0] = static_cast<char>(quantum >> 10);
                o[1] = static_cast<char>((quantum >> 2) & 0xFF);
                Ecrire(o, 2);
            }
        }
        if (fichier) {
            const bool ok = std::fclose(fichier) == 0;
            fichier = nullptr;
            if (!ok) throw Echec(GenreEchec::Autre, "Impossible d'\xE9" "crire une pi\xE8" "ce jointe dans le dossier temporaire.");
        }
        if (partieGardee) {
            if (partie.Genre == GenrePartie::Texte) {
                std::size_t debut = 0;
                while (debut <= contenu.size()) {
                    std::size_t fin = contenu.find('\n', debut);
                    if (fin == Texte::npos) fin = contenu.size();
                    std::size_t f = fin;
                    if (f > debut && contenu[f - 1] == '\r') --f;
                    // The line break that ends the last line opens no new line.
                    if (!(fin == contenu.size() && debut == contenu.size() && !partie.Body.empty()))
                        partie.Body.emplace_back(contenu, debut, f - debut);
                    CompterTexte(0);
                    debut = fin + 1;
                }
                contenu.clear();
                contenu.shrink_to_fit();
            }
            msg.MessageParts.push_back(std::move(partie));
        }
        partie = TPartie();
        transfert = Transfert::Aucun;
        mode = Mode::Corps;
    }

    static Transfert TransfertDe(std::string_view cte)
    {
        const std::string_view t = Rogner(cte);
        if (EgalSansCasse(t, "base64")) return Transfert::Base64;
        if (EgalSansCasse(t, "quoted-printable")) return Transfert::QuotedPrintable;
        return Transfert::Aucun;
    }

    // 0: not a delimiter; else the level (1 = outermost) and whether it closes.
    std::pair<std::size_t, bool> Delimiteur(std::string_view ligne) const
    {
        if (boundaries.empty() || ligne.size() < 3 || ligne[0] != '-' || ligne[1] != '-') return {0, false};
        const std::string_view l = SansBlancsFinaux(ligne.substr(2));
        for (std::size_t k = boundaries.size(); k-- > 0;) {
            const Texte& b = boundaries[k];
            if (l.size() == b.size() && EgalSansCasse(l, b)) return {k + 1, false};
            if (l.size() == b.size() + 2 && EgalSansCasse(l.substr(0, b.size()), b) && l.substr(b.size()) == "--")
                return {k + 1, true};
        }
        return {0, false};
    }

    void Base64(std::string_view l)
    {
        char o[3 * 64];
        std::size_t n = 0;
        for (char ch : l) {
            if (ch == '=') {
                // Padding ends the group; what follows on the line starts afresh (some mailers
                // glue encoded chunks together).
                if (sextets == 2) o[n++] = static_cast<char>(quantum >> 4);
                else if (sextets == 3) {
                    o[n++] = static_cast<char>(quantum >> 10);
                    o[n++] = static_cast<char>((quantum >> 2) & 0xFF);
                }
                quantum = 0;
                sextets = 0;
            } else {
                const int s = ValeurBase64(static_cast<unsigned char>(ch));
                if (s < 0) continue;
                quantum = (quantum << 6) | static_cast<unsigned>(s);
                if (++sextets == 4) {
                    o[n++] = static_cast<char>((quantum >> 16) & 0xFF);
                    o[n++] = static_cast<char>((quantum >> 8) & 0xFF);
                    o[n++] = static_cast<char>(quantum & 0xFF);
                    quantum = 0;
                    sextets = 0;
                }
            }
            if (n + 3 > sizeof o) {
                Ecrire(o, n);
                n = 0;
            }
        }
        Ecrire(o, n);
    }

    void QuotedPrintable(std::string_view l)
    {
        Texte o;
        o.reserve(l.size() + 2);
        // Blanks at the end of an encoded line were added in transport.
        l = SansBlancsFinaux(l);
        bool coupure = false;
        for (std::size_t i = 0; i < l.size(); ++i) {
            if (l[i] == '=') {
                if (i + 1 == l.size()) {
                    coupure = true;
                    break;
                }
                if (i + 2 < l.size() && ValeurHexa(l[i + 1]) >= 0 && ValeurHexa(l[i + 2]) >= 0) {
                    o += static_cast<char>(ValeurHexa(l[i + 1]) * 16 + ValeurHexa(l[i + 2]));
                    i += 2;
                    continue;
                }
            }
            o += l[i];
        }
        if (!coupure) o += "\r\n";
        Ecrire(o);
    }

    void Uu(std::string_view l)
    {
        if (transfert == Transfert::UuBase64) {
            Base64(l);
            return;
        }
        if (l.empty()) return;
        // Each line says how many bytes it holds; decide per line whether it reads as uuencode
        // or xxencode, and skip a line that reads as neither.
        auto essayer = [&](auto sextet) -> bool {
            const int n = sextet(static_cast<unsigned char>(l[0]));
            if (n < 0 || n > 63) return false;
            const std::size_t requis = (static_cast<std::size_t>(n) + 2) / 3 * 4;
            if (l.size() - 1 < requis) return false;
            for (std::size_t i = 1; i <= requis; ++i)
                if (sextet(static_cast<unsigned char>(l[i])) < 0) return false;
            char o[48];
            std::size_t k = 0;
            for (std::size_t i = 1; i + 3 <= requis && k < static_cast<std::size_t>(n); i += 4) {
                const unsigned v = (unsigned(sextet(static_cast<unsigned char>(l[i]))) << 18) | (unsigned(sextet(static_cast<unsigned char>(l[i + 1]))) << 12) |
                                   (unsigned(sextet(static_cast<unsigned char>(l[i + 2]))) << 6) | unsigned(sextet(static_cast<unsigned char>(l[i + 3])));
                for (int b = 2; b >= 0 && k < static_cast<std::size_t>(n); --b) o[k++] = static_cast<char>((v >> (8 * b)) & 0xFF);
            }
            Ecrire(o, k);
            return true;
        };
        auto sextetUu = [](unsigned char c) { return (c >= 32 && c <= 96) ? int((c - 32) & 63) : -1; };
        if (transfert != Transfert::Xxencode && essayer(sextetUu)) return;
        if (essayer([](unsigned char c) { return SextetXx(c); })) transfert = Transfert::Xxencode;
    }

    void Contenu(std::string_view l)
    {
        switch (transfert) {
        case Transfert::Base64: Base64(l); break;
        case Transfert::QuotedPrintable: QuotedPrintable(l); break;
        default:
            Ecrire(l);
            Ecrire("\r\n");
            break;
        }
    }

    void AjouterLigneEntete(std::string_view l)
    {
        tailleEntete += l.size() + 2;
        if (tailleEntete > limites.EnteteMax) return;  // the rest of a huge header is dropped
        if ((l[0] == ' ' || l[0] == '\t') && !partie.Headers.empty()) {
            partie.Headers.back() += ' ';
            partie.Headers.back() += Rogner(l);
        } else {
            partie.Headers.emplace_back(l);
        }
    }

    void FinEntetePartie()
    {
        TPartie p = std::move(partie);
        p.ContentType = LireValeurEntete(p.Headers, "Content-Type");
        p.ContentTransferEncoding = LireValeurEntete(p.Headers, "Content-Transfer-Encoding");
        p.ContentDisposition = LireValeurEntete(p.Headers, "Content-Disposition");
        const Texte b = Boundary(p.ContentType);
        if (!b.empty()) {
            // A nested multipart: no part of its own, its parts come after its first delimiter.
            if (boundaries.size() < limites.ProfondeurMax) boundaries.push_back(b);
            partie = TPartie();
            mode = Mode::Corps;
            conteneur = true;
            return;
        }
        Nature(p);
        const Transfert t = TransfertDe(p.ContentTransferEncoding);
        CommencerPartie(std::move(p), t);
        mode = Mode::ContenuPartie;
    }

    bool DebutUu(std::string_view l)
    {
        // "begin 644 name" (also "begin-base64 644 name", the base64 form of the same tool).
        Transfert t = Transfert::Uuencode;
        std::size_t p = 6;
        if (CommencePar(l, "begin-base64 ")) {
            t = Transfert::UuBase64;
            p = 13;
        } else if (!CommencePar(l, "begin ")) {
            return false;
        }
        std::size_t q = p;
        while (q < l.size() && l[q] >= '0' && l[q] <= '7') ++q;
        if (q == p || q - p > 4 || q >= l.size() || l[q] != ' ') return false;
        TPartie pj;
        pj.Genre = GenrePartie::PieceJointe;
        pj.FileName = OctetsEnUtf8(l.substr(q + 1));
        pj.ContentType = "application/octet-stream";
        CommencerPartie(std::move(pj), t);
        mode = Mode::Uu;
        return true;
    }

    void Ligne(std::string_view l)
    {
        // The server doubled every leading dot (so that no line reads as the final "."), in
        // encoded content as well as in plain text.
        if (!l.empty() && l[0] == '.') l.remove_prefix(1);
        const auto [niveau, fermeture] = Delimiteur(l);
        if (niveau > 0) {
            if (mode == Mode::ContenuPartie || mode == Mode::Uu) FinirPartie();
            if (mode == Mode::EntetePartie) partie = TPartie();  // a header cut short: no part
            // A delimiter of an enclosing level closes the levels inside it that never got their
            // closing delimiter.
            boundaries.resize(niveau);
            conteneur = false;
            if (fermeture) {
                boundaries.pop_back();
                mode = Mode::Corps;
            } else {
                mode = Mode::EntetePartie;
                tailleEntete = 0;
            }
            return;
        }
        switch (mode) {
        case Mode::EntetePartie:
            if (l.empty()) FinEntetePartie();
            else AjouterLigneEntete(l);
            return;
        case Mode::ContenuPartie: Contenu(l); return;
        case Mode::Uu:
            if (SansBlancsFinaux(l) == "end" || (transfert == Transfert::UuBase64 && SansBlancsFinaux(l) == "====")) {
                FinirPartie();
                return;
            }
            Uu(l);
            return;
        case Mode::Corps:
            if (conteneur) return;  // the preamble of a nested multipart
            if (boundaries.empty()) {
                const Transfert t = TransfertDe(msg.ContentTransferEncoding);
                if (t != Transfert::Aucun && msg.MessageParts.empty()) {
                    // The whole body is one part described by the message's own header.
                    TPartie p;
                    p.Headers = msg.Headers;
                    p.ContentType = msg.ContentType;
                    p.ContentTransferEncoding = msg.ContentTransferEncoding;
                    p.ContentDisposition = msg.ContentDisposition;
                    Nature(p);
                    CommencerPartie(std::move(p), t);
                    mode = Mode::ContenuPartie;
                    Contenu(l);
                    return;
                }
            }
            if (DebutUu(l)) return;
            LigneCorps(l);
            return;
        }
    }
};

DecodeurCorps::DecodeurCorps(TIdMessage& msg, LimitesCorps limites) : e_(std::make_unique<Etat>(msg, limites))
{
    const Texte b = Boundary(msg.ContentType);
    if (!b.empty()) e_->boundaries.push_back(b);
}

DecodeurCorps::~DecodeurCorps() = default;

void DecodeurCorps::Ligne(std::string_view ligne) { e_->Ligne(ligne); }

void DecodeurCorps::Terminer()
{
    if (e_->mode == Etat::Mode::ContenuPartie || e_->mode == Etat::Mode::Uu) e_->FinirPartie();
    e_->mode = Etat::Mode::Corps;
}

LecteurMessage::LecteurMessage(TIdMessage& msg, LimitesCorps limites) : msg_(msg), limites_(limites) {}

LecteurMessage::~LecteurMessage() = default;

void LecteurMessage::Ligne(std::string_view ligne)
{
    if (corps_) {
        corps_->Ligne(ligne);
        return;
    }
    if (!ligne.empty()) {
        tailleEntete_ += ligne.size() + 2;
        if (tailleEntete_ > (64u << 20)) throw Echec(GenreEchec::Autre, "Bloc d'ent\xEAte du message trop long.");
        msg_.Headers.emplace_back(ligne);
        return;
    }
    Analyser();
    corps_ = std::make_unique<DecodeurCorps>(msg_, limites_);
}

void LecteurMessage::Analyser()
{
    try {
        msg_.AnalyserEntetes();
    } catch (const Echec&) {
        // A header the parse cannot read (an "@" after the address...) keeps the fields before
        // it; the user still gets to read the message, which is what a doubtful mail needs.
    }
}

void LecteurMessage::Terminer()
{
    if (!corps_) {
        Analyser();
        corps_ = std::make_unique<DecodeurCorps>(msg_, limites_);
    }
    corps_->Terminer();
}

}  // namespace vaskor
