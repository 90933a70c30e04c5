#include "core/fichier_ini.h"

#include <limits>
#include <unordered_set>

namespace vaskor {

namespace {

unsigned char PlierLettre(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    // À..Þ (but not ×) and their small forms à..þ sit 32 apart in the code page.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;  // Š
    case 0x8C: return 0x9C;  // Œ
    case 0x8E: return 0x9E;  // Ž
    case 0x9F: return 0xFF;  // Ÿ
    default: return c;
    }
}

std::string Plier(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = static_cast<char>(PlierLettre(static_cast<unsigned char>(c)));
    return r;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

enum class Genre { Autre, Section, Cle };

struct LigneLue {
    Genre genre = Genre::Autre;
    std::string_view nom;     // section or key name, trimmed
    std::string_view valeur;  // key value as written, trimmed
};

LigneLue Analyser(std::string_view ligne)
{
    LigneLue r;
    const std::string_view l = RognerGauche(ligne);
    if (l.empty() || l.front() == ';') return r;
    if (l.front() == '[') {
        const std::string_view reste = l.substr(1);
        r.genre = Genre::Section;
        r.nom = Rogner(reste.substr(0, reste.find(']')));
        return r;
    }
    const std::size_t egal = l.find('=');
    if (egal == std::string_view::npos) return r;
    r.nom = Rogner(l.substr(0, egal));
    if (r.nom.empty()) return r;
    r.genre = Genre::Cle;
    r.valeur = Rogner(l.substr(egal + 1));
    return r;
}

std::string_view SansGuillemets(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string SansFinDeLigne(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

bool NomValide(std::string_view nom)
{
    if (nom.empty() || nom != Rogner(nom)) return false;
    if (nom.find('=') != std::string_view::npos) return false;
    if (nom.find_first_of("\r\n") != std::string_view::npos) return false;
    return nom.front() != '[' && nom.front() != ';';
}

}  // namespace

bool EgalNomIni(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (PlierLettre(static_cast<unsigned char>(a[i])) != PlierLettre(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool LireEntierIni(std::string_view valeur, std::int32_t& resultat)
{
    const std::string_view v = Rogner(valeur);
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        std::string_view chiffres = v.substr(2);
        // Leading zeros do not count towards the eight digits: "0x000000001" is 1.
        while (chiffres.size() > 1 && chiffres.front() == '0') chiffres.remove_prefix(1);
        if (chiffres.size() > 8) return false;
        std::uint32_t n = 0;
        for (char c : chiffres) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return false;
            n = n * 16 + std::uint32_t(d);
        }
        resultat = static_cast<std::int32_t>(n);
        return true;
    }
    std::size_t i = 0;
    bool negatif = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negatif = v[i++] == '-';
    if (i == v.size()) return false;
    std::int64_t n = 0;
    for (; i < v.size(); ++i) {
        if (v[i] < '0' || v[i] > '9') return false;
        n = n * 10 + (v[i] - '0');
        if (n > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1) return false;
    }
    if (negatif) n = -n;
    if (n > std::numeric_limits<std::int32_t>::max()) return false;
    resultat = static_cast<std::int32_t>(n);
    return true;
}

FichierIni::FichierIni(std::string_view octets)
{
    if (octets.substr(0, kBom.size()) == kBom) {
        utf8_ = true;
        octets.remove_prefix(kBom.size());
    }
    const std::size_t premierLf = octets.find('\n');
    crlf_ = premierLf == std::string_view::npos || (premierLf > 0 && octets[premierLf - 1] == '\r');
    std::size_t debut = 0;
    while (debut < octets.size()) {
        std::size_t fin = octets.find('\n', debut);
        const bool derniere = fin == std::string_view::npos;
        if (derniere) fin = octets.size();
        std::string_view l = octets.substr(debut, fin - debut);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        Ligne ligne;
        if (utf8_) {
            ligne.texte = Utf8VersCp1252(l);
            ligne.utf8 = std::string(l);
        } else {
            ligne.texte = std::string(l);
        }
        lignes_.push_back(std::move(ligne));
        debut = derniere ? fin : fin + 1;
    }
}

ResultatFichier FichierIni::Charger(const fs::path& chemin)
{
    *this = FichierIni();
    std::error_code ec;
    const auto taille = fs::file_size(chemin, ec);
    if (!ec && taille > TailleMax)
        return {false, "Le fichier "_cp + Utf8VersCp1252(chemin.string()) + " est trop grand pour \xEAtre lu."};
    std::string octets;
    ResultatFichier r = LireFichier(chemin, octets);
    if (!r.ok) return r;
    if (octets.size() > TailleMax)
        return {false, "Le fichier "_cp + Utf8VersCp1252(chemin.string()) + " est trop grand pour \xEAtre lu."};
    *this = FichierIni(octets);
    return {};
}

std::string FichierIni::Assembler() const
{
    std::string r;
    if (utf8_) r += kBom;
    const std::string_view fin = crlf_ ? "\r\n" : "\n";
    for (const Ligne& l : lignes_) {
        r += !utf8_ ? l.texte : l.utf8 ? *l.utf8 : Cp1252VersUtf8(l.texte);
        r += fin;
    }
    return r;
}

std::optional<FichierIni::Bornes> FichierIni::TrouverSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lignes_.size(); ++i) {
        const LigneLue l = Analyser(lignes_[i].texte);
        if (l.genre != Genre::Section || !EgalNomIni(l.nom, Rogner(section))) continue;
        std::size_t fin = i + 1;
        while (fin < lignes_.size() && Analyser(lignes_[fin].texte).genre != Genre::Section) ++fin;
        return Bornes{i, fin};
    }
    return std::nullopt;
}

std::optional<std::size_t> FichierIni::TrouverCle(const Bornes& b, std::string_view cle) const
{
    for (std::size_t i = b.debut + 1; i < b.fin; ++i) {
        const LigneLue l = Analyser(lignes_[i].texte);
        if (l.genre == Genre::Cle && EgalNomIni(l.nom, Rogner(cle))) return i;
    }
    return std::nullopt;
}

bool FichierIni::ASection(std::string_view section) const { return TrouverSection(section).has_value(); }

bool FichierIni::ACle(std::string_view section, std::string_view cle) const
{
    const auto b = TrouverSection(section);
    return b && TrouverCle(*b, cle);
}

std::optional<Texte> FichierIni::Lire(std::string_view section, std::string_view cle) const
{
    const auto b = TrouverSection(section);
    if (!b) return std::nullopt;
    const auto i = TrouverCle(*b, cle);
    if (!i) return std::nullopt;
    return Texte(SansGuillemets(Analyser(lignes_[*i].texte).valeur));
}

Texte FichierIni::LireTexte(std::string_view section, std::string_view cle, const Texte& defaut) const
{
    auto v = Lire(section, cle);
    return v ? *v : defaut;
}

std::int32_t FichierIni::LireEntier(std::string_view section, std::string_view cle, std::int32_t defaut) const
{
    const auto v = Lire(section, cle);
    std::int32_t n;
    return v && LireEntierIni(*v, n) ? n : defaut;
}

bool FichierIni::LireBooleen(std::string_view section, std::string_view cle, bool defaut) const
{
    return LireEntier(section, cle, defaut ? 1 : 0) != 0;
}

std::vector<Texte> FichierIni::Cles(std::string_view section) const
{
    std::vector<Texte> r;
    const auto b = TrouverSection(section);
    if (!b) return r;
    std::unordered_set<std::string> vus;
    for (std::size_t i = b->debut + 1; i < b->fin; ++i) {
        const LigneLue l = Analyser(lignes_[i].texte);
        if (l.genre == Genre::Cle && vus.insert(Plier(l.nom)).second) r.emplace_back(l.nom);
    }
    return r;
}

bool FichierIni::Ecrire(std::string_view section, std::string_view cle, std::string_view valeur)
{
    if (!NomValide(cle) || !NomValide(Rogner(section)) || section.find(']') != std::string_view::npos) return false;
    const std::string v = SansFinDeLigne(valeur);
    const std::string ligne = std::string(cle) + "=" + v;
    auto b = TrouverSection(section);
    if (!b) {
        if (!lignes_.empty() && !Rogner(lignes_.back().texte).empty()) lignes_.push_back({});
        lignes_.push_back({"[" + std::string(Rogner(section)) + "]", {}});
        lignes_.push_back({ligne, {}});
        return true;
    }
    if (const auto i = TrouverCle(*b, cle)) {
        // A line that already says this is left as it is, spacing included.
        if (Analyser(lignes_[*i].texte).valeur != Rogner(v) || Rogner(v) != v) lignes_[*i] = {ligne, {}};
        return true;
    }
    std::size_t apres = b->debut + 1;
    for (std::size_t i = b->debut + 1; i < b->fin; ++i)
        if (Analyser(lignes_[i].texte).genre == Genre::Cle) apres = i + 1;
    lignes_.insert(lignes_.begin() + std::ptrdiff_t(apres), Ligne{ligne, {}});
    return true;
}

bool FichierIni::EcrireEntier(std::string_view section, std::string_view cle, std::int32_t valeur)
{
    return Ecrire(section, cle, std::to_string(valeur));
}

bool FichierIni::EcrireBooleen(std::string_view section, std::string_view cle, bool valeur)
{
    return Ecrire(section, cle, valeur ? "1" : "0");
}

void FichierIni::EffacerSection(std::string_view section)
{
    // One pass: a file with thousands of copies of the section costs its length, not its square.
    std::vector<Ligne> gardees;
    gardees.reserve(lignes_.size());
    bool dedans = false;
    for (Ligne& l : lignes_) {
        const LigneLue a = Analyser(l.texte);
        if (a.genre == Genre::Section) dedans = EgalNomIni(a.nom, Rogner(section));
        if (!dedans) gardees.push_back(std::move(l));
    }
    lignes_ = std::move(gardees);
}

void FichierIni::RemplacerSectionCles(std::string_view section, const std::vector<Texte>& cles)
{
    EffacerSection(section);
    if (!NomValide(Rogner(section)) || section.find(']') != std::string_view::npos) return;
    std::unordered_set<std::string> vus;
    bool ouverte = false;
    for (const Texte& cle : cles) {
        if (!NomValide(cle) || !vus.insert(Plier(cle)).second) continue;
        if (!ouverte) {
            if (!lignes_.empty() && !Rogner(lignes_.back().texte).empty()) lignes_.push_back({});
            lignes_.push_back({"[" + std::string(Rogner(section)) + "]", {}});
            ouverte = true;
        }
        lignes_.push_back({cle + "=", {}});
    }
}

}  // namespace vaskor
