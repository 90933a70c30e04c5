#pragma once
// The parsed header of one message (`IdMessage`), its address items, and the summary that each
// row of the message list keeps (`TResumeMessage`).

#include "core/compte.h"
#include "core/dates.h"
#include "core/texte.h"
#include "mail/corps.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vaskor {

using ListeEntetes = std::vector<Texte>;

// An address item: a display name and an address.
struct TElementAdresse {
    Texte Name;
    Texte Address;
};

// Parses one address ("Anne Martin <anne@exemple.fr>", "anne@exemple.fr (Anne)"...).
// Throws Echec (GenreEchec::Autre) with "@ Outside address" for an "@" after the closing ">".
TElementAdresse AnalyserAdresse(std::string_view texte);
// The display text of an address item.
Texte TexteAdresse(const TElementAdresse& e);
// Parses an address list (To, Cc, Reply-To), groups included.
std::vector<TElementAdresse> AnalyserListeAdresses(std::string_view texte);

// Value of the first header line named `nom` (case-insensitive), folded lines joined.
Texte LireValeurEntete(const ListeEntetes& entetes, std::string_view nom);
// LireValeurEntete for each of `noms`, into `valeurs` at the same positions, in one pass over the
// block.
void LireValeursEntetes(const ListeEntetes& entetes, const std::string_view* noms, std::size_t nombre, Texte* valeurs);
// Appends the value of every line named `nom` to `cible`, in order.
void LireValeurEntete(const ListeEntetes& entetes, std::string_view nom, std::vector<Texte>& cible);
// Decodes the encoded words of charsets ISO-* and WINDOWS-*. Throws Echec for a bad Q escape.
Texte DecoderEntete(std::string_view texte);
// Decodes as today's mail readers do: encoded words of every charset the system knows (UTF-8
// above all), blanks between adjacent encoded words dropped, raw 8-bit bytes that form valid
// UTF-8 read as UTF-8; characters that code page 1252 lacks become "?". Never throws.
Texte DecoderEnteteModerne(std::string_view texte);
// One of the two above.
Texte DecoderEntete(std::string_view texte, bool moderne);
// A date header as a local date-time.
TDateHeure DateInternet(std::string_view texte);
// The program's reading of a date header: every date DateInternet reads keeps its value (except
// that the zone names UT, GMT, EST ... PDT give their offsets), and the other shapes that RFC
// 5322 allows are read too. False when the text holds no date: `d` then gets what DateInternet
// gives, and the date is shown empty.
bool LireDateInternet(std::string_view texte, TDateHeure& d);

// The header lines of a raw message or header block, as a TOP fetch would append them: lines end
// at LF (a CR before it is removed) and the block ends at the first empty line.
ListeEntetes LignesEnteteDepuisTexte(std::string_view texte);

class TIdMessage {
public:
    ListeEntetes Headers;
    TElementAdresse From;
    TElementAdresse Sender;
    Texte Subject;
    TDateHeure Date = 0;
    // Set by the parse: false when no date could be read (shown empty, sorted first).
    bool DateLisible = true;
    Texte ContentType, CharSet, ContentTransferEncoding, ContentDisposition;
    Texte MsgId, Organization, References, NewsGroups, Priority;
    std::vector<TElementAdresse> Recipients, CCList, ReplyTo;
    TElementAdresse ReceiptRecipient;
    ListeEntetes ExtraHeaders;  // never filled by the parse of a received header block
    // Every line of a message retrieved whole, as received up to the final "." (dot-stuffing
    // kept), for the body decoding.
    std::vector<Texte> LignesBrutes;
    // After a whole retrieval (LecteurMessage): the lines outside any part (dot-stuffing undone)
    // and the MIME parts in message order.
    std::vector<Texte> Body;
    std::vector<TPartie> MessageParts;
    // Which decoding the parse applies to the decoded headers (DecoderEntete); kept by Clear.
    bool DecodageModerne = false;

    // Empties every field, the raw header list included.
    void Clear();
    // Fills every field from Headers. Throws Echec when the header block is unreadable; the
    // fields parsed before the failure keep their values.
    void AnalyserEntetes();
};

// The account of a row, shared by every row of one account's check: a list of tens of thousands
// of rows holds one copy of the record (and of its password in clear), not one per row. Read it
// as a TCompte (the conversion, or ->).
class CompteLigne {
public:
    CompteLigne();  // a blank record, as TCompte::Vierge()
    CompteLigne(const TCompte& compte);  // a copy of its own
    operator const TCompte&() const { return *compte_; }
    const TCompte* operator->() const { return compte_.get(); }

private:
    std::shared_ptr<const TCompte> compte_;
};

// What a row of the message list keeps of its message.
struct TResumeMessage {
    std::int32_t Numero = 0;  // number on the server in the next session (1-based)
    Texte Raison;             // at most 255 characters
    ListeEntetes Entetes;     // the raw header lines at the time of the check
    bool EntetesReduites = false;  // Entetes keeps only some lines (a run past its header ceiling)
    CompteLigne Compte;  // the account, password in clear
};

}  // namespace vaskor
