#include "platform/base/carnet_vcard.h"

#include "core/texte.h"

#include <QByteArray>
#include <QStringDecoder>

#include <optional>
#include <string>
#include <vector>

namespace vaskor {

namespace {

bool EgalAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string Majuscules(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

std::string_view SansBlancs(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Physical lines, ending at LF with a CR before it removed.
std::vector<std::string_view> Lignes(std::string_view t)
{
    std::vector<std::string_view> r;
    std::size_t debut = 0;
    while (debut < t.size()) {
        std::size_t fin = t.find('\n', debut);
        if (fin == std::string_view::npos) fin = t.size();
        std::string_view l = t.substr(debut, fin - debut);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        r.push_back(l);
        debut = fin + 1;
    }
    return r;
}

struct Propriete {
    std::string nom;  // upper case, group removed
    std::vector<std::pair<std::string, std::string>> parametres;  // names upper case
    std::string valeur;
};

// Splits "group.NAME;P1=a;P2="x;y":value"; quotes protect ":" and ";" in parameter values.
std::optional<Propriete> Analyser(const std::string& ligne)
{
    Propriete p;
    bool guillemets = false;
    std::size_t deuxPoints = std::string::npos;
    for (std::size_t i = 0; i < ligne.size(); ++i) {
        if (ligne[i] == '"') guillemets = !guillemets;
        else if (ligne[i] == ':' && !guillemets) {
            deuxPoints = i;
            break;
        }
    }
    if (deuxPoints == std::string::npos) return std::nullopt;
    p.valeur = ligne.substr(deuxPoints + 1);
    const std::string tete = ligne.substr(0, deuxPoints);
    std::vector<std::string> morceaux;
    std::string courant;
    guillemets = false;
    for (char c : tete) {
        if (c == '"') guillemets = !guillemets;
        if (c == ';' && !guillemets) {
            morceaux.push_back(courant);
            courant.clear();
        } else {
            courant += c;
        }
    }
    morceaux.push_back(courant);
    std::string nom = morceaux.front();
    if (const std::size_t point = nom.rfind('.'); point != std::string::npos) nom = nom.substr(point + 1);
    p.nom = Majuscules(SansBlancs(nom));
    for (std::size_t i = 1; i < morceaux.size(); ++i) {
        const std::string& m = morceaux[i];
        const std::size_t egal = m.find('=');
        std::string n = egal == std::string::npos ? std::string() : Majuscules(SansBlancs(m.substr(0, egal)));
        std::string v(SansBlancs(egal == std::string::npos ? std::string_view(m) : std::string_view(m).substr(egal + 1)));
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        // vCard 2.1 writes bare parameters: "QUOTED-PRINTABLE", "INTERNET".
        if (n.empty()) {
            const std::string u = Majuscules(v);
            if (u == "QUOTED-PRINTABLE" || u == "BASE64" || u == "8BIT" || u == "7BIT") n = "ENCODING";
            else n = "TYPE";
        }
        p.parametres.emplace_back(n, v);
    }
    return p;
}

std::string Parametre(const Propriete& p, std::string_view nom)
{
    for (const auto& [n, v] : p.parametres)
        if (n == nom) return v;
    return {};
}

bool EstQuotedPrintable(const std::string& ligne)
{
    const std::size_t deuxPoints = ligne.find(':');
    const std::string tete = Majuscules(ligne.substr(0, deuxPoints));
    return tete.find("QUOTED-PRINTABLE") != std::string::npos;
}

std::string DecoderQP(std::string_view v)
{
    std::string r;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '=' && i + 2 < v.size() && ValeurHexa(v[i + 1]) >= 0 && ValeurHexa(v[i + 2]) >= 0) {
            r += char(ValeurHexa(v[i + 1]) * 16 + ValeurHexa(v[i + 2]));
            i += 2;
        } else if (v[i] == '=' && i + 1 == v.size()) {
            // a soft break left at the end
        } else {
            r += v[i];
        }
    }
    return r;
}

// "\," "\;" "\\" "\n" of vCard 3.0 and 4.0 texts.
QString SansEchappements(const QString& v)
{
    QString r;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            const QChar c = v[++i];
            r += (c == u'n' || c == u'N') ? QChar(u' ') : c;
        } else {
            r += v[i];
        }
    }
    return r;
}

QString Valeur(const Propriete& p)
{
    std::string octets = p.valeur;
    const std::string encodage = Majuscules(Parametre(p, "ENCODING"));
    if (encodage == "QUOTED-PRINTABLE") octets = DecoderQP(octets);
    else if (encodage == "B" || encodage == "BASE64")
        octets = QByteArray::fromBase64(QByteArray::fromStdString(octets)).toStdString();
    const std::string jeu = Parametre(p, "CHARSET");
    QString texte;
    if (!jeu.empty() && !EgalAscii(jeu, "UTF-8")) {
        QStringDecoder decodeur(jeu.c_str());
        if (decodeur.isValid()) texte = decodeur(QByteArray::fromStdString(octets));
        else texte = QString::fromUtf8(octets);
    } else {
        texte = QString::fromUtf8(octets);
    }
    return SansEchappements(texte).trimmed();
}

}  // namespace

QList<ContactVCard> LireVCard(std::string_view octets)
{
    // A UTF-8 byte-order mark before the first card.
    if (octets.size() >= 3 && octets.substr(0, 3) == "\xEF\xBB\xBF") octets.remove_prefix(3);
    // Logical lines: a line that starts with a blank continues the one before (the blank is
    // removed); a quoted-printable value that ends with "=" goes on with the next line.
    std::vector<std::string> logiques;
    for (std::string_view l : Lignes(octets)) {
        if (!logiques.empty() && !l.empty() && (l.front() == ' ' || l.front() == '\t')) {
            logiques.back() += l.substr(1);
            continue;
        }
        if (!logiques.empty() && EstQuotedPrintable(logiques.back()) && !logiques.back().empty() &&
            logiques.back().back() == '=') {
            logiques.back().pop_back();
            logiques.back() += l;
            continue;
        }
        logiques.emplace_back(l);
    }

    QList<ContactVCard> cartes;
    bool dansCarte = false;
    ContactVCard carte;
    QString nomN;
    auto fermer = [&] {
        if (carte.nom.isEmpty()) carte.nom = nomN;
        cartes.append(carte);
        carte = ContactVCard();
        nomN.clear();
    };
    for (const std::string& ligne : logiques) {
        const std::optional<Propriete> p = Analyser(ligne);
        if (!p) continue;
        if (p->nom == "BEGIN" && EgalAscii(SansBlancs(p->valeur), "VCARD")) {
            // A card without END is closed by the next one.
            if (dansCarte) fermer();
            dansCarte = true;
            continue;
        }
        if (!dansCarte) continue;
        if (p->nom == "END" && EgalAscii(SansBlancs(p->valeur), "VCARD")) {
            fermer();
            dansCarte = false;
        } else if (p->nom == "EMAIL") {
            QString a = Valeur(*p);
            if (a.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)) a = a.mid(7).trimmed();
            if (!a.isEmpty()) carte.adresses.append(a);
        } else if (p->nom == "FN") {
            carte.nom = Valeur(*p);
        } else if (p->nom == "N") {
            nomN = Valeur(*p).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
        }
    }
    if (dansCarte) fermer();
    return cartes;
}

}  // namespace vaskor
