#include "core/texte_date.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace vaskor {

namespace {

// One piece of a date or time pattern made only of numbers, literal text and short month names:
// a field letter ('d', 'M', 'y', 'H', 'm', 's') with its repeat count, or literal bytes.
struct Piece {
    char champ = 0;  // 0: literal; 'A': the AM/PM marker
    int repetition = 0;
    Texte litteral;
    Texte am, pm;  // the marker's two texts, as Ecrire writes them
};
using Pieces = std::vector<Piece>;

}  // namespace

struct FormatDateHeure::Donnees {
    QLocale locale;
    QString motifDate;
    QString motifHeure;
    bool anneeDeuxChiffres = false;
    // The patterns cut into pieces when a direct reading can follow them (see LireDirectement);
    // empty when not.
    Pieces piecesDate, piecesHeure;
    std::vector<Texte> moisCourts;  // "MMM", January first, as Ecrire writes them
    bool douzeHeures = false;       // "h" with an AM/PM marker
};

namespace {

bool EstBlanc(QChar c) { return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009); }

// Recent locale data puts a narrow or thin no-break space before AM/PM; code page 1252 has
// neither, and a question mark there would make the text unreadable, so a plain blank stands in.
QString BlancsOrdinaires(QString motif)
{
    motif.replace(QChar(0x202F), u' ');
    motif.replace(QChar(0x2009), u' ');
    return motif;
}

// Qt's long time format ends (or, in some locales, starts) with the time-zone name ("t", up to
// "tttt"), sometimes in brackets. The date text has never shown one: the run is dropped with its
// brackets and the blank that separated it. Quoted literal text is left alone.
QString SansFuseau(const QString& motif)
{
    QString r;
    const qsizetype n = motif.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = motif[i];
        if (c == u'\'') {
            qsizetype j = i + 1;
            while (j < n) {
                if (motif[j] == u'\'') {
                    if (j + 1 < n && motif[j + 1] == u'\'') { j += 2; continue; }
                    break;
                }
                ++j;
            }
            r += motif.mid(i, j + 1 - i);
            i = j + 1;
            continue;
        }
        if (c != u't') {
            r += c;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < n && motif[j] == u't') ++j;
        if (!r.isEmpty() && j < n &&
            ((r.back() == u'(' && motif[j] == u')') || (r.back() == u'[' && motif[j] == u']'))) {
            r.chop(1);
            ++j;
        }
        while (!r.isEmpty() && EstBlanc(r.back())) r.chop(1);
        if (r.isEmpty())
            while (j < n && EstBlanc(motif[j])) ++j;
        i = j;
    }
    return r.trimmed();
}

// Longest run of "y" outside quotes: 2 means a two-digit year.
int LongueurAnnee(const QString& motif)
{
    int max = 0;
    bool cite = false;
    for (qsizetype i = 0; i < motif.size();) {
        if (motif[i] == u'\'') { cite = !cite; ++i; continue; }
        if (!cite && motif[i] == u'y') {
            qsizetype j = i;
            while (j < motif.size() && motif[j] == u'y') ++j;
            max = std::max(max, int(j - i));
            i = j;
            continue;
        }
        ++i;
    }
    return max;
}

QLocale LocaleNommee(const std::string& nom)
{
    std::string n = nom.substr(0, nom.find_first_of(".@"));
    if (n.empty() || n == "C" || n == "POSIX") return QLocale::c();
    return QLocale(QString::fromUtf8(n.data(), qsizetype(n.size())));
}

Texte VersCp1252(const QString& s)
{
    const QByteArray u = s.toUtf8();
    return Utf8VersCp1252(std::string_view(u.constData(), std::size_t(u.size())));
}

// Cuts a Qt pattern into pieces; false when it holds a field a direct reading does not follow
// (day and month names in full, 12-hour clocks, milliseconds...) or text code page 1252 lacks.
bool Decouper(const QString& motif, const char* champs, const QLocale& locale, Pieces& pieces)
{
    pieces.clear();
    const auto litteral = [&](const QString& t) {
        const Texte octets = VersCp1252(t);
        if (t.isEmpty() || QString::fromUtf8(Cp1252VersUtf8(octets)) != t) return false;
        if (pieces.empty() || pieces.back().champ != 0) pieces.push_back({});
        pieces.back().litteral += octets;
        return true;
    };
    for (qsizetype i = 0; i < motif.size();) {
        const QChar c = motif[i];
        if (c == u'\'') {
            // Quoted literal text; two quotes stand for one.
            QString t;
            qsizetype j = i + 1;
            for (; j < motif.size(); ++j) {
                if (motif[j] == u'\'') {
                    if (j + 1 < motif.size() && motif[j + 1] == u'\'') { t += u'\''; ++j; continue; }
                    break;
                }
                t += motif[j];
            }
            if (j >= motif.size()) return false;  // never closed
            if (j == i + 1) t = QStringLiteral("'");
            if (!litteral(t)) return false;
            i = j + 1;
            continue;
        }
        if ((motif.mid(i, 2) == QStringLiteral("AP") || motif.mid(i, 2) == QStringLiteral("ap")) &&
            std::strchr(champs, 'A')) {
            // The marker as Qt writes it: the locale's texts in capitals for "AP", small for "ap".
            const bool capitales = c == u'A';
            Piece p{'A', 2, {}, {}, {}};
            p.am = VersCp1252(capitales ? locale.amText().toUpper() : locale.amText().toLower());
            p.pm = VersCp1252(capitales ? locale.pmText().toUpper() : locale.pmText().toLower());
            if (p.am.empty() || p.pm.empty() || p.am.rfind(p.pm, 0) == 0 || p.pm.rfind(p.am, 0) == 0 ||
                p.am.find('?') != Texte::npos || p.pm.find('?') != Texte::npos)
                return false;
            pieces.push_back(std::move(p));
            i += 2;
            continue;
        }
        if (c.isLetter()) {
            qsizetype j = i;
            while (j < motif.size() && motif[j] == c) ++j;
            const int n = int(j - i);
            const char l = c.unicode() < 128 ? char(c.unicode()) : 0;
            if (!l || !std::strchr(champs, l)) return false;
            if (l == 'y' ? (n != 2 && n != 4) : l == 'M' ? n > 3 : n > 2) return false;
            pieces.push_back({l, n, {}, {}, {}});
            i = j;
            continue;
        }
        if (!litteral(QString(c))) return false;
        ++i;
    }
    return !pieces.empty();
}

// Reads the pieces from `t` at `pos`; false when the text does not follow them.
bool LirePieces(std::string_view t, std::size_t& pos, const Pieces& pieces, const std::vector<Texte>& mois,
                int valeurs[128])
{
    for (const Piece& p : pieces) {
        if (p.champ == 0) {
            if (t.substr(pos, p.litteral.size()) != p.litteral) return false;
            pos += p.litteral.size();
            continue;
        }
        if (p.champ == 'A') {
            if (t.substr(pos, p.am.size()) == p.am) {
                pos += p.am.size();
                valeurs[int('A')] = 1;
            } else if (t.substr(pos, p.pm.size()) == p.pm) {
                pos += p.pm.size();
                valeurs[int('A')] = 2;
            } else {
                return false;
            }
            continue;
        }
        if (p.champ == 'M' && p.repetition == 3) {
            int trouve = 0;
            for (std::size_t m = 0; m < mois.size() && !trouve; ++m)
                if (!mois[m].empty() && t.substr(pos, mois[m].size()) == mois[m]) trouve = int(m) + 1;
            if (!trouve) return false;
            pos += mois[std::size_t(trouve) - 1].size();
            valeurs[int('M')] = trouve;
            continue;
        }
        // One letter: one or two digits; more letters: exactly that many.
        const std::size_t min = p.repetition == 1 ? 1 : std::size_t(p.repetition);
        const std::size_t max = p.repetition == 1 ? 2 : std::size_t(p.repetition);
        std::size_t n = 0;
        int v = 0;
        while (n < max && pos + n < t.size() && t[pos + n] >= '0' && t[pos + n] <= '9') v = v * 10 + (t[pos + n++] - '0');
        if (n < min) return false;
        pos += n;
        valeurs[int(static_cast<unsigned char>(p.champ))] = v;
    }
    return true;
}

// The current year, asked of the system at most once a minute: a sort reads tens of thousands
// of two-digit years, and asking each time was a third of the reading.
int AnneeCourante()
{
    static std::mutex verrou;
    static int annee = 0;
    static std::chrono::steady_clock::time_point lue;
    const std::lock_guard<std::mutex> garde(verrou);
    const auto maintenant = std::chrono::steady_clock::now();
    if (annee == 0 || maintenant - lue > std::chrono::minutes(1)) {
        annee = QDate::currentDate().year();
        lue = maintenant;
    }
    return annee;
}

}  // namespace

std::string NomLocaleEnvironnement()
{
    for (const char* v : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* s = std::getenv(v);
        if (s && *s) return s;
    }
    return "C";
}

FormatDateHeure::FormatDateHeure(const std::string& nomLocale)
{
    auto d = std::make_shared<Donnees>();
    d->locale = LocaleNommee(nomLocale);
    d->motifDate = BlancsOrdinaires(d->locale.dateFormat(QLocale::ShortFormat));
    d->motifHeure = SansFuseau(BlancsOrdinaires(d->locale.timeFormat(QLocale::LongFormat)));
    d->anneeDeuxChiffres = LongueurAnnee(d->motifDate) == 2;
    bool direct = Decouper(d->motifDate, "dMy", d->locale, d->piecesDate) &&
                  Decouper(d->motifHeure, "HhmsA", d->locale, d->piecesHeure);
    // A 12-hour clock needs its marker, and a 24-hour one has none.
    const auto present = [&](char champ) {
        return std::any_of(d->piecesHeure.begin(), d->piecesHeure.end(), [&](const Piece& p) { return p.champ == champ; });
    };
    d->douzeHeures = present('h');
    if (present('h') != present('A') || (present('H') && present('h'))) direct = false;
    // Month names matter only to a pattern that shows them.
    const bool noms = std::any_of(d->piecesDate.begin(), d->piecesDate.end(),
                                  [](const Piece& p) { return p.champ == 'M' && p.repetition == 3; });
    for (int m = 1; direct && noms && m <= 12; ++m) {
        const QString nom = d->locale.monthName(m, QLocale::ShortFormat);
        d->moisCourts.push_back(VersCp1252(nom));
        // A name the code page cannot hold, or one that another name begins with, is left to Qt.
        direct = !nom.isEmpty() && QString::fromUtf8(Cp1252VersUtf8(d->moisCourts.back())) == nom;
    }
    for (std::size_t a = 0; direct && a < d->moisCourts.size(); ++a)
        for (std::size_t b = 0; direct && b < d->moisCourts.size(); ++b)
            if (a != b && d->moisCourts[b].rfind(d->moisCourts[a], 0) == 0) direct = false;
    if (!direct) {
        d->piecesDate.clear();
        d->piecesHeure.clear();
    }
    d_ = std::move(d);
}

const FormatDateHeure& FormatDateHeure::Utilisateur()
{
    static const FormatDateHeure f(NomLocaleEnvironnement());
    return f;
}

Texte FormatDateHeure::Ecrire(TDateHeure dh) const
{
    const ElementsDate e = DecoderDateHeure(dh);
    const QDate date(e.annee, e.mois, e.jour);
    // A date Qt cannot hold (year 0 of a garbage header) still gets a readable text.
    if (!date.isValid()) return FormaterIso(dh);
    const QLocale locale = d_->locale;
    QString s = locale.toString(date, d_->motifDate);
    if (e.heure != 0 || e.minute != 0 || e.seconde != 0 || e.milli != 0)
        s += u' ' + locale.toString(QTime(e.heure, e.minute, e.seconde), d_->motifHeure);
    return VersCp1252(s);
}

bool FormatDateHeure::LireDirectement(const Texte& texte, TDateHeure& resultat) const
{
    if (d_->piecesDate.empty()) return false;
    int v[128] = {};
    v[int('H')] = v[int('h')] = v[int('m')] = v[int('s')] = v[int('A')] = 0;
    std::size_t pos = 0;
    if (!LirePieces(texte, pos, d_->piecesDate, d_->moisCourts, v)) return false;
    if (pos < texte.size()) {
        if (texte[pos] != ' ') return false;
        ++pos;
        if (!LirePieces(texte, pos, d_->piecesHeure, {}, v) || pos != texte.size()) return false;
    }
    const int jour = v[int('d')], mois = v[int('M')];
    int annee = v[int('y')];
    // Qt reads two-digit years in the 1900s: 29/02/00 is no date to it.
    if (d_->anneeDeuxChiffres) annee += 1900;
    int heure = v[int('H')];
    if (d_->douzeHeures && v[int('A')] != 0) {  // a time was read
        if (v[int('h')] < 1 || v[int('h')] > 12) return false;
        heure = v[int('h')] % 12 + (v[int('A')] == 2 ? 12 : 0);
    }
    if (!QDate::isValid(annee, mois, jour) || !QTime::isValid(heure, v[int('m')], v[int('s')])) return false;
    resultat = Composer(annee, mois, jour, heure, v[int('m')], v[int('s')], 0);
    return true;
}

TDateHeure FormatDateHeure::Composer(int annee, int mois, int jour, int heure, int minute, int seconde, int milli) const
{
    if (d_->anneeDeuxChiffres) {
        // Qt reads "03" as 1903; the text was made from a recent date far more likely.
        const int base = AnneeCourante() - 50;
        annee = base / 100 * 100 + ((annee % 100) + 100) % 100;
        if (annee < base) annee += 100;
    }
    return EncoderDate(annee, mois, jour) + EncoderHeure(heure, minute, seconde, milli);
}

bool FormatDateHeure::Lire(const Texte& texte, TDateHeure& resultat) const
{
    // A list of tens of thousands of rows reads every date text when it sorts by date. A text in
    // the exact shape Ecrire gives it (numbers, the literal text of the patterns, short month
    // names) is read directly, to what Qt's parser gives many times faster; anything else, and
    // every text this reading refuses, goes through Qt's parser as before.
    return LireDirectement(texte, resultat) || LireParLocale(texte, resultat);
}

bool FormatDateHeure::LireParLocale(const Texte& texte, TDateHeure& resultat) const
{
    const QString s = QString::fromUtf8(Cp1252VersUtf8(texte)).trimmed();
    if (s.isEmpty()) return false;
    const QLocale locale = d_->locale;
    QDate date = locale.toDate(s, d_->motifDate);
    QTime heure(0, 0);
    // The date and the time are read apart (a local date-time could fall into a daylight-saving
    // gap and be refused); the blank between them is one of the text's blanks.
    for (qsizetype p = s.indexOf(u' '); !date.isValid() && p > 0; p = s.indexOf(u' ', p + 1)) {
        const QDate dp = locale.toDate(s.left(p), d_->motifDate);
        if (!dp.isValid()) continue;
        const QTime hp = locale.toTime(s.mid(p + 1), d_->motifHeure);
        if (!hp.isValid()) continue;
        date = dp;
        heure = hp;
    }
    if (!date.isValid()) return false;
    resultat = Composer(date.year(), date.month(), date.day(), heure.hour(), heure.minute(), heure.second(), heure.msec());
    return true;
}

std::string FormatDateHeure::MotifDate() const { return d_->motifDate.toStdString(); }
std::string FormatDateHeure::MotifHeure() const { return d_->motifHeure.toStdString(); }

Texte TexteDate(TDateHeure d) { return FormatDateHeure::Utilisateur().Ecrire(d); }
bool LireTexteDate(const Texte& texte, TDateHeure& d) { return FormatDateHeure::Utilisateur().Lire(texte, d); }

}  // namespace vaskor
