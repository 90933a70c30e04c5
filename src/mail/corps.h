#pragma once
// The body of a message retrieved whole: its lines outside any part, and its MIME parts (text
// parts and attachments), with base64, quoted-printable and uuencoded content decoded. The
// decoder takes the lines one at a time as the server sends them, so an attachment goes to its
// temporary file as it arrives and only the text is held in memory.
//
// Attachments live in files of one private folder (mode 0700) made on first use under the
// system's temporary folder; each file goes with the last copy of its attachment, and the
// folder with whatever is left in it when the program ends normally. The folder's name holds the
// process number, so that the next start removes what a killed copy left behind.

#include "core/texte.h"
#include "mail/jeux_caracteres.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace vaskor {

enum class GenrePartie { Inconnue, Texte, PieceJointe };

// A file of the private folder, removed when the object goes.
class FichierTemporaire {
public:
    // Creates an empty file (mode 0600). Throws Echec (GenreEchec::Autre) when it cannot.
    FichierTemporaire();
    ~FichierTemporaire();
    FichierTemporaire(const FichierTemporaire&) = delete;
    FichierTemporaire& operator=(const FichierTemporaire&) = delete;
    const std::filesystem::path& Chemin() const { return chemin_; }

private:
    std::filesystem::path chemin_;
};

// The private folder of this process (created on first call).
std::filesystem::path DossierTemporairePrive();

struct TPartie {
    GenrePartie Genre = GenrePartie::Inconnue;
    Texte ContentType;  // the part's Content-Type value, as written
    Texte ContentTransferEncoding;
    Texte ContentDisposition;
    Texte CharSet;
    std::vector<Texte> Headers;  // "Name: value", continuation lines joined
    // Text part: the decoded text split into lines, bytes in CharSet.
    std::vector<Texte> Body;
    // Attachment: the name its sender gave (decoded, possibly hostile: see NomFichierSur), the
    // decoded size and the file that holds the bytes.
    TexteUtf8 FileName;
    std::int64_t Taille = 0;
    std::shared_ptr<const FichierTemporaire> Fichier;

    // Copies the decoded content to `cible` (through a temporary file renamed over it, so a
    // failure leaves an existing file whole). On failure `erreur` gets the system's reason.
    bool SaveToFile(const std::filesystem::path& cible, std::string* erreur = nullptr) const;
};

// Bounds that keep a hostile or broken message from filling the memory or the disk.
struct LimitesCorps {
    std::size_t TexteMax = 64u << 20;              // text held in memory, body lines and text parts
    std::uint64_t PiecesJointesMax = 512ull << 20;  // bytes of all attachments together, on disk
    std::size_t PartiesMax = 1000;                 // parts kept; later ones are read and dropped
    std::size_t ProfondeurMax = 32;                // nested multiparts
    std::size_t EnteteMax = 256u << 10;            // bytes of one part's header
};

// MIME parameters of a header value ("attachment; filename*=UTF-8''na%C3%AFve.txt"), names in
// lower case, values in UTF-8: quotes and escapes removed, RFC 2231 pieces joined and decoded
// in their charset, RFC 2047 words decoded.
std::map<std::string, TexteUtf8> ParametresMime(std::string_view valeur);

// A name that can be written as one file in a chosen folder and nowhere else: what follows the
// last "/" or "\", without control characters, leading dots or blanks and trailing dots or
// blanks, at most 200 bytes; empty, "." and "..", and the names Windows reserves (CON, NUL,
// COM1...) become "piece-jointe" (the reserved ones keep their extension after it).
TexteUtf8 NomFichierSur(std::string_view nomUtf8);

class TIdMessage;

// Fills msg.Body and msg.MessageParts from the body lines, as received after the header block
// (CR LF removed, dot-stuffing kept, the final "." not given). Uses the message's own
// Content-Type and Content-Transfer-Encoding, so the header is parsed first.
class DecodeurCorps {
public:
    explicit DecodeurCorps(TIdMessage& msg, LimitesCorps limites = {});
    ~DecodeurCorps();
    DecodeurCorps(const DecodeurCorps&) = delete;
    DecodeurCorps& operator=(const DecodeurCorps&) = delete;

    // Throws Echec (GenreEchec::Autre) when a limit of the text or the attachments is passed,
    // or when a temporary file cannot be written.
    void Ligne(std::string_view ligne);
    // The body ended: a part still open is finished with what it received.
    void Terminer();

private:
    struct Etat;
    std::unique_ptr<Etat> e_;
};

// A whole message as RETR sends it: the header block up to its first empty line (kept in
// msg.Headers as a TOP fetch would, then parsed; a header the parse refuses leaves the later
// fields empty but does not stop the reading), then the body through DecodeurCorps.
class LecteurMessage {
public:
    explicit LecteurMessage(TIdMessage& msg, LimitesCorps limites = {});
    ~LecteurMessage();
    void Ligne(std::string_view ligne);
    void Terminer();

private:
    void Analyser();
    TIdMessage& msg_;
    LimitesCorps limites_;
    std::size_t tailleEntete_ = 0;
    std::unique_ptr<DecodeurCorps> corps_;
};

}  // namespace vaskor
