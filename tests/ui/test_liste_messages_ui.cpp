// The message list's model and its sorts.

#include "outils_ui.h"
#include "registre.h"

#include "core/dates.h"
#include "ui/modele_messages.h"
#include "ui/tri_liste.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace vaskor;
using vaskor::test::Ligne;

namespace {

std::vector<std::string> Colonne(const ListeMessages& liste, int colonne)
{
    std::vector<std::string> r;
    for (std::size_t i = 0; i < liste.Nombre(); ++i) {
        const LigneMessage& l = liste[i];
        const Texte& t = colonne == 0 ? l.De : colonne == 1 ? l.Sujet : colonne == 2 ? l.Date : l.Taille;
        r.push_back(Cp1252VersUtf8(t));
    }
    return r;
}

using Textes = std::vector<std::string>;

}  // namespace

class TestListeMessagesUi : public QObject {
    Q_OBJECT
private slots:
    void LeModeleSuitLaListeSansEnfreindreLesReglesDesModeles()
    {
        ListeMessages liste;
        ModeleMessages modele(liste);
        QAbstractItemModelTester testeur(&modele, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 50; ++i) liste.Ajouter(Ligne("Exp " + std::to_string(i), "S", 40000 + i, i));
        QCOMPARE(modele.rowCount(), 50);
        liste.MarquerTout();
        liste.InverserMarques();
        liste.Marquer(3, true);
        QVERIFY(modele.setData(modele.index(4, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(!modele.setData(modele.index(4, 1), Qt::Checked, Qt::CheckStateRole));
        liste.Retirer(0);
        liste.Retirer(48);
        TriListe tri;
        tri.ClicColonne(liste, 3);
        modele.DefinirColonneTri(3);
        modele.DefinirColonneTri(1);
        liste.Vider();
        QCOMPARE(modele.rowCount(), 0);
    }

    void PendantUnControleLesLignesAjouteesArriventParLots()
    {
        ListeMessages liste;
        ModeleMessages modele(liste);
        QAbstractItemModelTester testeur(&modele, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy insertions(&modele, &QAbstractItemModel::rowsInserted);
        liste.Ajouter(Ligne("avant"));
        QCOMPARE(modele.rowCount(), 1);
        modele.DiffererAjouts(true);
        for (int i = 0; i < 20; ++i) liste.Ajouter(Ligne("pendant " + std::to_string(i), "S", 40000, i, i == 3));
        liste.Marquer(0, true);
        liste.Marquer(5, true);  // not announced yet: shows when it is
        QCOMPARE(modele.rowCount(), 1);
        QCOMPARE(insertions.count(), 1);
        // The batch comes on its own while the check lets events through.
        QTRY_COMPARE(modele.rowCount(), 21);
        QCOMPARE(insertions.count(), 2);
        QCOMPARE(modele.data(modele.index(5, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        liste.Ajouter(Ligne("encore"));
        // A removal announces what waits first, so that the row numbers agree.
        liste.Retirer(21);
        QCOMPARE(modele.rowCount(), 21);
        liste.Ajouter(Ligne("dernier"));
        modele.DiffererAjouts(false);
        QCOMPARE(modele.rowCount(), 22);
        QCOMPARE(modele.data(modele.index(21, 0)).toString(), QStringLiteral("dernier"));
        liste.Ajouter(Ligne("après"));
        QCOMPARE(modele.rowCount(), 23);
    }

    void LesCellulesMontrentLesTextesDeLaLigneEtLaTailleEstCalleeADroite()
    {
        ListeMessages liste;
        ModeleMessages modele(liste);
        liste.Ajouter(Ligne("Anne Martin", "Réunion à 10 h", 40000.5, 1234));
        QCOMPARE(modele.columnCount(), 4);
        QCOMPARE(modele.data(modele.index(0, 0)).toString(), QStringLiteral("Anne Martin"));
        QCOMPARE(modele.data(modele.index(0, 1)).toString(), QString::fromUtf8("Réunion à 10 h"));
        QCOMPARE(modele.data(modele.index(0, 3)).toString(), QStringLiteral("1234"));
        QCOMPARE(modele.data(modele.index(0, 2)).toString(), QString::fromStdString(Cp1252VersUtf8(TexteDate(40000.5))));
        const QStringList titres = {QStringLiteral("De"), QStringLiteral("Sujet"), QStringLiteral("Date"),
                                    QStringLiteral("Taille")};
        for (int c = 0; c < 4; ++c) QCOMPARE(modele.headerData(c, Qt::Horizontal).toString(), titres[c]);
        const auto alignement = [&](int c) {
            return modele.data(modele.index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignement(3), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(alignement(0), Qt::Alignment(Qt::AlignLeft));
        QVERIFY(!modele.data(modele.index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(modele.flags(modele.index(0, 0)) & Qt::ItemIsUserCheckable);
        QVERIFY(!(modele.flags(modele.index(0, 2)) & Qt::ItemIsUserCheckable));
        QVERIFY(!(modele.flags(modele.index(0, 1)) & Qt::ItemIsEditable));
    }

    void UneLigneMarqueeEstBarreeSurToutesSesColonnesEtCocheeEnColonneZero()
    {
        ListeMessages liste;
        ModeleMessages modele(liste);
        liste.Ajouter(Ligne("A"));
        liste.Ajouter(Ligne("B", "S", 40000, 1, true));
        for (int c = 0; c < 4; ++c) {
            QVERIFY(!modele.data(modele.index(0, c), Qt::FontRole).value<QFont>().strikeOut());
            QVERIFY(modele.data(modele.index(1, c), Qt::FontRole).value<QFont>().strikeOut());
        }
        QCOMPARE(modele.data(modele.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(modele.data(modele.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(!modele.data(modele.index(1, 1), Qt::CheckStateRole).isValid());

        // Ticking the box marks the row, tells the window, and strikes the row out.
        QSignalSpy marque(&modele, &ModeleMessages::MarqueModifiee);
        QSignalSpy change(&modele, &QAbstractItemModel::dataChanged);
        QVERIFY(modele.setData(modele.index(0, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(liste[0].Marque);
        QCOMPARE(marque.count(), 1);
        QCOMPARE(change.count(), 1);
        QVERIFY(modele.data(modele.index(0, 3), Qt::FontRole).value<QFont>().strikeOut());
    }

    void LaColonneDeTriEstPeinteEnGrisClair()
    {
        ListeMessages liste;
        ModeleMessages modele(liste);
        liste.Ajouter(Ligne("A"));
        const QColor gris(242, 242, 242);
        const auto fond = [&](int c) { return modele.data(modele.index(0, c), Qt::BackgroundRole); };
        QCOMPARE(fond(0).value<QBrush>().color(), gris);
        for (int c = 1; c < 4; ++c) QVERIFY(!fond(c).isValid());
        QSignalSpy change(&modele, &QAbstractItemModel::dataChanged);
        modele.DefinirColonneTri(2);
        QCOMPARE(change.count(), 2);  // the old column and the new one are repainted
        QCOMPARE(fond(2).value<QBrush>().color(), gris);
        QVERIFY(!fond(0).isValid());
    }

    void PremierClicSurDeTrieDeAaZEnOrdreDesOctetsPuisLeSecondDeZaA()
    {
        ListeMessages liste;
        for (const char* de : {"bob", "Zoé", "alice", "Bob", "émile"}) liste.Ajouter(Ligne(de));
        TriListe tri;
        QCOMPARE(tri.Colonne(), 0);
        QVERIFY(!tri.Ascendant());
        tri.ClicColonne(liste, 0);
        QVERIFY(tri.Ascendant());
        // Capitals before small letters; an accented letter after every ASCII letter.
        QCOMPARE(Colonne(liste, 0), (Textes{"Bob", "Zoé", "alice", "bob", "émile"}));
        tri.ClicColonne(liste, 0);
        QVERIFY(!tri.Ascendant());
        QCOMPARE(Colonne(liste, 0), (Textes{"émile", "bob", "alice", "Zoé", "Bob"}));
    }

    void UneAutreColonneGardeLeSensPremierClicSurDateMontreLesPlusRecentsDAbord()
    {
        ListeMessages liste;
        liste.Ajouter(Ligne("a", "S", EncoderDate(2003, 12, 25) + EncoderHeure(14, 5, 0)));
        liste.Ajouter(Ligne("b", "S", EncoderDate(2004, 1, 2)));
        liste.Ajouter(Ligne("c", "S", EncoderDate(2003, 12, 25) + EncoderHeure(9, 0, 0)));
        TriListe tri;
        tri.ClicColonne(liste, 2);
        QCOMPARE(tri.Colonne(), 2);
        QVERIFY(!tri.Ascendant());
        QCOMPARE(Colonne(liste, 0), (Textes{"b", "a", "c"}));
        tri.ClicColonne(liste, 2);
        QCOMPARE(Colonne(liste, 0), (Textes{"c", "a", "b"}));
        // Back on "De": the direction, now ascending, stays.
        tri.ClicColonne(liste, 0);
        QVERIFY(tri.Ascendant());
        QCOMPARE(Colonne(liste, 0), (Textes{"a", "b", "c"}));
    }

    void UneDateIlisibleCompteCommeEgaleEtLeTriVaJusquAuBout()
    {
        // An empty date (none could be read from the header) sorts before every readable one.
        ListeMessages liste;
        liste.Ajouter(Ligne("a", "S", EncoderDate(2001, 1, 1)));
        LigneMessage illisible = Ligne("x");
        illisible.Date = "pas une date";
        liste.Ajouter(illisible);
        liste.Ajouter(Ligne("b", "S", EncoderDate(2002, 1, 1)));
        LigneMessage vide = Ligne("y");
        vide.Date.clear();
        liste.Ajouter(vide);
        TriListe tri;
        tri.ClicColonne(liste, 2);
        QCOMPARE(liste.Nombre(), std::size_t(4));
        QCOMPARE(Colonne(liste, 0), (Textes{"b", "a", "x", "y"}));  // newest first
        tri.ClicColonne(liste, 2);
        QCOMPARE(Colonne(liste, 0), (Textes{"x", "y", "a", "b"}));
    }

    void LesTaillesSeComparentCommeDesNombres()
    {
        ListeMessages liste;
        for (long long t : {1000, 999, 25, -1, 100000}) liste.Ajouter(Ligne(std::to_string(t), "S", 40000, t));
        TriListe tri;
        tri.ClicColonne(liste, 3);  // descending: the direction is kept from the start
        QCOMPARE(Colonne(liste, 3), (Textes{"100000", "1000", "999", "25", "-1"}));
        tri.ClicColonne(liste, 3);
        QCOMPARE(Colonne(liste, 3), (Textes{"-1", "25", "999", "1000", "100000"}));
    }

    void LesSujetsIgnorentLaCasseAsciiEtComparentLesLettresAccentueesParLeurCode()
    {
        ListeMessages liste;
        // Rows that differ only by ASCII case keep their order (the sort is stable).
        for (const char* s : {"bonjour", "Été", "BONJOUR", "Avis", "etat", "Bonjour"}) liste.Ajouter(Ligne(s, s));
        TriListe tri;
        tri.ClicColonne(liste, 1);
        QVERIFY(!tri.Ascendant());
        tri.ClicColonne(liste, 1);
        QVERIFY(tri.Ascendant());
        QCOMPARE(Colonne(liste, 1), (Textes{"Avis", "bonjour", "BONJOUR", "Bonjour", "etat", "Été"}));
    }

    void LeModeParCompteRegroupeParServeurPuisParUtilisateur()
    {
        ListeMessages liste;
        const auto ligne = [](const char* serveur, const char* user) {
            LigneMessage l = Ligne(std::string(serveur) + "/" + user);
            l.Resume.Compte = test::Compte("C", serveur, user);
            return l;
        };
        liste.Ajouter(ligne("pop.b", "x"));
        liste.Ajouter(ligne("pop.a", "y"));
        liste.Ajouter(ligne("pop.b", "a"));
        liste.Ajouter(ligne("pop.a", "Y"));
        TriListe tri;
        tri.TrierParCompte(liste);
        QCOMPARE(Colonne(liste, 0), (Textes{"pop.a/Y", "pop.a/y", "pop.b/a", "pop.b/x"}));
        QVERIFY(tri.ParCompte());
        tri.ClicColonne(liste, 0);
        QVERIFY(!tri.ParCompte());
    }

    void LeTriParClesDonneLOrdreDeLaComparaisonLigneALigne()
    {
        // Rows full of ties (same sender, subjects equal but for ASCII case, the same date,
        // unreadable dates, sizes not numbers, two accounts): every column both ways and the
        // by-account mode give the order a stable sort by LVMsgCompare gives.
        const char* textes[] = {"bob", "Bob", "émile", "", "Zoé", "bob "};
        const char* dates[] = {"", "pas une date", "x"};
        const char* tailles[] = {"10", "9", "-1", "", "abc", "100000", "010"};
        ListeMessages liste;
        for (int i = 0; i < 120; ++i) {
            LigneMessage l = Ligne(textes[i % 6], textes[(i / 6) % 6], EncoderDate(2003, 1, 1 + i % 4) + (i % 3) * 0.25,
                                   0, false, i + 1);
            if (i % 7 == 0) l.Date = dates[i % 3];
            l.Taille = tailles[i % 7];
            l.Resume.Compte = test::Compte("C", i % 2 ? "pop.b" : "pop.a", i % 5 ? "anne" : "Anne");
            liste.Ajouter(l);
        }
        for (int parCompte = 0; parCompte < 2; ++parCompte) {
            for (int colonne = 0; colonne < 4; ++colonne) {
                for (bool ascendant : {true, false}) {
                    std::vector<std::size_t> attendu(liste.Nombre());
                    for (std::size_t i = 0; i < attendu.size(); ++i) attendu[i] = i;
                    std::stable_sort(attendu.begin(), attendu.end(), [&](std::size_t a, std::size_t b) {
                        return LVMsgCompare(liste[a], liste[b], ColonneTri(colonne), ascendant, parCompte,
                                            LireDateListe) < 0;
                    });
                    QCOMPARE(OrdreLVMsg(liste, ColonneTri(colonne), ascendant, parCompte, LireDateListe), attendu);
                }
            }
        }
        // The window's sort moves the rows that way and says where each came from.
        ListeMessages copie;
        for (std::size_t i = 0; i < liste.Nombre(); ++i) copie.Ajouter(liste[i]);
        TriListe tri;
        const std::vector<std::size_t> ordre = tri.ClicColonne(copie, 2);
        QCOMPARE(ordre, OrdreLVMsg(liste, ColonneTri::Date, false, false, LireDateListe));
        for (std::size_t i = 0; i < ordre.size(); ++i) QCOMPARE(copie[i].Resume.Numero, liste[ordre[i]].Resume.Numero);
    }
};

VASKOR_TEST_QT(TestListeMessagesUi)
#include "test_liste_messages_ui.moc"
