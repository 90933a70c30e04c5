#include "core/texte_date.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cstdlib>

namespace vaskor {

struct FormatDateHeure::Donnees {
    QLocale locale;
    QString motifDate;
    QString motifHeure;
    bool anneeDeuxChiffres = false;
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

bool FormatDateHeure::Lire(const Texte& texte, TDateHeure& resultat) const
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
    int annee = date.year();
    if (d_->anneeDeuxChiffres) {
        // Qt reads "03" as 1903; the text was made from a recent date far more likely.
        const int base = QDate::currentDate().year() - 50;
        annee = base / 100 * 100 + ((annee % 100) + 100) % 100;
        if (annee < base) annee += 100;
    }
    resultat = EncoderDate(annee, date.month(), date.day()) +
               EncoderHeure(heure.hour(), heure.minute(), heure.second(), heure.msec());
    return true;
}

std::string FormatDateHeure::MotifDate() const { return d_->motifDate.toStdString(); }
std::string FormatDateHeure::MotifHeure() const { return d_->motifHeure.toStdString(); }

Texte TexteDate(TDateHeure d) { return FormatDateHeure::Utilisateur().Ecrire(d); }
bool LireTexteDate(const Texte& texte, TDateHeure& d) { return FormatDateHeure::Utilisateur().Lire(texte, d); }

}  // namespace vaskor
