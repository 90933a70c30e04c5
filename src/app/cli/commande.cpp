#include "cli/commande.h"

#include "platform/base/dossiers.h"

#include <iostream>
#include <istream>
#include <ostream>

namespace vaskor::cli {

namespace {
struct Entree {
    std::string resume;
    FonctionCommande f;
};
std::map<std::string, Entree>& Registre()
{
    static std::map<std::string, Entree> r;
    return r;
}
}  // namespace

EnregistrementCommande::EnregistrementCommande(const char* nom, const char* resume, FonctionCommande f)
{
    Registre()[nom] = {resume, std::move(f)};
}

void Contexte::Ecrire(std::string_view cp1252) const { sortie << Cp1252VersUtf8(cp1252); }
void Contexte::EcrireErreur(std::string_view cp1252) const { erreurs << Cp1252VersUtf8(cp1252); }

std::optional<Texte> Contexte::LireLigne() const
{
    std::string l;
    if (!std::getline(entree, l)) return std::nullopt;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    return Utf8VersCp1252(l);
}

Arguments AnalyserArguments(const std::vector<Texte>& args, const std::set<std::string>& drapeaux)
{
    Arguments a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Texte& x = args[i];
        if (x.size() > 2 && x.rfind("--", 0) == 0) {
            const auto egal = x.find('=');
            const std::string nom = x.substr(0, egal);
            if (drapeaux.count(nom)) {
                a.drapeaux.insert(nom);
            } else if (egal != std::string::npos) {
                a.options[nom] = x.substr(egal + 1);
            } else if (i + 1 < args.size()) {
                a.options[nom] = args[++i];
            } else {
                a.erreur = "L'option " + nom + " attend une valeur.";
            }
        } else {
            a.positionnels.push_back(x);
        }
    }
    return a;
}

std::filesystem::path DossierDonnees(const Arguments& a)
{
    if (a.options.count("--data")) return std::filesystem::path(Cp1252VersUtf8(a.options.at("--data")));
    return DossierProgramme();
}

int Executer(const std::vector<std::string>& argvUtf8, std::istream& entree, std::ostream& sortie,
             std::ostream& erreurs)
{
    if (argvUtf8.empty() || argvUtf8[0] == "--help" || argvUtf8[0] == "-h" || argvUtf8[0] == "help") {
        sortie << "Usage: vaskor-cli COMMAND [OPTIONS]\n\nCommands:\n";
        for (const auto& [nom, e] : Registre()) sortie << "  " << nom << "\t" << e.resume << "\n";
        return argvUtf8.empty() ? 64 : 0;
    }
    auto it = Registre().find(argvUtf8[0]);
    if (it == Registre().end()) {
        erreurs << "vaskor-cli: unknown command '" << argvUtf8[0] << "' (vaskor-cli --help lists them)\n";
        return 64;
    }
    Contexte c{{}, entree, sortie, erreurs};
    for (std::size_t i = 1; i < argvUtf8.size(); ++i) c.args.push_back(Utf8VersCp1252(argvUtf8[i]));
    return it->second.f(c);
}

}  // namespace vaskor::cli
