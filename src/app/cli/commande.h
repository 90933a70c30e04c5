#pragma once
// The headless commands of vaskor-cli. Each command file registers itself with a static
// EnregistrementCommande; arguments arrive as code page 1252 (converted from UTF-8) and every
// text written goes through Ecrire, which converts back to UTF-8.

#include "core/secret.h"
#include "core/texte.h"

#include <filesystem>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vaskor::cli {

struct Contexte {
    std::vector<Texte> args;  // after the command name, code page 1252
    std::istream& entree;
    std::ostream& sortie;
    std::ostream& erreurs;
    bool terminal = false;  // standard input is a terminal (a person types)

    // Writes code page 1252 text as UTF-8.
    void Ecrire(std::string_view cp1252) const;
    void EcrireErreur(std::string_view cp1252) const;
    // Reads one line of standard input (UTF-8, CR LF or LF) as code page 1252; nullopt at end.
    std::optional<Texte> LireLigne() const;
    // A password: on a terminal, asked with `invite` on standard error and typed without echo;
    // otherwise the first line of standard input, as scripts give it. nullopt at end of input.
    // Our copies of it are wiped when freed.
    std::optional<TexteSecret> LireMotDePasse(const char* invite = "Mot de passe : ") const;
};

// Exit statuses of every command.
inline constexpr int StatutEchec = 1;            // the work failed (server, file, nothing to do)
inline constexpr int StatutValeurInvalide = 2;   // an option's value is not a valid number or choice
inline constexpr int StatutUsage = 64;           // unknown command or option, missing argument

// Thrown by the argument helpers and the data-folder lookup; Executer writes `message` (code
// page 1252, one or more lines) on standard error and ends with `statut`.
struct ErreurCommande {
    Texte message;
    int statut = StatutUsage;
};

// One line of a command's help: "--port P" and what it does (UTF-8). `valeur` is null (or
// empty) for an option without value; a description may hold line breaks.
struct OptionAide {
    const char* nom;
    const char* valeur;
    const char* texte;
};
// The help of a command or of one of its subcommands ("accounts add"): `usage` holds one or more
// lines (without "vaskor-cli "), `description` a paragraph, then the options in the order shown.
// "-h, --help" is added. A command that declares its help also has its options checked: an
// option that no help of the command declares is refused (status 64) before the command runs.
struct AideCommande {
    std::string nom;
    std::string usage;
    std::string description;
    std::vector<OptionAide> options;
};
struct EnregistrementAide {
    explicit EnregistrementAide(AideCommande aide);
};
// The --data line, shared by every command that works on the data files.
extern const OptionAide OptionData;
// The --decodage-moderne line of the commands that parse headers.
extern const OptionAide OptionDecodageModerne;
// The help as printed, with the option column aligned.
std::string TexteAide(const AideCommande& aide);


using FonctionCommande = std::function<int(Contexte&)>;

struct EnregistrementCommande {
    EnregistrementCommande(const char* nom, const char* resume, FonctionCommande f);
};

// Options of the form "--nom valeur" or "--nom=valeur"; the names in `drapeaux` take no value.
struct Arguments {
    std::map<std::string, Texte> options;
    std::set<std::string> drapeaux;
    std::vector<Texte> positionnels;
    std::string erreur;  // non-empty when the arguments could not be read

    bool A(const std::string& nom) const { return options.count(nom) || drapeaux.count(nom); }
    Texte Valeur(const std::string& nom, const Texte& defaut = {}) const
    {
        auto it = options.find(nom);
        return it == options.end() ? defaut : it->second;
    }
};
Arguments AnalyserArguments(const std::vector<Texte>& args, const std::set<std::string>& drapeaux = {});

// The program folder of --data (which must be an existing folder), else the one of the
// data-folder rule. Throws ErreurCommande (status 1) with a French text and the path when the
// folder is missing or cannot be created.
std::filesystem::path DossierDonnees(const Arguments& a);

// The whole number given to option `nom`, within [min, max]; `defaut` when the option is absent.
// Anything else (letters, a sign where none is allowed, out of range) throws ErreurCommande
// with status 2.
std::int64_t ValeurEntiere(const Arguments& a, const std::string& nom, std::int64_t min, std::int64_t max,
                           std::int64_t defaut);

// The header decoding of a run: "--decodage-moderne 0|1" when given (another value throws
// ErreurCommande, status 2), else what `parametre` gives (the settings' DecodageModerne).
bool DecodageModerne(const Arguments& a, const std::function<bool()>& parametre);
// The settings' DecodageModerne of the program folder (its default when the file is missing or
// unreadable; the commands that need the rest of the settings load them themselves).
bool DecodageModerneDuDossier(const std::filesystem::path& dossier);

// Now, local, "YYYY-MM-DD HH:MM:SS": the one date format of every command.
Texte MaintenantIso();
// A date of the window's format (a list row, a journal line) in that format; kept as it is
// when it cannot be read back.
Texte DateIso(const Texte& texteDate);
// A journal line with its date field (the fourth) in that format.
Texte LigneJournalIso(const Texte& ligne);

// Runs `argv` (argv[0] being the command name). Returns the exit status.
// `terminal`: standard input is a terminal (passwords are then asked without echo).
int Executer(const std::vector<std::string>& argvUtf8, std::istream& entree, std::ostream& sortie,
             std::ostream& erreurs, bool terminal = false);

}  // namespace vaskor::cli
