// What a user of a big message list waits for, measured in the real main window:
//
//   bench_liste tri [N]                  N generated rows (default 50000): heap per row with N and
//                                        2N rows, their header text apart, and every column sorted
//                                        both ways by a click on its heading, painting included
//   bench_liste controle DOSSIER [tris]  a check of every account of DOSSIER in the window shown:
//                                        CPU, wall time, the longest stretches without processed
//                                        events, memory; with "tris", every column then sorted on
//                                        those rows
//   bench_liste demarrage DOSSIER        start to the window painted, with DOSSIER's data files
//   bench_liste donnees DOSSIER AMIS FILTRES
//                                        writes a friends file and a filters file of that many
//                                        records into DOSSIER (for the start-up figure)
//
// A benchmark, not a test: nothing here is run by ctest, and it prints figures without judging
// them (scripts/bench-liste.sh puts them beside their targets).

#include "core/ami.h"
#include "core/dates.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "core/texte_date.h"
#include "ui/application.h"
#include "ui/boites_message.h"
#include "ui/tfmain.h"
#include "ui/vue_messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace vaskor;

namespace {

// In use on the heap, large blocks (mapped apart by malloc) included.
std::size_t OctetsTas()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

std::size_t RssKo()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, rss = 0;
    statm >> pages >> rss;
    return rss * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

double CpuMs()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
}

// Questions answered "Non" (nothing is deleted, nothing cleared), messages printed.
class BoitesMuettes : public BoitesMessage {
public:
    ReponseMessage Question(QWidget*, const Texte& titre, const Texte& texte, BoutonsMessage, IconeMessage,
                            bool) override
    {
        std::fprintf(stderr, "question: %s / %s\n", Cp1252VersUtf8(titre).c_str(), Cp1252VersUtf8(texte).c_str());
        return ReponseMessage::Non;
    }
    void Message(QWidget*, const Texte& titre, const Texte& texte, IconeMessage) override
    {
        std::fprintf(stderr, "message: %s / %s\n", Cp1252VersUtf8(titre).c_str(), Cp1252VersUtf8(texte).c_str());
    }
};

// Rows that look like a real mailbox's: accented senders, subjects of a few words, dates over
// six years with some unreadable (empty), sizes from half a kilobyte to megabytes, a header block
// of about 1.3 KB.
class Generateur {
public:
    explicit Generateur(unsigned graine) : alea_(graine) {}

    LigneMessage Ligne(int numero)
    {
        static const char* prenoms[] = {"Anne", "Bruno", "Chlo\xE9", "David", "\xC9mile", "Fanny", "Gaston",
                                        "H\xE9l\xE8ne", "Ivan", "Julie", "K\xE9vin", "L\xE9" "a"};
        static const char* noms[] = {"Martin", "Bernard", "Dubois", "Thomas", "Robert", "Richard", "Petit",
                                     "Durand", "Leroy", "Moreau", "Simon", "Laurent", "Lef\xE8vre", "Michel"};
        static const char* mots[] = {"facture", "r\xE9union", "Votre", "commande", "promotion", "compte", "rendez-vous",
                                     "lundi", "projet", "offre", "URGENT", "nouvelles", "semaine", "photos",
                                     "dossier", "\xE9t\xE9", "contrat", "livraison", "newsletter", "bienvenue"};
        LigneMessage l;
        const Texte prenom = prenoms[Tirer(std::size(prenoms))], nom = noms[Tirer(std::size(noms))];
        const Texte adresse = MinusculesAscii(prenom.substr(0, 1) + "." + nom) + "@exemple" +
                              std::to_string(Tirer(500)) + ".fr";
        l.De = Tirer(5) == 0 ? adresse : prenom + " " + nom;
        Texte sujet = Tirer(4) == 0 ? "Re: " : "";
        for (std::size_t i = 0, n = 2 + Tirer(7); i < n; ++i) sujet += Texte(i ? " " : "") + mots[Tirer(std::size(mots))];
        l.Sujet = sujet;
        const TDateHeure date = EncoderDate(2020 + static_cast<int>(Tirer(6)), 1 + static_cast<int>(Tirer(12)),
                                            1 + static_cast<int>(Tirer(28))) +
                                EncoderHeure(static_cast<int>(Tirer(24)), static_cast<int>(Tirer(60)),
                                             static_cast<int>(Tirer(60)));
        l.Date = Tirer(33) == 0 ? Texte() : TexteDate(date);
        l.Taille = std::to_string(500 + Tirer(Tirer(10) == 0 ? 5'000'000 : 60'000));
        l.Marque = Tirer(10) == 0;
        l.Resume.Numero = numero;
        l.Resume.Raison = RaisonSuppressionUtilisateur();
        l.Resume.Compte = compte_;
        l.Resume.Entetes = Entetes(adresse, l.De, sujet, numero);
        return l;
    }

    ListeEntetes Entetes(const Texte& adresse, const Texte& de, const Texte& sujet, int numero)
    {
        const Texte id = std::to_string(numero) + "." + std::to_string(Tirer(1'000'000'000)) + "@mx.exemple.fr";
        return {"Return-Path: <" + adresse + ">",
                "Delivered-To: anne@exemple.fr",
                "Received: from mx.exemple.fr (mx.exemple.fr [192.0.2." + std::to_string(Tirer(250)) + "])",
                "\tby mail.exemple.fr (Postfix) with ESMTPS id 4F" + std::to_string(Tirer(1'000'000)),
                "\tfor <anne@exemple.fr>; Mon, 2 Mar 2026 10:" + std::to_string(10 + Tirer(50)) + ":00 +0100 (CET)",
                "Received: from [10.0.0." + std::to_string(Tirer(250)) + "] by smtp.exemple.fr with ESMTPSA",
                "\tid " + std::to_string(Tirer(1'000'000'000)) + "; Mon, 2 Mar 2026 10:00:00 +0100",
                "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=exemple.fr; s=mail;",
                "\tbh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=; h=From:To:Subject:Date;",
                "\tb=dGhpcyBpcyBub3QgYSByZWFsIHNpZ25hdHVyZSBidXQgaXQgaGFzIHRoZSBsZW5ndGggb2Ygb25l",
                "From: " + de + " <" + adresse + ">",
                "To: anne@exemple.fr",
                "Subject: " + sujet,
                "Date: Mon, 2 Mar 2026 10:00:00 +0100",
                "Message-ID: <" + id + ">",
                "MIME-Version: 1.0",
                "Content-Type: multipart/alternative; boundary=\"----=_Part_" + std::to_string(numero) + "\""};
    }

private:
    std::size_t Tirer(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(alea_); }
    static Texte MinusculesAscii(Texte t)
    {
        for (char& c : t)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return t;
    }

    std::mt19937 alea_;
    // As a check does: one record for the rows of an account.
    CompteLigne compte_ = [] {
        TCompte c = TCompte::Vierge();
        c.Description.Ecrire("Maison");
        c.ServeurPOP.Ecrire("pop.exemple.fr");
        c.NomUser.Ecrire("anne");
        c.PortPOP.Ecrire(110);
        return CompteLigne(c);
    }();
};

void Peindre(TFMain& f)
{
    f.LVMsg()->viewport()->repaint();
    QCoreApplication::processEvents();
}

// Clicks every heading twice (both directions), a row in the middle selected, and prints each
// sort with the repaint that follows it.
void MesurerTris(TFMain& f)
{
    static const char* colonnes[] = {"De", "Sujet", "Date", "Taille"};
    const std::size_t n = f.Liste().Nombre();
    if (n > 0) f.SelectionnerLigne(static_cast<int>(n / 2));
    Peindre(f);
    double pire = 0;
    for (int c = 0; c < 4; ++c) {
        for (int fois = 0; fois < 2; ++fois) {
            QElapsedTimer t;
            t.start();
            emit f.LVMsg()->ColonneCliquee(c);
            Peindre(f);
            const double ms = t.nsecsElapsed() / 1e6;
            pire = std::max(pire, ms);
            std::printf("tri %-6s %-11s %8.1f ms\n", colonnes[c], f.Tri().Ascendant() ? "croissant" : "decroissant", ms);
        }
    }
    std::printf("tri pire %.1f ms (%zu lignes)\n", pire, n);
}

int Tri(int argc, char** argv)
{
    const int n = argc > 2 ? std::atoi(argv[2]) : 50000;
    TFMain f;
    f.DefinirBoites(std::make_unique<BoitesMuettes>());
    f.resize(1000, 700);
    f.show();
    QCoreApplication::processEvents();

    // The header text of the rows, alone: what the rows keep for the deletion's identity check.
    std::size_t texteEntetes = 0;
    {
        Generateur g(7);
        std::vector<ListeEntetes> seules;
        seules.reserve(static_cast<std::size_t>(n));
        const std::size_t avant = OctetsTas();
        for (int i = 0; i < n; ++i) seules.push_back(g.Ligne(i + 1).Resume.Entetes);
        texteEntetes = OctetsTas() - avant - seules.capacity() * sizeof(ListeEntetes);
    }

    Generateur g(7);
    auto remplir = [&](int premier) {
        for (int i = 0; i < n; ++i) f.Liste().Ajouter(g.Ligne(premier + i));
        Peindre(f);
    };
    const std::size_t tas0 = OctetsTas(), rss0 = RssKo();
    remplir(1);
    const std::size_t tas1 = OctetsTas(), rss1 = RssKo();
    std::printf("%d lignes: tas %zu Ko -> %zu Ko, rss %zu Ko -> %zu Ko\n", n, tas0 / 1024, tas1 / 1024, rss0, rss1);
    MesurerTris(f);
    // A second batch of as many rows: what it adds is what rows cost, whatever the start.
    const std::size_t tasAvant = OctetsTas(), rssAvant = RssKo();
    remplir(n + 1);
    const std::size_t tas2 = OctetsTas(), rss2 = RssKo();
    const double parLigne = double(tas2 - tasAvant) / n, texte = double(texteEntetes) / n;
    std::printf("%d lignes: tas %zu Ko, rss %zu Ko\n", 2 * n, tas2 / 1024, rss2);
    std::printf("memoire par ligne %.0f octets (tas, de N a 2N), dont texte d'entete %.0f : hors entete %.0f octets\n",
                parLigne, texte, parLigne - texte);
    std::printf("rss par ligne %.0f octets (de N a 2N, texte d'entete compris)\n", double(rss2 - rssAvant) * 1024 / n);
    return 0;
}

int Controle(char** argv, bool tris)
{
    TFMain f;
    f.DefinirBoites(std::make_unique<BoitesMuettes>());
    f.ChargerDonnees(argv[2]);
    f.resize(1000, 700);
    f.show();
    QCoreApplication::processEvents();
    QMenu* controler1 = f.findChild<QMenu*>(QStringLiteral("Controler1"));
    if (!controler1 || controler1->actions().isEmpty()) {
        std::fprintf(stderr, "bench_liste: no account in %s\n", argv[2]);
        return 1;
    }

    // A precise timer due every 5 ms fires at each pass of event processing: the stretches between
    // its shots are the window's stretches without events.
    std::vector<double> ecarts;
    std::vector<std::pair<double, double>> longs;  // (stretch, when it ended) of the long ones
    QElapsedTimer dernier, mur;
    QTimer sonde;
    sonde.setTimerType(Qt::PreciseTimer);
    sonde.setInterval(5);
    QObject::connect(&sonde, &QTimer::timeout, [&] {
        if (dernier.isValid()) {
            ecarts.push_back(dernier.nsecsElapsed() / 1e6);
            // Longer than one network slice and the window's own throttle together.
            if (ecarts.back() > 60) longs.emplace_back(ecarts.back(), mur.nsecsElapsed() / 1e6);
        }
        dernier.start();
    });
    ecarts.reserve(1 << 20);

    const std::size_t rss0 = RssKo();
    const double cpu0 = CpuMs();
    mur.start();
    sonde.start();
    // The first entry is the check of all the accounts when there are several, else the account.
    controler1->actions().first()->trigger();
    sonde.stop();
    const double murMs = mur.nsecsElapsed() / 1e6, cpuMs = CpuMs() - cpu0;
    std::sort(ecarts.begin(), ecarts.end());
    const auto centile = [&](double p) {
        return ecarts.empty() ? 0.0 : ecarts[std::min(ecarts.size() - 1, std::size_t(p * ecarts.size()))];
    };
    std::printf("controle %zu lignes, %.0f ms, CPU %.0f ms, memoire +%zu Ko (rss %zu Ko)\n", f.Liste().Nombre(), murMs,
                cpuMs, RssKo() - rss0, RssKo());
    std::printf("evenements: %zu passages, ecart median %.1f ms, 99e centile %.1f ms, pire %.1f ms\n", ecarts.size(),
                centile(0.5), centile(0.99), ecarts.empty() ? 0.0 : ecarts.back());
    for (const auto& [ecart, fin] : longs) std::printf("  sans evenements %.1f ms, jusqu'a %.0f ms\n", ecart, fin);
    if (tris) MesurerTris(f);
    return 0;
}

int Demarrage(char** argv, std::chrono::steady_clock::time_point debut)
{
    // As the program starts: the French translation, the window, its data, shown; the clock stops
    // at the list's first paint.
    QTranslator traducteur;
    if (ChargerTraductionQt(traducteur)) QCoreApplication::installTranslator(&traducteur);
    TFMain f;
    f.ChargerDonnees(argv[2]);
    const auto charge = std::chrono::steady_clock::now();
    f.show();
    bool peint = false;
    struct Guetteur : QObject {
        bool* peint;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) *peint = true;
            return false;
        }
    } guetteur;
    guetteur.peint = &peint;
    f.LVMsg()->viewport()->installEventFilter(&guetteur);
    QElapsedTimer limite;
    limite.start();
    while (!peint && limite.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const auto fin = std::chrono::steady_clock::now();
    const auto ms = [&](auto t) { return std::chrono::duration<double, std::milli>(t - debut).count(); };
    std::printf("demarrage: donnees chargees a %.0f ms, liste peinte a %.0f ms (depuis main)\n", ms(charge), ms(fin));
    return peint ? 0 : 1;
}

int Donnees(char** argv)
{
    const std::filesystem::path dossier = argv[2];
    ListeAmis amis;
    for (int i = 0, n = std::atoi(argv[3]); i < n; ++i) {
        TAmi a = TAmi::Vierge();
        a.Nom.Ecrire(i % 10 == 0 ? "domaine" + std::to_string(i) + ".exemple.fr"
                                 : "ami" + std::to_string(i) + "@exemple" + std::to_string(i % 97) + ".fr");
        a.TypeAmi.Ecrire(i % 10 == 0 ? 1 : 0);
        amis.push_back(a);
    }
    TrierAmis(amis);
    ListeFiltres filtres;
    for (int i = 0, n = std::atoi(argv[4]); i < n; ++i) {
        TFiltre f = TFiltre::Vierge();
        f.TypeFiltre.Ecrire(i % 2 ? FiltreSujet : FiltreExpediteur);
        f.Valeur1.Ecrire("jamais-vu-" + std::to_string(i));
        f.Valeur2.Ecrire("nulle-part.invalid");
        f.Condition1.Ecrire(CondEgal);
        f.Condition2.Ecrire(CondEgal);
        f.Action.Ecrire(ActionMarquer);
        f.Actif = 1;
        filtres.push_back(f);
    }
    if (!SauverAmis(dossier, amis).ok || !SauverFiltres(dossier, filtres).ok) {
        std::fprintf(stderr, "bench_liste: cannot write into %s\n", argv[2]);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto debut = std::chrono::steady_clock::now();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "donnees" && argc == 5) return Donnees(argv);
    const bool tris = argc == 4 && std::string(argv[3]) == "tris";
    if (mode != "tri" && !((argc == 3 || (argc == 4 && tris && mode == "controle")) &&
                           (mode == "controle" || mode == "demarrage"))) {
        std::fprintf(stderr,
                     "usage: bench_liste tri [N] | controle DOSSIER [tris] | demarrage DOSSIER | donnees DOSSIER AMIS FILTRES\n");
        return 2;
    }
    Application app(argc, argv);
    if (mode == "tri") return Tri(argc, argv);
    if (mode == "controle") return Controle(argv, tris);
    return Demarrage(argv, debut);
}
