#pragma once
// The headless commands of vaskor-cli. Each command file registers itself with a static
// EnregistrementCommande; arguments arrive as code page 1252 (converted from UTF-8) and every
// text written goes through Ecrire, which converts back to UTF-8.

#include "core/texte.h"

#include <filesystem>
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

    // Writes code page 1252 text as UTF-8.
    void Ecrire(std::string_view cp1252) const;
    void EcrireErreur(std::string_view cp1252) const;
    // Reads one line of standard input (UTF-8, CR LF or LF) as code page 1252; nullopt at end.
    std::optional<Texte> LireLigne() const;
};

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

// The program folder of --data, else the default one.
std::filesystem::path DossierDonnees(const Arguments& a);

// Runs `argv` (argv[0] being the command name). Returns the exit status.
int Executer(const std::vector<std::string>& argvUtf8, std::istream& entree, std::ostream& sortie,
             std::ostream& erreurs);

}  // namespace vaskor::cli
