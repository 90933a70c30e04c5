#include "cli/commande.h"

#include "core/config.h"
#include "core/dates.h"
#include "core/texte_date.h"
#include "platform/base/dossiers.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>
#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace vaskor::cli {

namespace {
struct Entree {
    std::string resume;  // UTF-8
    FonctionCommande f;
};
std::map<std::string, Entree>& Registre()
{
    static std::map<std::string, Entree> r;
    return r;
}
std::map<std::string, AideCommande>& Aides()
{
    static std::map<std::string, AideCommande> r;
    return r;
}

// Columns are counted in characters, not in UTF-8 bytes.
std::size_t Largeur(std::string_view utf8)
{
    return std::size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Colonnes(const std::vector<std::pair<std::string, std::string>>& lignes)
{
    std::size_t large = 0;
    for (const auto& [gauche, droite] : lignes) large = std::max(large, Largeur(gauche));
    std::string r;
    const std::string retrait(large + 5, ' ');
    for (const auto& [gauche, droite] : lignes) {
        // A description on several lines keeps its column.
        std::string texte;
        for (char c : droite) texte += c == '\n' ? "\n" + retrait : std::string(1, c);
        r += "  " + gauche + std::string(large - Largeur(gauche) + 3, ' ') + texte + "\n";
    }
    return r;
}

std::string Usage(const std::string& lignes)
{
    std::string r;
    std::size_t debut = 0;
    while (debut <= lignes.size()) {
        const std::size_t fin = std::min(lignes.find('\n', debut), lignes.size());
        r += (r.empty() ? "Usage : vaskor-cli " : "        vaskor-cli ") + lignes.substr(debut, fin - debut) + "\n";
        debut = fin + 1;
    }
    return r;
}

const char* const kTexteDonnees =
    "Dossier des données : le dossier de vaskor-cli s'il contient déjà des fichiers de Vaskor (copie\n"
    "portable), sinon $XDG_DATA_HOME/vaskor (~/.local/share/vaskor), créé au premier usage ; c'est le\n"
    "même que celui de Vaskor. --data DOSSIER en désigne un autre.\n";

const char* const kTexteStatuts =
    "Statuts de sortie : 0 réussite, 1 échec, 2 valeur d'option invalide, 3 dossier des données occupé\n"
    "par un autre contrôle, 64 usage incorrect.\n";

std::string AideGenerale()
{
    std::string r = Usage("COMMANDE [OPTIONS]\nCOMMANDE --help") +
                    "\nVaskor sans fenêtre, pour les scripts, cron et le diagnostic.\n\nCommandes :\n";
    std::vector<std::pair<std::string, std::string>> lignes;
    for (const auto& [nom, e] : Registre()) lignes.emplace_back(nom, e.resume);
    return r + Colonnes(lignes) + "\n" + kTexteDonnees + "\n" + kTexteStatuts;
}

bool EstAide(const std::string& a) { return a == "--help" || a == "-h"; }

// The help that matches the words given: "accounts add --help" shows the help of "accounts add"
// when there is one, else the command's.
const AideCommande* AideDe(const std::string& nom, const std::vector<std::string>& args)
{
    for (const std::string& a : args) {
        if (a.rfind("-", 0) == 0) continue;
        if (auto it = Aides().find(nom + " " + a); it != Aides().end()) return &it->second;
        break;
    }
    auto it = Aides().find(nom);
    return it == Aides().end() ? nullptr : &it->second;
}

// Refuses options that no help of the command declares (a misspelt --account must not turn a
// check of one account into a check of all).
void VerifierOptions(const std::string& nom, const std::vector<std::string>& args)
{
    std::map<std::string, bool> connues;  // name -> takes a value
    for (const auto& [cle, aide] : Aides())
        if (cle == nom || cle.rfind(nom + " ", 0) == 0)
            for (const OptionAide& o : aide.options) connues[o.nom] = o.valeur && *o.valeur;
    if (connues.empty()) return;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() <= 2 || a.rfind("--", 0) != 0) continue;
        const std::size_t egal = a.find('=');
        const auto it = connues.find(a.substr(0, egal));
        if (it == connues.end())
            throw ErreurCommande{"option inconnue : " + Utf8VersCp1252(a.substr(0, egal)) + ".", StatutUsage};
        if (it->second && egal == std::string::npos) ++i;
    }
}

}  // namespace

const OptionAide OptionData = {"--data", "DOSSIER", "dossier des données (voir vaskor-cli --help)"};
const OptionAide OptionDecodageModerne = {"--decodage-moderne", "0|1",
                                          "entêtes décodés comme les messageries actuelles (UTF-8) ou non, pour cette "
                                          "fois (par défaut : le réglage DecodageModerne)"};

bool DecodageModerne(const Arguments& a, const std::function<bool()>& parametre)
{
    if (!a.options.count("--decodage-moderne")) return parametre();
    const Texte v = a.Valeur("--decodage-moderne");
    if (v == "0" || v == "1") return v == "1";
    throw ErreurCommande{"--decodage-moderne attend 0 ou 1, pas \xAB " + v + " \xBB.", StatutValeurInvalide};
}

bool DecodageModerneDuDossier(const std::filesystem::path& dossier)
{
    TConfig config;
    ChargerConfig(dossier, config, EnvironnementConfig{});
    return config.DecodageModerne;
}

EnregistrementCommande::EnregistrementCommande(const char* nom, const char* resume, FonctionCommande f)
{
    Registre()[nom] = {resume, std::move(f)};
}

EnregistrementAide::EnregistrementAide(AideCommande aide)
{
    const std::string nom = aide.nom;
    Aides()[nom] = std::move(aide);
}

std::string TexteAide(const AideCommande& aide)
{
    std::string r = Usage(aide.usage);
    if (!aide.description.empty()) r += "\n" + aide.description + (aide.description.back() == '\n' ? "" : "\n");
    std::vector<std::pair<std::string, std::string>> lignes;
    for (const OptionAide& o : aide.options)
        lignes.emplace_back(std::string(o.nom) + (o.valeur && *o.valeur ? std::string(" ") + o.valeur : std::string()),
                            o.texte);
    lignes.emplace_back("-h, --help", "affiche cette aide");
    return r + "\nOptions :\n" + Colonnes(lignes);
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

namespace {
// The terminal as it was before the password prompt: Ctrl+C (or a kill) while the echo is off
// must give it back before the program ends.
termios terminalAvant{};
void RetablirEcho(int signal)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &terminalAvant);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}
}  // namespace

std::optional<TexteSecret> Contexte::LireMotDePasse(const char* invite) const
{
    const bool sansEcho = terminal && ::tcgetattr(STDIN_FILENO, &terminalAvant) == 0;
    using Gestionnaire = void (*)(int);
    Gestionnaire anciens[3] = {};
    constexpr int signaux[3] = {SIGINT, SIGTERM, SIGHUP};
    if (sansEcho) {
        erreurs << invite << std::flush;
        for (int i = 0; i < 3; ++i) anciens[i] = ::signal(signaux[i], RetablirEcho);
        termios t = terminalAvant;
        t.c_lflag &= ~tcflag_t(ECHO);
        t.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &t);
    }
    std::optional<TexteSecret> r;
    {
        // Sized once, so that reading does not leave partial copies in freed buffers.
        std::string l;
        l.reserve(1024);
        if (std::getline(entree, l)) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            r.emplace(Utf8VersCp1252(l));
        }
        EffacerTexte(l);
    }
    if (sansEcho) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminalAvant);
        for (int i = 0; i < 3; ++i) ::signal(signaux[i], anciens[i]);
    }
    return r;
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
    if (a.options.count("--data")) {
        const Texte& nom = a.options.at("--data");
        const std::filesystem::path p(Cp1252VersUtf8(nom));
        std::error_code ec;
        if (!std::filesystem::exists(p, ec))
            throw ErreurCommande{"le dossier des donn\xE9" "es \xAB " + nom + " \xBB n'existe pas.", StatutEchec};
        if (!std::filesystem::is_directory(p, ec))
            throw ErreurCommande{"\xAB " + nom + " \xBB n'est pas un dossier.", StatutEchec};
        return p;
    }
    const ResultatDossier r = DossierProgrammeDetaille();
    if (!r.erreur.empty()) throw ErreurCommande{Utf8VersCp1252(r.erreur), StatutEchec};
    return r.dossier;
}

std::int64_t ValeurEntiere(const Arguments& a, const std::string& nom, std::int64_t min, std::int64_t max,
                           std::int64_t defaut)
{
    const auto it = a.options.find(nom);
    if (it == a.options.end()) return defaut;
    const Texte& v = it->second;
    std::int64_t n = 0;
    const char* debut = v.data() + (!v.empty() && v[0] == '+' ? 1 : 0);
    const auto [fin, ec] = std::from_chars(debut, v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || fin != v.data() + v.size() || n < min || n > max)
        throw ErreurCommande{nom + " attend un nombre entier de " + std::to_string(min) + " \xE0 " +
                                 std::to_string(max) + ", pas \xAB " + v + " \xBB.",
                             StatutValeurInvalide};
    return n;
}

Texte MaintenantIso() { return FormaterIso(MaintenantLocal()); }

Texte DateIso(const Texte& texteDate)
{
    TDateHeure d = 0;
    return !texteDate.empty() && LireTexteDate(texteDate, d) ? Texte(FormaterIso(d)) : texteDate;
}

Texte LigneJournalIso(const Texte& ligne)
{
    std::size_t debut = 0;
    for (int champ = 0; champ < 3; ++champ) {
        debut = ligne.find('\t', debut);
        if (debut == Texte::npos) return ligne;
        ++debut;
    }
    const std::size_t fin = ligne.find('\t', debut);
    if (fin == Texte::npos) return ligne;
    return ligne.substr(0, debut) + DateIso(ligne.substr(debut, fin - debut)) + ligne.substr(fin);
}

int Executer(const std::vector<std::string>& argvUtf8, std::istream& entree, std::ostream& sortie,
             std::ostream& erreurs, bool terminal)
{
    if (argvUtf8.empty()) {
        erreurs << AideGenerale();
        return StatutUsage;
    }
    const std::string& nom = argvUtf8[0];
    if (EstAide(nom) || (nom == "help" && argvUtf8.size() == 1)) {
        sortie << AideGenerale();
        return 0;
    }
    std::vector<std::string> args(argvUtf8.begin() + 1, argvUtf8.end());
    // "help accounts add" as "accounts add --help".
    const bool aide = nom == "help" || std::any_of(args.begin(), args.end(), EstAide);
    const std::string commande = nom == "help" ? args.front() : nom;
    if (nom == "help") args.erase(args.begin());

    auto it = Registre().find(commande);
    if (it == Registre().end()) {
        erreurs << "vaskor-cli : commande inconnue \xC2\xAB " << commande
                << " \xC2\xBB (vaskor-cli --help les liste).\n";
        return StatutUsage;
    }
    if (aide) {
        if (const AideCommande* a = AideDe(commande, args)) sortie << TexteAide(*a);
        else sortie << Usage(commande + " [OPTIONS]") << "\n" << it->second.resume << "\n";
        return 0;
    }
    Contexte c{{}, entree, sortie, erreurs, terminal};
    for (const std::string& a : args) c.args.push_back(Utf8VersCp1252(a));
    try {
        VerifierOptions(commande, args);
        return it->second.f(c);
    } catch (const ErreurCommande& e) {
        c.EcrireErreur("vaskor-cli " + Utf8VersCp1252(commande) + " : " + e.message + "\n");
        if (e.statut == StatutUsage || e.statut == StatutValeurInvalide) {
            const AideCommande* a = AideDe(commande, args);
            c.EcrireErreur("Aide : vaskor-cli " + Utf8VersCp1252(a ? a->nom : commande) + " --help\n");
        }
        return e.statut;
    }
}

}  // namespace vaskor::cli
