#pragma once
// A sectioned settings file ("[Section]" lines, then "Key=Value" lines), read and written in
// code page 1252 by our own code: the file is kept line by line, so that an update changes only
// the lines of the keys it writes and every other line (comments, keys of other programs or of
// older versions, blank lines) comes back byte for byte.
//
// Reading follows the classic profile-file rules: section and key names are matched without
// regard to letter case and with the blanks around them ignored; the first section of a name and
// the first key of a name in it win; a value is the text after the first "=", blanks around it
// removed, and a pair of matching quotes around the whole value removed.

#include "core/fichiers.h"
#include "core/texte.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vaskor {

// Names compare with letters of either case taken as equal: A..Z and the accented capitals of
// code page 1252 (À..Þ, Š, Œ, Ž, Ÿ) match their small forms.
bool EgalNomIni(std::string_view a, std::string_view b);

// Reads an integer value: decimal with an optional sign, or, when the text is longer than two
// characters and starts with "0x" or "0X", hexadecimal (up to eight digits, taken as the 32 bits
// of the number, so "0xFFFFFFFF" is -1). Blanks around the text are ignored. Anything else, or a
// decimal number outside the 32-bit range, fails.
bool LireEntierIni(std::string_view valeur, std::int32_t& resultat);

class FichierIni {
public:
    // A file larger than this is refused: a settings file holds a few hundred bytes, and a huge
    // one (a wrong file, or garbage) would only cost memory and time.
    static constexpr std::size_t TailleMax = 1u << 20;

    FichierIni() = default;
    // Splits the bytes into lines (LF or CR LF). A file that starts with the UTF-8 byte-order
    // mark (saved by an editor as UTF-8) is converted to code page 1252 here and back on writing.
    explicit FichierIni(std::string_view octets);

    // Reads the file: a missing file gives an empty one (not an error); a file that cannot be
    // read or is too large gives an empty one and the reason.
    ResultatFichier Charger(const fs::path& chemin);
    // The whole file as bytes, every line ended the way the file's first line was ended (CR LF
    // for a new file).
    std::string Assembler() const;

    bool ASection(std::string_view section) const;
    bool ACle(std::string_view section, std::string_view cle) const;
    std::optional<Texte> Lire(std::string_view section, std::string_view cle) const;
    Texte LireTexte(std::string_view section, std::string_view cle, const Texte& defaut) const;
    // A missing, empty or unreadable value gives the default.
    std::int32_t LireEntier(std::string_view section, std::string_view cle, std::int32_t defaut) const;
    // An integer, non-zero meaning true.
    bool LireBooleen(std::string_view section, std::string_view cle, bool defaut) const;
    // The key names of the section, in file order, each once.
    std::vector<Texte> Cles(std::string_view section) const;

    // An existing key is updated where it stands; a new key goes after the last key of its
    // section, a new section at the end of the file. CR and LF, which would cut the line, become
    // blanks. Returns false, changing nothing, for a key name that cannot stand in the file
    // (empty, or holding "=", or starting with "[" or ";").
    bool Ecrire(std::string_view section, std::string_view cle, std::string_view valeur);
    bool EcrireEntier(std::string_view section, std::string_view cle, std::int32_t valeur);
    bool EcrireBooleen(std::string_view section, std::string_view cle, bool valeur);
    // Removes every section of this name with all its lines.
    void EffacerSection(std::string_view section);
    // Rewrites the section: removes every copy of it, then, when `cles` is not empty, adds it at
    // the end of the file with one "name=" line per name, in order. Names that cannot stand as a
    // key are left out, and a name repeated (letter case aside) is written once. The same as
    // EffacerSection then Ecrire(section, name, "") for each name, in time linear in the file
    // even for a damaged file of thousands of names or copies of the section.
    void RemplacerSectionCles(std::string_view section, const std::vector<Texte>& cles);

    std::size_t NombreLignes() const { return lignes_.size(); }

private:
    struct Bornes {
        std::size_t debut;  // the section line
        std::size_t fin;    // one past its last line
    };
    std::optional<Bornes> TrouverSection(std::string_view section) const;
    std::optional<std::size_t> TrouverCle(const Bornes& b, std::string_view cle) const;

    struct Ligne {
        std::string texte;                // code page 1252
        std::optional<std::string> utf8;  // a UTF-8 file's line as read, written back unchanged
    };
    std::vector<Ligne> lignes_;
    bool crlf_ = true;
    bool utf8_ = false;
};

}  // namespace vaskor
