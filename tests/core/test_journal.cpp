#include "core/journal.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

using namespace vaskor;

namespace {

std::vector<Texte> Numerotees(const char* prefixe, int n)
{
    std::vector<Texte> r;
    for (int i = 1; i <= n; ++i) r.push_back(LigneJournal("Compte", prefixe + std::to_string(i), "s", "d", i, ""));
    return r;
}

}  // namespace

TEST(LigneJournal, SixFieldsEachFollowedByATabWithADashForAnEmptyReason)
{
    EXPECT_EQ(LigneJournal("Maison", "Anne <anne@exemple.fr>", "Bonjour", "25/12/2003 14:05:00", 1234,
                           "Exp\xE9" "diteur refus\xE9"),
              "Maison\tAnne <anne@exemple.fr>\tBonjour\t25/12/2003 14:05:00\t1234\tExp\xE9" "diteur refus\xE9\t");
    EXPECT_EQ(LigneJournal("", "", "", "", 0, ""), "\t\t\t\t0\t-\t");
    EXPECT_EQ(LigneJournal("a", "b", "c", "d", 5, RaisonSuppressionUtilisateur()),
              "a\tb\tc\td\t5\tEffac\xE9 par l'utilisateur\t");
}

TEST(LigneJournal, LineBreaksInsideAFieldBecomeSpacesAndATabStays)
{
    const Texte l = LigneJournal("A\r\nB", "x\ry", "Sujet\nsur deux lignes", "d", 7, "r\n");
    EXPECT_EQ(l, "A  B\tx y\tSujet sur deux lignes\td\t7\tr \t");
    const Texte avecTab = LigneJournal("A", "B", "un\tdeux", "d", 7, "r");
    EXPECT_EQ(avecTab, "A\tB\tun\tdeux\td\t7\tr\t");

    // Each line stays one line in the file.
    test::DossierTemporaire d;
    JournalEnAttente j;
    j.Ajouter(l);
    j.Ajouter("brut\r\nencore\tx\t");
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), j.Lignes(), 100).ok);
    std::vector<Texte> relues;
    ASSERT_TRUE(LireJournal(d.Chemin(), relues).ok);
    ASSERT_EQ(relues.size(), 2u);
    EXPECT_EQ(relues[0], l);
    EXPECT_EQ(relues[1], "brut  encore\tx\t");
}

TEST(FichierJournal, LinesEndAtCrLfALoneCrOrALoneLf)
{
    EXPECT_EQ(DecouperLignesJournal(""), std::vector<Texte>{});
    EXPECT_EQ(DecouperLignesJournal("a\r\nb\rc\nd"), (std::vector<Texte>{"a", "b", "c", "d"}));
    EXPECT_EQ(DecouperLignesJournal("a\r\n\r\nb\n\r"), (std::vector<Texte>{"a", "", "b", ""}));
    EXPECT_EQ(DecouperLignesJournal("\n"), std::vector<Texte>{""});
    EXPECT_EQ(AssemblerLignesJournal({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(AssemblerLignesJournal({}), "");
}

TEST(RangJournal, TheCaptionIsTrimmedTheSubItemsKeptAndTextAfterTheLastTabDropped)
{
    RangJournal r = DecouperLigneJournal(LigneJournal("  Maison \x01", " De ", "S", "D", 12, ""));
    EXPECT_EQ(r.titre, "Maison");
    EXPECT_EQ(r.sousElements, (std::vector<Texte>{" De ", "S", "D", "12", "-"}));

    r = DecouperLigneJournal("A\tB\tC\treste");
    EXPECT_EQ(r.titre, "A");
    EXPECT_EQ(r.sousElements, (std::vector<Texte>{"B", "C"}));

    r = DecouperLigneJournal("pas de tabulation");
    EXPECT_EQ(r.titre, "");
    EXPECT_TRUE(r.sousElements.empty());

    // A TAB inside the subject moves the later fields one column right; the last is dropped.
    r = DecouperLigneJournal(LigneJournal("A", "B", "un\tdeux", "D", 3, "R"));
    EXPECT_EQ(r.sousElements, (std::vector<Texte>{"B", "un", "deux", "D", "3", "R"}));
}

TEST(FichierJournal, TheSaveAtExitKeepsTheMostRecentLinesInOrder)
{
    test::DossierTemporaire d;
    const std::vector<Texte> anciennes = Numerotees("ancienne ", 8);
    test::EcrireTout(d.Chemin() / "mails_supprimes.dat", AssemblerLignesJournal(anciennes));
    const std::vector<Texte> nouvelles = Numerotees("nouvelle ", 5);
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), nouvelles, 10).ok);

    EXPECT_FALSE(fs::exists(d.Chemin() / "mails_supprimes.dat"));
    std::vector<Texte> attendu(anciennes.begin() + 3, anciennes.end());
    attendu.insert(attendu.end(), nouvelles.begin(), nouvelles.end());
    EXPECT_EQ(test::LireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT"), AssemblerLignesJournal(attendu));

    // The window shows the file, then the pending lines.
    JournalEnAttente j;
    j.Ajouter("en cours\t");
    std::vector<Texte> vues;
    ASSERT_TRUE(ChargerLignesJournal(d.Chemin(), j, vues).ok);
    attendu.push_back("en cours\t");
    EXPECT_EQ(vues, attendu);

    // Fewer lines than the limit: nothing is dropped; a limit below zero keeps nothing.
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), {}, 1500).ok);
    EXPECT_EQ(DecouperLignesJournal(test::LireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT")).size(), 10u);
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), Numerotees("x", 2), -1).ok);
    EXPECT_EQ(test::LireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT"), "");
}

TEST(FichierJournal, NoFileAndNoDeletionStillLeaveAnEmptyFile)
{
    test::DossierTemporaire d;
    std::vector<Texte> lignes{"x"};
    ASSERT_TRUE(LireJournal(d.Chemin(), lignes).ok);
    EXPECT_TRUE(lignes.empty());
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), {}, 100).ok);
    ASSERT_TRUE(fs::exists(d.Chemin() / "MAILS_SUPPRIMES.DAT"));
    EXPECT_EQ(fs::file_size(d.Chemin() / "MAILS_SUPPRIMES.DAT"), 0u);
}

TEST(FichierJournal, AJournalThatCannotBeReadIsNotOverwritten)
{
    test::DossierTemporaire d;
    fs::create_directory(d.Chemin() / "MAILS_SUPPRIMES.DAT");
    fs::path dedans = d.Chemin() / "MAILS_SUPPRIMES.DAT" / "garde";
    test::EcrireTout(dedans, "x");
    const ResultatFichier r = EnregistrerJournal(d.Chemin(), Numerotees("n", 2), 100);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.erreur.empty());
    EXPECT_TRUE(fs::exists(dedans));
}

TEST(FichierJournal, MergesRunningTogetherLoseNoLine)
{
    test::DossierTemporaire d;
    const std::vector<Texte> a = Numerotees("a", 30);
    const std::vector<Texte> b = Numerotees("b", 30);
    bool okA = false, okB = false;
    std::thread ta([&] {
        for (const Texte& l : a) okA = EnregistrerJournal(d.Chemin(), {l}, 1500).ok;
    });
    std::thread tb([&] {
        for (const Texte& l : b) okB = EnregistrerJournal(d.Chemin(), {l}, 1500).ok;
    });
    ta.join();
    tb.join();
    EXPECT_TRUE(okA && okB);
    std::vector<Texte> lignes;
    ASSERT_TRUE(LireJournal(d.Chemin(), lignes).ok);
    EXPECT_EQ(lignes.size(), 60u);
}

TEST(JournalEnAttente, AppendsFromOneThreadAreSeenWholeByAReaderOnAnother)
{
    JournalEnAttente j;
    std::thread ecrivain([&] {
        for (int i = 0; i < 2000; ++i) j.Ajouter(LigneJournal("c", "e", "s", "d", i, ""));
    });
    std::size_t vu = 0;
    while (vu < 2000) {
        const std::vector<Texte> copie = j.Lignes();
        ASSERT_GE(copie.size(), vu);
        for (std::size_t i = 0; i < copie.size(); ++i) ASSERT_EQ(DecouperLigneJournal(copie[i]).sousElements.size(), 5u);
        vu = copie.size();
    }
    ecrivain.join();
    EXPECT_EQ(j.Nombre(), 2000u);
}

TEST(FichierJournal, AHugeFileIsReadFromItsEndAndTheSaveKeepsItsMostRecentLines)
{
    test::DossierTemporaire d;
    // Far more than any save leaves: lines of 15 bytes past the read limit, the cut falling
    // inside a line.
    std::string gros;
    const std::size_t nombre = std::size_t(TailleLectureJournal / 15) + 1000;
    gros.reserve(nombre * 15);
    for (std::size_t i = 0; i < nombre; ++i) {
        char ligne[16];
        std::snprintf(ligne, sizeof ligne, "%012zu\t\r\n", i);
        gros.append(ligne, 15);
    }
    test::EcrireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT", gros);

    std::vector<Texte> lues;
    ASSERT_TRUE(LireJournal(d.Chemin(), lues).ok);
    ASSERT_EQ(lues.size(), LignesLectureJournal);
    char derniere[16];
    std::snprintf(derniere, sizeof derniere, "%012zu\t", nombre - 1);
    EXPECT_EQ(lues.back(), derniere);

    const std::vector<Texte> nouvelles = Numerotees("n", 3);
    ASSERT_TRUE(EnregistrerJournal(d.Chemin(), nouvelles, 5).ok);
    char avant[16];
    std::snprintf(avant, sizeof avant, "%012zu\t", nombre - 2);
    EXPECT_EQ(test::LireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT"),
              AssemblerLignesJournal({avant, derniere, nouvelles[0], nouvelles[1], nouvelles[2]}));

    // Millions of empty lines keep only the last ones in memory.
    test::EcrireTout(d.Chemin() / "MAILS_SUPPRIMES.DAT", std::string(3'000'000, '\n') + "fin\t");
    ASSERT_TRUE(LireJournal(d.Chemin(), lues).ok);
    ASSERT_EQ(lues.size(), LignesLectureJournal);
    EXPECT_EQ(lues.back(), "fin\t");
    EXPECT_EQ(DecouperLignesJournal("a\r\nb\rc\nd", 2), (std::vector<Texte>{"c", "d"}));
}

// A program killed around its QUIT leaves the session's lines in suspense; the next start settles
// them according to whether QUIT went out, and never journals them twice.
TEST(JournalSuspens, TheNextStartMergesOnlyWhatQuitMayHaveCommittedAndOnlyOnce)
{
    enum class Etat { QuitEnvoye, DejaFusionne, SansQuit, Endommage };
    const struct {
        Etat etat;
        bool fusionne;        // the session's lines end the journal, once
        bool avertissement;
    } cas[] = {
        {Etat::QuitEnvoye, true, false},
        {Etat::DejaFusionne, true, false},
        {Etat::SansQuit, false, false},
        {Etat::Endommage, false, true},
    };
    const std::vector<Texte> anciennes = Numerotees("ancien", 3);
    const std::vector<Texte> session = Numerotees("session", 4);
    for (const auto& c : cas) {
        SCOPED_TRACE(static_cast<int>(c.etat));
        test::DossierTemporaire d;
        ASSERT_TRUE(EnregistrerJournal(d.Chemin(), anciennes, 100).ok);
        const fs::path suspens = d.Chemin() / NomFichierSuspens;
        if (c.etat == Etat::Endommage) {
            test::EcrireTout(suspens, "n'importe quoi\r\n");
        } else {
            ASSERT_TRUE(EcrireJournalSuspens(d.Chemin(), session, 100).ok);
            EXPECT_EQ(fs::status(suspens).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
            if (c.etat != Etat::SansQuit) MarquerQuitEnvoye(d.Chemin());
            // Killed after the journal's rename, before the file's removal.
            if (c.etat == Etat::DejaFusionne) {
                ASSERT_TRUE(EnregistrerJournal(d.Chemin(), session, 100).ok);
            }
        }
        const ResultatFichier r = ResoudreJournalSuspens(d.Chemin(), 100);
        EXPECT_TRUE(r.ok) << r.erreur;
        EXPECT_EQ(!r.avertissement.empty(), c.avertissement) << r.avertissement;
        EXPECT_FALSE(fs::exists(suspens));
        std::vector<Texte> attendu = anciennes;
        if (c.fusionne) attendu.insert(attendu.end(), session.begin(), session.end());
        std::vector<Texte> journal;
        ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
        EXPECT_EQ(journal, attendu);
    }
}

TEST(JournalSuspens, AFileLeftBehindIsSettledBeforeTheNextSessionWritesItsOwn)
{
    test::DossierTemporaire d;
    const std::vector<Texte> morte = Numerotees("mort", 2);
    const std::vector<Texte> vivante = Numerotees("vivant", 2);
    ASSERT_TRUE(EcrireJournalSuspens(d.Chemin(), morte, 100).ok);
    MarquerQuitEnvoye(d.Chemin());
    ASSERT_TRUE(EcrireJournalSuspens(d.Chemin(), vivante, 100).ok);
    std::vector<Texte> journal;
    ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
    EXPECT_EQ(journal, morte);
    // The new file holds only its own session, without the mark yet: resolved now, it is dropped.
    ASSERT_TRUE(ResoudreJournalSuspens(d.Chemin(), 100).ok);
    ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
    EXPECT_EQ(journal, morte);
}
