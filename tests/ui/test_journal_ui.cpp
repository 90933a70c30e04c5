// The journal window: loading off the window's thread, its texts and columns, its sorts.

#include "outils_ui.h"
#include "registre.h"

#include "core/dates.h"
#include "core/journal.h"
#include "core/texte_date.h"
#include "ui/modele_journal.h"
#include "ui/tfmailssupp.h"
#include "ui/texte_qt.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QCoreApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <deque>
#include <filesystem>
#include <vector>

using namespace vaskor;

namespace {

std::filesystem::path Chemin(const QTemporaryDir& d) { return std::filesystem::path(d.path().toStdString()); }

void EcrireJournal(const std::filesystem::path& dossier, const std::vector<Texte>& lignes)
{
    const ResultatFichier r =
        EcrireFichierAtomique(dossier / std::string(NomFichierJournal), AssemblerLignesJournal(lignes));
    QVERIFY(r.ok);
}

Texte Ligne(const std::string& compte, const std::string& de, TDateHeure date, long long taille,
            const std::string& raison = "Filtre")
{
    return LigneJournal(Utf8VersCp1252(compte), Utf8VersCp1252(de), "Sujet", TexteDate(date), taille,
                        Utf8VersCp1252(raison));
}

QStringList Colonne(const ModeleJournal& m, int colonne)
{
    QStringList r;
    for (int i = 0; i < m.rowCount(); ++i) r << m.data(m.index(i, colonne)).toString();
    return r;
}

// Loads the window and waits for its last row.
bool AttendreChargement(TFMailsSupp& f)
{
    QSignalSpy fin(&f, &TFMailsSupp::ChargementTermine);
    f.Charger();
    return fin.wait(60000);
}

}  // namespace

class TestJournalUi : public QObject {
    Q_OBJECT
private slots:
    void UnJournalDe1500LignesSeChargePendantQueLaFenetreContinueDeRepondre()
    {
        QTemporaryDir d;
        std::vector<Texte> lignes;
        for (int i = 0; i < 1500; ++i) lignes.push_back(Ligne("Maison", "exp" + std::to_string(i), 40000 + i, i));
        EcrireJournal(Chemin(d), lignes);
        JournalEnAttente enAttente;
        enAttente.Ajouter(Ligne("Maison", "de la session", 41000, 7));
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);

        TFMailsSupp f(Chemin(d), enAttente, scriptees);
        QAbstractItemModelTester testeur(f.Modele(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.DefinirTailleLot(100);
        f.show();

        // A timer of the window's thread keeps turning while the rows come in.
        int tours = 0;
        std::vector<int> rangsVus;
        QTimer compteur;
        compteur.setInterval(0);
        connect(&compteur, &QTimer::timeout, [&] {
            ++tours;
            rangsVus.push_back(f.Modele()->rowCount());
        });
        QSignalSpy fin(&f, &TFMailsSupp::ChargementTermine);
        compteur.start();
        f.Charger();
        QCOMPARE(f.windowTitle(), QStringLiteral("Chargement du journal en cours..."));
        QVERIFY(f.ChargementEnCours());
        // A second request during the loading is ignored.
        f.Charger();
        QVERIFY(fin.wait(60000));
        compteur.stop();

        QCOMPARE(fin.count(), 1);
        QVERIFY(tours > 0);
        // The rows came in several turns, not in one block.
        QVERIFY(std::any_of(rangsVus.begin(), rangsVus.end(), [](int n) { return n > 0 && n < 1501; }));
        QCOMPARE(f.Modele()->rowCount(), 1501);
        QCOMPARE(f.windowTitle(), QStringLiteral("Journal"));
        QVERIFY(!f.ChargementEnCours());
        // One account: the opening order (first column, ascending) keeps the file's order, then
        // this run's line.
        QCOMPARE(f.Modele()->data(f.Modele()->index(0, 1)).toString(), QStringLiteral("exp0"));
        QCOMPARE(f.Modele()->data(f.Modele()->index(1499, 1)).toString(), QStringLiteral("exp1499"));
        QCOMPARE(f.Modele()->data(f.Modele()->index(1500, 1)).toString(), QStringLiteral("de la session"));
        QVERIFY(boites.empty());

        // Opening again rebuilds the rows rather than adding to them.
        QVERIFY(AttendreChargement(f));
        QCOMPARE(f.Modele()->rowCount(), 1501);
    }

    void LaFenetreALesTitresLesColonnesEtLeBoutonAttendus()
    {
        QTemporaryDir d;
        EcrireJournal(Chemin(d), {Ligne("Maison", "Anne", 40000.25, 1234, "Expéditeur interdit")});
        JournalEnAttente enAttente;
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);
        TFMailsSupp f(Chemin(d), enAttente, scriptees);
        f.show();
        QVERIFY(AttendreChargement(f));

        QCOMPARE(f.windowTitle(), QStringLiteral("Journal"));
        QVERIFY(f.windowFlags() & Qt::WindowMaximizeButtonHint);
        const ModeleJournal& m = *f.Modele();
        const QStringList titres = {QStringLiteral("A"),    QStringLiteral("De"),     QStringLiteral("Sujet"),
                                    QStringLiteral("Date"), QStringLiteral("Taille"), QStringLiteral("Raison")};
        const int largeurs[] = {125, 150, 150, 120, 50, 200};
        QCOMPARE(m.columnCount(), 6);
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(m.headerData(c, Qt::Horizontal).toString(), titres[c]);
            // "Date" widens when the desktop's font needs more than 120 pixels for a date and a time.
            if (c == 3) {
                QVERIFY(f.LVMailsSupp()->header()->sectionSize(c) >= largeurs[c]);
                QVERIFY(f.LVMailsSupp()->header()->sectionSize(c) >
                        f.LVMailsSupp()->fontMetrics().horizontalAdvance(VersQString(TexteDate(40000.25))));
            } else {
                QCOMPARE(f.LVMailsSupp()->header()->sectionSize(c), largeurs[c]);
            }
        }
        QCOMPARE(m.data(m.index(0, 0)).toString(), QStringLiteral("Maison"));
        QCOMPARE(m.data(m.index(0, 1)).toString(), QStringLiteral("Anne"));
        QCOMPARE(m.data(m.index(0, 3)).toString(), VersQString(TexteDate(40000.25)));
        QCOMPARE(m.data(m.index(0, 4)).toString(), QStringLiteral("1234"));
        QCOMPARE(m.data(m.index(0, 5)).toString(), QString::fromUtf8("Expéditeur interdit"));
        const auto alignement = [&](int c) {
            return m.data(m.index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignement(4), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(alignement(1), Qt::Alignment(Qt::AlignLeft));
        // Only the sort column is painted light grey.
        QCOMPARE(m.data(m.index(0, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(242, 242, 242));
        QVERIFY(!m.data(m.index(0, 2), Qt::BackgroundRole).isValid());
        f.LVMailsSuppColumnClick(2);
        QCOMPARE(m.data(m.index(0, 2), Qt::BackgroundRole).value<QBrush>().color(), QColor(242, 242, 242));
        QVERIFY(!m.data(m.index(0, 0), Qt::BackgroundRole).isValid());
        QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));

        QCOMPARE(f.BFermer()->text(), QStringLiteral("&Fermer"));
        QVERIFY(f.BFermer()->isDefault());
        QTest::mouseClick(f.BFermer(), Qt::LeftButton);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Rejected));
    }

    void DansUneGrandePoliceLaColonneDateGardeLHeureEntiere()
    {
        const QFont avant = QApplication::font();
        QFont grande = avant;
        grande.setPointSize(20);
        QApplication::setFont(grande);
        JournalEnAttente enAttente;
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);
        TFMailsSupp f(std::filesystem::path(), enAttente, scriptees);
        QApplication::setFont(avant);
        const int texte = f.LVMailsSupp()->fontMetrics().horizontalAdvance(VersQString(TexteDate(40000.25)));
        QVERIFY(texte > 120);
        QVERIFY(f.LVMailsSupp()->header()->sectionSize(3) > texte);
    }

    void LesDatesEtLesTaillesSeTrientParValeurEtUnSecondClicInverseLOrdre()
    {
        QTemporaryDir d;
        // In file order: the text order of these dates and sizes is not their value order.
        EcrireJournal(Chemin(d), {
                                     Ligne("Maison", "b", EncoderDate(2004, 1, 2) + 0.5, 100),
                                     Ligne("Maison", "c", EncoderDate(2003, 12, 31) + 0.5, 9),
                                     Ligne("Maison", "a", EncoderDate(2004, 1, 2) + 0.25, 1000),
                                     Ligne("Maison", "d", EncoderDate(2003, 2, 15) + 0.75, 20),
                                 });
        JournalEnAttente enAttente;
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);
        TFMailsSupp f(Chemin(d), enAttente, scriptees);
        f.show();
        QVERIFY(AttendreChargement(f));
        QCOMPARE(f.Modele()->ColonneTri(), 0);
        QVERIFY(f.Modele()->Ascendant());

        // A click on the "Date" header itself.
        QHeaderView* entete = f.LVMailsSupp()->header();
        const auto clic = [&](int colonne) {
            QTest::mouseClick(entete->viewport(), Qt::LeftButton, {},
                              QPoint(entete->sectionViewportPosition(colonne) + 5, entete->height() / 2));
        };
        clic(3);
        QCOMPARE(f.Modele()->ColonneTri(), 3);
        QCOMPARE(Colonne(*f.Modele(), 1), (QStringList{QStringLiteral("d"), QStringLiteral("c"), QStringLiteral("a"),
                                                        QStringLiteral("b")}));
        // "Taille" first in the current direction, then reversed.
        clic(4);
        QCOMPARE(Colonne(*f.Modele(), 4), (QStringList{QStringLiteral("9"), QStringLiteral("20"),
                                                        QStringLiteral("100"), QStringLiteral("1000")}));
        clic(4);
        QVERIFY(!f.Modele()->Ascendant());
        QCOMPARE(Colonne(*f.Modele(), 4), (QStringList{QStringLiteral("1000"), QStringLiteral("100"),
                                                        QStringLiteral("20"), QStringLiteral("9")}));
        // Another column keeps the descending direction.
        clic(3);
        QCOMPARE(Colonne(*f.Modele(), 1), (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c"),
                                                        QStringLiteral("d")}));

        // The selection follows its row through a sort.
        f.LVMailsSupp()->setCurrentIndex(f.Modele()->index(0, 0));
        clic(4);
        QCOMPARE(f.Modele()->data(f.LVMailsSupp()->currentIndex().siblingAtColumn(1)).toString(), QStringLiteral("b"));

        // Showing the window again starts from the first column, ascending.
        f.hide();
        f.show();
        QCOMPARE(f.Modele()->ColonneTri(), 0);
        QVERIFY(f.Modele()->Ascendant());
    }

    void LesTextesSeComparentSelonLeurColonneEtUnChampAbsentOuIllisibleVientEnTete()
    {
        const auto rang = [](const std::string& ligne) { return PreparerRangJournal(Utf8VersCp1252(ligne)); };
        // Column 0 is byte-wise with letter case; 1, 2 and 5 fold ASCII letters only.
        QVERIFY(ComparerRangsJournal(rang("B\t"), rang("a\t"), 0) < 0);
        QVERIFY(ComparerRangsJournal(rang("x\tb\t"), rang("x\tA\t"), 1) > 0);
        QCOMPARE(ComparerRangsJournal(rang("x\tanne\t"), rang("x\tANNE\t"), 1), 0);
        QVERIFY(ComparerRangsJournal(rang("x\ts\tÉté\t"), rang("x\ts\téTé\t"), 2) != 0);
        QCOMPARE(ComparerRangsJournal(rang("x\t1\t2\t3\t4\tFILTRE\t"), rang("x\t1\t2\t3\t4\tfiltre\t"), 5), 0);
        // A row too short for the column comes first; two such rows are equal.
        QVERIFY(ComparerRangsJournal(rang("x\ta\t"), rang("x\ta\tb\tc\t5\t"), 4) < 0);
        QCOMPARE(ComparerRangsJournal(rang("sans tabulation"), rang("x\t"), 3), 0);
        // Sizes and dates that do not read come before those that do.
        const Texte date = TexteDate(40000.5);
        QVERIFY(ComparerRangsJournal(rang("x\ta\tb\tpas une date\t1\t"),
                                     rang("x\ta\tb\t" + Cp1252VersUtf8(date) + "\t1\t"), 3) < 0);
        QVERIFY(ComparerRangsJournal(rang("x\ta\tb\tc\tbeaucoup\t"), rang("x\ta\tb\tc\t0\t"), 4) < 0);
        QVERIFY(ComparerRangsJournal(rang("x\ta\tb\tc\t-5\t"), rang("x\ta\tb\tc\t0\t"), 4) < 0);
        // A TAB inside a field moves the later fields one column to the right.
        const RangJournalAffiche decale = rang("Maison\tAnne\tsujet\tavec tab\tdate\t12\tFiltre\t");
        QCOMPARE(decale.textes.size(), std::size_t(7));
        QCOMPARE(decale.textes[4], QStringLiteral("date"));
    }

    void UnJournalIllisibleEstSignaleEnFrancaisEtLesLignesDeLaSessionRestent()
    {
        QTemporaryDir d;
        // A folder where the file should be: it exists but cannot be read.
        std::filesystem::create_directory(Chemin(d) / std::string(NomFichierJournal));
        JournalEnAttente enAttente;
        enAttente.Ajouter(Ligne("Maison", "de la session", 41000, 7));
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);
        TFMailsSupp f(Chemin(d), enAttente, scriptees);
        f.show();
        QVERIFY(AttendreChargement(f));
        QCOMPARE(f.Modele()->rowCount(), 1);
        QCOMPARE(boites.size(), std::size_t(1));
        QCOMPARE(boites[0].titre, Texte("Erreur"));
        QCOMPARE(boites[0].icone, IconeMessage::Erreur);
        QVERIFY(boites[0].texte.starts_with("Le journal des mails supprim\xE9s n'a pas pu \xEAtre lu.\r\n"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Journal"));

        // No file at all is an empty journal, without a message.
        QTemporaryDir vide;
        boites.clear();
        TFMailsSupp g(Chemin(vide), enAttente, scriptees);
        QVERIFY(AttendreChargement(g));
        QCOMPARE(g.Modele()->rowCount(), 1);
        QVERIFY(boites.empty());
    }

    void LaFenetreFermeePendantLaLectureAttendSonTravailleur()
    {
        QTemporaryDir d;
        std::vector<Texte> lignes(3000, Ligne("Maison", "Anne", 40000, 1));
        EcrireJournal(Chemin(d), lignes);
        JournalEnAttente enAttente;
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> boites;
        test::BoitesScriptees scriptees(&reponses, &boites);
        {
            TFMailsSupp f(Chemin(d), enAttente, scriptees);
            f.Charger();
        }
        // Nothing is left running against the destroyed window.
        QCoreApplication::processEvents();
        QVERIFY(boites.empty());
    }
};

VASKOR_TEST_QT(TestJournalUi)
#include "test_journal_ui.moc"
