// The main window: its commands, the enabling rule of the list commands, marking, clearing the
// list, the check menus, the headers viewer, the status bar and the way to the tray.

#include "outils_ui.h"
#include "registre.h"

#include "core/dates.h"
#include "crypto/fichier_comptes.h"
#include "support/banc_controle.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"
#include "ui/actions_liste.h"
#include "ui/commandes.h"
#include "ui/menus_controle.h"
#include "ui/modele_messages.h"
#include "ui/tfentete.h"
#include "ui/tfmain.h"
#include "ui/vue_messages.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <functional>
#include <utility>

using namespace vaskor;
using vaskor::test::Compte;
using vaskor::test::Ligne;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// A window whose message boxes answer from a script.
struct Fenetre {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    TFMain f;
    Fenetre() { f.DefinirBoites(std::make_unique<test::BoitesScriptees>(&reponses, &posees)); }
    QAction* A(const char* nom) { return f.findChild<QAction*>(QString::fromLatin1(nom)); }
    void Remplir(int n, int marquees = 0)
    {
        for (int i = 0; i < n; ++i)
            f.Liste().Ajouter(Ligne("Exp " + std::to_string(i), "Sujet", 40000 + i, 100 + i, i < marquees, i + 1));
        f.MajActions(false);
    }
};

QStringList Textes(const QMenu* m)
{
    QStringList r;
    for (const QAction* a : m->actions()) r << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return r;
}

// Boxes that run `pendant` while the next question is open, as the event loop of a real box
// would run whatever comes meanwhile.
struct BoitesReentrantes : test::BoitesScriptees {
    using test::BoitesScriptees::BoitesScriptees;
    std::function<void()> pendant;
    ReponseMessage Question(QWidget* p, const Texte& titre, const Texte& texte, BoutonsMessage boutons,
                            IconeMessage icone, bool defautNon) override
    {
        if (auto f = std::exchange(pendant, nullptr)) f();
        return test::BoitesScriptees::Question(p, titre, texte, boutons, icone, defautNon);
    }
};

// Every action of the table, plugged in, so that only the rule decides.
struct ActionsBranchees {
    QObject parent;
    Commandes c{&parent};
    QMenu email1;
    ActionsListe actions{c};
    ActionsBranchees()
    {
        for (Commande k : {Commande::Apercu, Commande::Supprimer, Commande::Filtrer, Commande::AjouterAuxAmis})
            c.Brancher(k, [] {});
        for (QAction* a : {c.VoirLesEntetes1, c.ApercuMessage1, c.Marquer1, c.ToutMarquer1, c.InverserMarquage1,
                           c.AnnulerMarquage1, c.Supprimer1, c.EffacerListe1})
            email1.addAction(a);
    }
};

}  // namespace

class TestTFMain : public QObject {
    Q_OBJECT
private slots:
    void ChaqueCommandeALeTitreLeRaccourciEtLAideDuTableau()
    {
        Fenetre w;
        const struct {
            const char* nom;
            const char* titre;
            QKeySequence touche;
        } table[] = {
            {"Masquer1", "Masquer", QKeySequence(Qt::Key_Escape)},
            {"Quitter1", "Quitter", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            {"VoirLesEntetes1", "Voir les entêtes...", QKeySequence(Qt::Key_F2)},
            {"ApercuMessage1", "Aperçu...", QKeySequence(Qt::Key_F3)},
            {"Marquer1", "Sélectionner", QKeySequence(Qt::Key_Delete)},
            {"ToutMarquer1", "Tout sélectionner", QKeySequence(Qt::CTRL | Qt::Key_A)},
            {"InverserMarquage1", "Inverser", QKeySequence(Qt::CTRL | Qt::Key_I)},
            {"AnnulerMarquage1", "Annuler", QKeySequence(Qt::CTRL | Qt::Key_Z)},
            {"Supprimer1", "Supprimer", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
            {"EffacerListe1", "Effacer la liste", QKeySequence(Qt::CTRL | Qt::Key_L)},
            {"AjouterFiltre1", "Filtrer...", QKeySequence(Qt::Key_Insert)},
            {"Filtres1", "Gestion des filtres...", QKeySequence(Qt::CTRL | Qt::Key_F)},
            {"ControleAuto1", "Contrôle automatique...", QKeySequence(Qt::Key_F4)},
            {"AjouterAuxAmis1", "Ajouter aux amis", QKeySequence(Qt::Key_F5)},
            {"Amis1", "Amis...", QKeySequence(Qt::Key_F6)},
            {"LancerMessagerie1", "Lancer la messagerie", QKeySequence(Qt::Key_F9)},
            {"EmailsSupprimes1", "Journal...", QKeySequence(Qt::Key_F10)},
            {"Comptes1", "Comptes...", QKeySequence(Qt::Key_F11)},
            {"Options1", "Options...", QKeySequence(Qt::Key_F12)},
            {"Aide1", "Aide...", QKeySequence(Qt::Key_F1)},
            {"APropos1", "&A propos...", QKeySequence()},
        };
        for (const auto& l : table) {
            QAction* a = w.A(l.nom);
            QVERIFY2(a, l.nom);
            QCOMPARE(a->text(), U(l.titre));
            QCOMPARE(a->shortcut(), l.touche);
            QVERIFY2(!a->statusTip().isEmpty(), l.nom);
        }
        QCOMPARE(w.A("Masquer1")->statusTip(), U("Masquer Vaskor"));
        QCOMPARE(w.A("Quitter1")->statusTip(), U("Quitter Vaskor :-("));
        QCOMPARE(w.A("APropos1")->statusTip(), U("A propos de Vaskor..."));
        QCOMPARE(w.f.findChild<QMenu*>(QStringLiteral("Fichier1"))->menuAction()->statusTip(), U("Masquer Vaskor"));

        // The pop-up and drop-down items, and the tool buttons with the hints of their menu commands.
        const struct {
            const char* nom;
            const char* titre;
        } autres[] = {
            {"VoirLesEntetes2", "Voir les entêtes..."}, {"Apercu2", "Aperçu..."},
            {"Marquer2", "Sélectionner"},              {"ToutMarquer2", "Tout sélectionner"},
            {"InverserMarquage2", "Inverser la sélection"}, {"AnnulerMarquage2", "Annuler la sélection"},
            {"Supprimer2", "Supprimer"},               {"AjouterFiltre2", "Filtrer..."},
            {"AjouterAuxAmis2", "Ajouter aux amis"},   {"Marquer3", "Sélectionner"},
            {"Toutmarquer3", "Tout sélectionner"},     {"Inverser1", "Inverser"},
            {"Annuler1", "Annuler"},                   {"AjouterFiltre3", "Ajouter un filtre..."},
            {"Filtres2", "Filtres..."},                {"BCheck", "&Contrôler..."},
            {"BEntetes", "E&ntêtes..."},               {"BApercu", "Aperç&u..."},
            {"BMarquer", "Sé&lectionner"},             {"BSupprimerMails", "&Supprimer"},
            {"BFiltres", "F&iltrer..."},
        };
        for (const auto& l : autres) {
            QVERIFY2(w.A(l.nom), l.nom);
            QCOMPARE(w.A(l.nom)->text(), U(l.titre));
            QVERIFY(w.A(l.nom)->shortcut().isEmpty());
        }
        const std::pair<const char*, const char*> aides[] = {{"BEntetes", "VoirLesEntetes1"},
                                                             {"BApercu", "ApercuMessage1"},
                                                             {"BMarquer", "Marquer1"},
                                                             {"BSupprimerMails", "Supprimer1"}};
        for (const auto& [bouton, menu] : aides) QCOMPARE(w.A(bouton)->statusTip(), w.A(menu)->statusTip());
        QCOMPARE(w.A("BCheck")->statusTip(), w.f.findChild<QMenu*>(QStringLiteral("Controler1"))->menuAction()->statusTip());
        QCOMPARE(w.f.BoutonOutil(w.A("BCheck"))->text(), U("&Contrôler..."));

        QCOMPARE(w.f.windowTitle(), U("Vaskor"));
        QVERIFY(w.f.minimumWidth() >= 500 && w.f.minimumHeight() >= 250);
    }

    void LesCommandesDesPartiesAVenirRestentEteintesJusquABranchement()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(3, 1);
        w.f.SelectionnerLigne(1);
        w.f.MajActions(true);
        for (const char* nom : {"Aide1", "LancerMessagerie1"}) QVERIFY2(!w.A(nom)->isEnabled(), nom);
        // The preview, the deletion, the journal window, the dialogs of accounts, filters, friends and
        // options, the about box and the automatic-check dialog are the window's own.
        for (const char* nom : {"ApercuMessage1", "Apercu2", "BApercu", "AjouterFiltre1", "AjouterFiltre2", "AjouterFiltre3", "BFiltres", "Filtres1",
                                "Filtres2", "AjouterAuxAmis1", "AjouterAuxAmis2", "Amis1", "Options1", "APropos1", "Comptes1"})
            QVERIFY2(w.A(nom)->isEnabled(), nom);
        QVERIFY(w.A("Supprimer1")->isEnabled());
        QVERIFY(w.A("ControleAuto1")->isEnabled());
        QVERIFY(w.A("EmailsSupprimes1")->isEnabled());

        int appels = 0;
        w.f.BrancherCommande(Commande::Aide, [&] { ++appels; });
        w.f.BrancherCommande(Commande::Apercu, [&] { appels += 10; });
        QVERIFY(w.A("Aide1")->isEnabled());
        QVERIFY(w.A("ApercuMessage1")->isEnabled());  // a row is selected
        w.A("Aide1")->trigger();
        w.A("BApercu")->trigger();
        QCOMPARE(appels, 11);
        w.f.SelectionnerLigne(-1);
        w.f.MajActions(false);
        QVERIFY(!w.A("Apercu2")->isEnabled());
    }

    void MajActionsSuitSonTableau_data()
    {
        QTest::addColumn<int>("lignes");
        QTest::addColumn<int>("marquees");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("connecte");
        QTest::newRow("liste vide") << 0 << 0 << false << false;
        QTest::newRow("lignes sans sélection") << 3 << 0 << false << false;
        QTest::newRow("lignes et sélection") << 3 << 0 << true << false;
        QTest::newRow("une ligne marquée") << 3 << 1 << false << false;
        QTest::newRow("marquées et sélection") << 3 << 2 << true << false;
        QTest::newRow("session ouverte") << 3 << 1 << true << true;
    }

    void MajActionsSuitSonTableau()
    {
        QFETCH(int, lignes);
        QFETCH(int, marquees);
        QFETCH(bool, selection);
        QFETCH(bool, connecte);
        ActionsBranchees b;
        const Commandes& c = b.c;
        b.actions.MajActions(selection, EtatListe{std::size_t(lignes), std::size_t(marquees), connecte}, &b.email1);

        const bool menuMessage = lignes >= 1 && !connecte;
        QCOMPARE(b.email1.menuAction()->isEnabled(), menuMessage);
        for (QAction* a : {c.BSupprimerMails, c.Supprimer2})
            QVERIFY2(a->isEnabled() == (marquees >= 1), qPrintable(a->objectName()));
        for (QAction* a : {c.BMarquer, c.BFiltres, c.ToutMarquer2, c.Toutmarquer3, c.InverserMarquage2, c.Inverser1,
                           c.AnnulerMarquage2, c.Annuler1})
            QVERIFY2(a->isEnabled() == (lignes >= 1), qPrintable(a->objectName()));
        for (QAction* a : {c.Marquer2, c.Marquer3, c.VoirLesEntetes2, c.Apercu2, c.AjouterAuxAmis1, c.AjouterAuxAmis2,
                           c.AjouterFiltre1, c.AjouterFiltre2, c.AjouterFiltre3, c.BEntetes, c.BApercu})
            QVERIFY2(a->isEnabled() == selection, qPrintable(a->objectName()));
        // The "Message" menu's own items follow the same rule, and a shut menu shuts them all.
        QCOMPARE(c.Supprimer1->isEnabled(), menuMessage && marquees >= 1);
        for (QAction* a : {c.ToutMarquer1, c.InverserMarquage1, c.AnnulerMarquage1, c.EffacerListe1})
            QVERIFY2(a->isEnabled() == (menuMessage && lignes >= 1), qPrintable(a->objectName()));
        for (QAction* a : {c.Marquer1, c.VoirLesEntetes1, c.ApercuMessage1})
            QVERIFY2(a->isEnabled() == (menuMessage && selection), qPrintable(a->objectName()));
    }

    void ToutSelectionnerPuisInverserNeLaisseAucuneMarqueEtEteintSupprimer()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(4);
        QVERIFY(!w.A("Supprimer1")->isEnabled());
        w.A("ToutMarquer1")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(4));
        QVERIFY(w.A("Supprimer1")->isEnabled());
        QVERIFY(w.A("BSupprimerMails")->isEnabled());
        w.A("InverserMarquage1")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        QVERIFY(!w.A("Supprimer1")->isEnabled());
        QVERIFY(!w.A("Supprimer2")->isEnabled());
        QVERIFY(!w.A("BSupprimerMails")->isEnabled());

        // "Sélectionner" toggles the selected row only; without a selection it does nothing.
        w.A("Marquer2")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        w.f.SelectionnerLigne(2);
        w.A("BMarquer")->trigger();
        QVERIFY(w.f.Liste()[2].Marque);
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(1));
        w.A("Marquer3")->trigger();
        QVERIFY(!w.f.Liste()[2].Marque);
        w.A("Toutmarquer3")->trigger();
        w.A("Annuler1")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        w.A("Inverser1")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(4));
        w.A("AnnulerMarquage2")->trigger();
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
    }

    void LesTouchesDuMenuMessageMarquentLesLignes()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(3);
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        w.f.activateWindow();
        w.f.LVMsg()->setFocus();
        w.f.SelectionnerLigne(0);
        QTest::keyClick(w.f.LVMsg(), Qt::Key_Delete);
        QVERIFY(w.f.Liste()[0].Marque);
        QTest::keyClick(w.f.LVMsg(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(3));
        QTest::keyClick(w.f.LVMsg(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        QTest::keyClick(w.f.LVMsg(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w.f.LVMsg(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        w.f.DefinirHideOnClose(false);
        w.f.close();
    }

    void LaCaseACocherDUneLigneMarqueLaLigneEtMetAJourLesCommandes()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(2);
        ModeleMessages* m = w.f.Modele();
        QVERIFY(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(w.f.Liste()[1].Marque);
        QVERIFY(w.A("Supprimer1")->isEnabled());
        QVERIFY(m->data(m->index(1, 2), Qt::FontRole).value<QFont>().strikeOut());
    }

    void AnnulerEffacerLaListeGardeLesLignesEtLeursMarques()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(3, 2);
        w.reponses = {ReponseMessage::Annuler};
        w.A("EffacerListe1")->trigger();
        QCOMPARE(w.posees.size(), std::size_t(1));
        QCOMPARE(w.posees[0].titre, Texte("Confirmation"));
        QCOMPARE(w.posees[0].texte, Texte("Effacer la liste de message(s) ?"));
        QCOMPARE(int(w.posees[0].boutons), int(BoutonsMessage::OkAnnuler));
        QCOMPARE(int(w.posees[0].icone), int(IconeMessage::Question));
        QCOMPARE(w.f.Liste().Nombre(), std::size_t(3));
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(2));

        w.reponses = {ReponseMessage::Ok};
        w.A("EffacerListe1")->trigger();
        QCOMPARE(w.f.Liste().Nombre(), std::size_t(0));
        QCOMPARE(w.f.Modele()->rowCount(), 0);
        QVERIFY(!w.A("EffacerListe1")->isEnabled());
        QVERIFY(!w.f.Email1()->isEnabled());
    }

    void LesMenusDeControleSuiventLesComptes()
    {
        Fenetre w;
        QMenu* pm = w.f.findChild<QMenu*>(QStringLiteral("PMComptes"));
        QMenu* c1 = w.f.findChild<QMenu*>(QStringLiteral("Controler1"));
        QMenu* c2 = w.f.MenuControlerTray();
        QVERIFY(pm && c1 && c2);

        // No account: the check commands are hidden or off.
        QVERIFY(pm->actions().isEmpty() && c1->actions().isEmpty() && c2->actions().isEmpty());
        QVERIFY(!c1->menuAction()->isVisible());
        QVERIFY(!c2->menuAction()->isVisible());
        QVERIFY(!w.f.Email1()->isVisible());
        QVERIFY(!w.A("AjouterFiltre1")->isVisible());
        QVERIFY(!w.A("ControleAuto1")->isVisible());
        for (const char* nom : {"BCheck", "BEntetes", "BApercu", "BMarquer", "BSupprimerMails"})
            QVERIFY2(!w.A(nom)->isEnabled(), nom);
        for (QAction* a : w.f.PMLVMsg()->actions()) QVERIFY(a->isSeparator() || !a->isEnabled());

        // One account: its entry alone.
        w.f.DefinirComptes({Compte("Maison", "pop.maison.fr")});
        QCOMPARE(Textes(pm), QStringList{U("Maison")});
        QCOMPARE(Textes(c1), QStringList{U("Maison")});
        QCOMPARE(Textes(c2), QStringList{U("Maison")});
        QCOMPARE(c1->actions()[0]->statusTip(), U("Contrôler Maison"));
        QVERIFY(c2->actions()[0]->statusTip().isEmpty());
        QVERIFY(c1->menuAction()->isVisible() && c2->menuAction()->isVisible() && w.f.Email1()->isVisible());
        QVERIFY(w.A("BCheck")->isEnabled());

        // Two accounts, given out of order: by description, then "Tous les comptes".
        w.f.DefinirComptes({Compte("travail", "pop.b"), Compte("Été & co", "pop.c"), Compte("Bureau", "pop.a")});
        const QStringList attendu = {U("Bureau"), U("travail"), U("Été && co"), U("-"), U("Tous les comptes")};
        QCOMPARE(Textes(pm), attendu);
        QCOMPARE(Textes(c1), attendu);
        QCOMPARE(Textes(c2), attendu);
        QCOMPARE(c1->actions()[2]->statusTip(), U("Contrôler Été & co"));
        for (QMenu* m : {pm, c1}) {
            QCOMPARE(m->actions()[4]->statusTip(), U("Contrôler tous les comptes"));
            QCOMPARE(m->actions()[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        }
        QCOMPARE(c2->actions()[4]->statusTip(), U("Contrôler tous les comptes"));
        QVERIFY(c2->actions()[4]->shortcut().isEmpty());
    }

    void AltCOuvreLeMenuDesComptesSousLeBouton()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("A"), Compte("B")});
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        QToolButton* bouton = w.f.BoutonOutil(w.A("BCheck"));
        QMenu* pm = w.f.findChild<QMenu*>(QStringLiteral("PMComptes"));
        QCOMPARE(bouton->menu(), pm);
        QPoint ouvert(-1, -1);
        QTimer::singleShot(0, [&] {
            if (QApplication::activePopupWidget() != pm) return;
            ouvert = pm->pos();
            pm->close();
        });
        QTest::keyClick(&w.f, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(ouvert != QPoint(-1, -1));
        QCOMPARE(ouvert.y(), bouton->mapToGlobal(QPoint(0, bouton->height())).y());
        w.f.DefinirHideOnClose(false);
        w.f.close();
    }

    void UneEntreeDeMenuLanceLeControleDeSonCompte()
    {
        QWidget parent;
        MenusControle menus(&parent);
        ListeComptes comptes;
        comptes.Remplacer({Compte("B"), Compte("A")});
        menus.Construire(comptes);
        QSignalSpy compte(&menus, &MenusControle::ControleCompte);
        QSignalSpy tous(&menus, &MenusControle::ControleTous);
        menus.Controler1()->actions()[1]->trigger();
        menus.Controler2()->actions()[0]->trigger();
        menus.PMComptes()->actions()[3]->trigger();
        QCOMPARE(compte.count(), 2);
        QCOMPARE(compte[0], (QVariantList{1, false}));
        QCOMPARE(compte[1], (QVariantList{0, true}));
        QCOMPARE(tous.count(), 1);
        menus.Vider();
        QVERIFY(menus.PMComptes()->actions().isEmpty());
    }

    void ActiverInterfaceEteintEtRallumeToutesLesCommandes()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("A"), Compte("B")});
        QAction quitter2(QStringLiteral("Quitter"));
        w.f.DefinirQuitterTray(&quitter2);
        w.Remplir(2, 1);
        w.f.ActiverInterface(false);
        QVERIFY(!w.f.LVMsg()->isEnabled());
        QVERIFY(!quitter2.isEnabled());
        for (QAction* a : w.f.Actions().BoutonsOutils()) QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (QAction* m : w.f.menuBar()->actions()) {
            QVERIFY(!m->isEnabled());
            for (QAction* a : m->menu()->actions()) QVERIFY(a->isSeparator() || !a->isEnabled());
        }
        w.f.ActiverInterface(true);
        QVERIFY(w.f.LVMsg()->isEnabled());
        QVERIFY(quitter2.isEnabled());
        QVERIFY(w.A("BCheck")->isEnabled());
        QVERIFY(w.A("Quitter1")->isEnabled());
        QVERIFY(w.f.findChild<QMenu*>(QStringLiteral("Controler1"))->actions()[0]->isEnabled());
        QVERIFY(w.A("Options1")->isEnabled());
        QVERIFY(w.A("Comptes1")->isEnabled());
    }

    void LaSelectionEcritLeCompteDansLaBarreDEtat()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        LigneMessage l = Ligne("Anne");
        l.Resume.Compte = Compte("Maison", "pop.exemple.fr", "anne.martin");
        w.f.Liste().Ajouter(l);
        w.f.Liste().Ajouter(Ligne("Bob"));
        w.f.SelectionnerLigne(0);
        QCOMPARE(w.f.LireStatut(0), U("A : anne.martin - pop.exemple.fr"));
        QVERIFY(w.A("VoirLesEntetes1")->isEnabled());
        w.f.SelectionnerLigne(-1);
        QCOMPARE(w.f.LireStatut(0), QString());
        // A selection change enables the selection commands whenever the list has rows.
        QVERIFY(w.A("Marquer1")->isEnabled());
    }

    // After a check the list takes the focus; the row with the focus frame is the selected one,
    // so "Entêtes..." works on the row the user sees framed, whether the list had the focus
    // already or takes it now.
    void ApresUnControleLaLigneCouranteEstLaLigneSelectionnee()
    {
        for (const bool focusAvant : {false, true}) {
            Fenetre w;
            w.f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.f));
            if (focusAvant) w.f.LVMsg()->setFocus();
            w.Remplir(3);
            w.f.FocusListe();
            QCOMPARE(w.f.LVMsg()->LigneSelectionnee(), 0);
            QCOMPARE(w.f.LVMsg()->currentIndex().row(), 0);
            QVERIFY(w.A("VoirLesEntetes1")->isEnabled());
        }
    }

    void UnClicSurUneColonneTrieGardeLaSelectionEtGriseLaColonne()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.f.Liste().Ajouter(Ligne("b", "S", 40000, 10, false, 1));
        w.f.Liste().Ajouter(Ligne("c", "S", 40000, 30, false, 2));
        w.f.Liste().Ajouter(Ligne("a", "S", 40000, 20, false, 3));
        w.f.SelectionnerLigne(1);  // "c"
        QCOMPARE(w.f.Modele()->ColonneTri(), 0);
        w.f.LVMsgColumnClick(3);  // sizes, still descending
        QCOMPARE(w.f.Modele()->ColonneTri(), 3);
        QCOMPARE(w.f.Liste()[0].De, Texte("c"));
        QCOMPARE(w.f.LigneSelectionnee(), 0);
        QCOMPARE(w.f.Modele()->data(w.f.Modele()->index(0, 3), Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(242, 242, 242));
        emit w.f.LVMsg()->header()->sectionClicked(3);  // the same column flips the direction
        QCOMPARE(w.f.Liste()[0].De, Texte("b"));
        QCOMPARE(w.f.LigneSelectionnee(), 2);
    }

    void LaVueNeSelectionneQuUneLigneEtGardeSesLargeurs()
    {
        Fenetre w;
        VueMessages* v = w.f.LVMsg();
        QCOMPARE(v->objectName(), U("LVMsg"));
        QCOMPARE(v->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(v->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(v->uniformRowHeights());
        const int largeurs[] = {200, 250, 120, 60};
        for (int i : {0, 1, 3}) QCOMPARE(v->header()->sectionSize(i), largeurs[i]);
        // "Date" widens when the desktop's font needs more than 120 pixels for a date and a time.
        QVERIFY(v->header()->sectionSize(2) >= 120);
        const Texte date = TexteDate(EncoderDate(2000, 12, 28) + EncoderHeure(20, 58, 58));
        QVERIFY(v->header()->sectionSize(2) > v->fontMetrics().horizontalAdvance(QString::fromStdString(Cp1252VersUtf8(date))));
        QCOMPARE(v->palette().brush(QPalette::Inactive, QPalette::Highlight),
                 v->palette().brush(QPalette::Active, QPalette::Highlight));
    }

    void LaBarreDEtatAQuatrePanneauxEtLaProgressionSurLeDeuxieme()
    {
        Fenetre w;
        const int largeurs[] = {275, 80, 75, 250};
        for (int i = 0; i < 4; ++i) {
            auto* p = w.f.findChild<QLabel*>(QStringLiteral("Panneau%1").arg(i));
            QVERIFY(p);
            QCOMPARE(p->minimumWidth(), largeurs[i]);  // the least; a longer text widens it
        }
        QVERIFY(w.f.findChild<QLabel*>(QStringLiteral("Panneau2"))->alignment() & Qt::AlignRight);
        QProgressBar* b = w.f.BarreProgression();
        QCOMPARE(b->parentWidget(), w.f.findChild<QLabel*>(QStringLiteral("Panneau1")));
        QVERIFY(b->isHidden());
        w.f.Progression(true, 10, 3);
        QVERIFY(!b->isHidden());
        QCOMPARE(b->maximum(), 10);
        QCOMPARE(b->value(), 3);
        w.f.Progression(false, 10, 0);
        QVERIFY(b->isHidden());

        w.f.TexteStatut(2, "1 ko");
        w.f.TexteStatut(3, "Serveur : pop.exemple.fr");
        w.f.TexteCompte("  Compte : Maison");
        QCOMPARE(w.f.LireStatut(2), U("1 ko"));
        QCOMPARE(w.f.LireStatut(3), U("Serveur : pop.exemple.fr"));
        QCOMPARE(w.f.LireCompte(), U("  Compte : Maison"));
        w.f.LabelProchainControle(true, "Prochain contr\xF4le : 25/12/2003 - 14:05");
        QVERIFY(!w.f.LNextCheck()->isHidden());
        QCOMPARE(w.f.LNextCheck()->text(), U("Prochain contrôle : 25/12/2003 - 14:05"));
        // A hint shows in the first panel.
        QStatusTipEvent astuce(U("Masquer Vaskor"));
        QCoreApplication::sendEvent(&w.f, &astuce);
        QCOMPARE(w.f.LireStatut(0), U("Masquer Vaskor"));
    }

    void LeVisualiseurMontreLesEntetesLigneParLigneTellesQueRecues()
    {
        TFEntete f;
        QCOMPARE(f.windowTitle(), U("Entêtes d'un message"));
        f.Charger({"From: Anne <anne@exemple.fr>", "Subject: un sujet", "\tqui continue", "X-Vide:"});
        QPlainTextEdit* m = f.MEntete();
        QVERIFY(m->isReadOnly());
        QCOMPARE(m->document()->blockCount(), 4);
        QCOMPARE(m->document()->findBlockByNumber(2).text(), U("\tqui continue"));
        QCOMPARE(m->textCursor().blockNumber(), 0);
        auto* fermer = f.findChild<QPushButton*>(QStringLiteral("BFermer"));
        QVERIFY(fermer && fermer->isDefault());
        QCOMPARE(fermer->text(), U("&Fermer"));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Rejected));
    }

    void VoirLesEntetesOuvreLeVisualiseurDeLaLigneSelectionnee()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        LigneMessage l = Ligne("Anne");
        l.Resume.Entetes = {"Subject: =?ISO-8859-1?Q?caf=E9?=", " suite"};
        w.f.Liste().Ajouter(l);
        w.f.SelectionnerLigne(0);
        QString vu;
        QTimer::singleShot(0, [&] {
            auto* fenetre = qobject_cast<TFEntete*>(QApplication::activeModalWidget());
            if (!fenetre) return;
            vu = fenetre->MEntete()->toPlainText();
            fenetre->reject();
        });
        w.A("BEntetes")->trigger();
        QCOMPARE(vu, U("Subject: =?ISO-8859-1?Q?caf=E9?=\n suite"));
    }

    void LeDoubleClicBasculeLaMarqueQuandLApercuNEstPasChoisi()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(2);
        w.f.LVMsgDblClick();  // no selection: nothing
        QCOMPARE(w.f.Liste().NombreMarques(), std::size_t(0));
        w.f.SelectionnerLigne(1);
        w.f.LVMsgDblClick();
        QVERIFY(w.f.Liste()[1].Marque);
        QVERIFY(w.A("Supprimer1")->isEnabled());
    }

    void MasquerPasseDansLeTrayEtMontrerEnRevient()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        QSignalSpy visible(&w.f, &TFMain::IconeTrayVisible);
        QSignalSpy etat(&w.f, &TFMain::IconeTrayModifiee);
        w.Remplir(3);
        w.A("Masquer1")->trigger();
        QVERIFY(!w.f.isVisible());
        QCOMPARE(visible.count(), 1);
        QCOMPARE(visible[0][0].toBool(), true);
        QCOMPARE(w.f.EtatTray(), 2);
        QCOMPARE(etat.last(), (QVariantList{2, QString(), 3}));
        QVERIFY(w.f.MenuControlerTray()->menuAction()->isVisible());
        QVERIFY(w.f.MenuControlerTray()->menuAction()->isEnabled());
        w.f.MontrerFenetre();
        QVERIFY(w.f.isVisible());
        QCOMPARE(visible.last()[0].toBool(), false);
        w.f.MajIconeTray(1, "pop.exemple.fr");
        QCOMPARE(etat.last(), (QVariantList{1, U("pop.exemple.fr"), 3}));
        w.f.DefinirHideOnClose(false);
        w.f.close();
    }

    void QuitterDemandeQuandDesMessagesSontMarques()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.Remplir(2, 1);
        QSignalSpy fin(&w.f, &TFMain::FinDemandee);
        w.reponses = {ReponseMessage::Annuler};
        w.A("Quitter1")->trigger();
        QCOMPARE(w.posees.size(), std::size_t(1));
        QCOMPARE(w.posees[0].texte,
                 Texte("Des messages ont \xE9t\xE9 marqu\xE9s pour suppression.\r\r\nLes supprimer avant de quitter ?"));
        QCOMPARE(int(w.posees[0].boutons), int(BoutonsMessage::OuiNonAnnuler));
        QCOMPARE(fin.count(), 0);
        QCOMPARE(w.f.Liste().Nombre(), std::size_t(2));
        QVERIFY(w.f.HideOnClose());

        w.reponses = {ReponseMessage::Non};
        w.A("Quitter1")->trigger();
        QCOMPARE(fin.count(), 1);
        QCOMPARE(w.f.Liste().Nombre(), std::size_t(0));
        QVERIFY(!w.f.HideOnClose());
    }

    // A logout ends the program with nobody to answer: a box would hold the end for ever.
    void UneFinSurSignalNOuvreAucuneBoite()
    {
        test::DossierTemporaire d;
        Fenetre w;
        w.f.ChargerDonnees(d.Chemin());
        // The filters cannot be saved: "Quitter" would say so in a box.
        std::filesystem::create_directory(d.Chemin() / "filtres.dat");
        QSignalSpy fin(&w.f, &TFMain::FinDemandee);
        w.f.TerminerSurSignal();
        QCOMPARE(fin.count(), 1);
        QVERIFY(w.posees.empty());
    }

    void LeTimerDesControlesAutomatiquesSuitLeReglage()
    {
        Fenetre w;
        w.f.Config().ControleAuto = false;
        w.f.DemarrerControlesAuto();
        QVERIFY(!w.f.TimerControleAuto()->isActive());
        QVERIFY(w.f.LNextCheck()->isHidden());
        w.f.Config().ControleAuto = true;
        w.f.Config().FrequenceControleAuto = 30;
        w.f.DemarrerControlesAuto();
        QVERIFY(w.f.TimerControleAuto()->isActive());
        QCOMPARE(w.f.TimerControleAuto()->interval(), 10000);
        QVERIFY(w.f.LNextCheck()->text().startsWith(U("Prochain contrôle : ")));
        w.f.Config().ControleAuto = false;
        w.f.MajTimerControleAuto();
        QVERIFY(!w.f.TimerControleAuto()->isActive());
    }

    void LeChargementLitLesComptesEtConstruitLesMenus()
    {
        QTemporaryDir dossier;
        const std::filesystem::path d = dossier.path().toStdString();
        {
            Fenetre w;
            w.f.ChargerDonnees(d);
            QVERIFY(w.f.Comptes().Nombre() == 0);
            QVERIFY(!w.f.Email1()->isVisible());
            QVERIFY(w.posees.empty());
        }
        TCipherManager chiffre;
        TCompte a = Compte("Perso", "pop.perso.fr");
        a.Password.Ecrire("secret");
        a.ControleAuto = 1;
        TCompte b = Compte("Bureau", "pop.bureau.fr");
        b.ControleAuto = 1;  // no password: dropped from the automatic check
        QVERIFY(EnregistrerComptes(chiffre, d, {a, b}).ok);
        Fenetre w;
        w.f.ChargerDonnees(d);
        QCOMPARE(w.f.Comptes().Nombre(), std::size_t(2));
        QCOMPARE(w.f.Comptes()[0].Description.Lire(), Texte("Bureau"));
        QCOMPARE(w.f.Comptes()[1].Password.Lire(), Texte("secret"));
        QCOMPARE(int(w.f.Comptes()[0].ControleAuto), 0);
        QCOMPARE(int(w.f.Comptes()[1].ControleAuto), 1);
        QCOMPARE(Textes(w.f.findChild<QMenu*>(QStringLiteral("Controler1"))),
                 (QStringList{U("Bureau"), U("Perso"), U("-"), U("Tous les comptes")}));
        QVERIFY(w.f.Email1()->isVisible());
    }

    void UnFichierDeFiltresIlisibleEstSignaleEtPasRemplaceEnQuittant()
    {
        QTemporaryDir dossier;
        const std::filesystem::path d = dossier.path().toStdString();
        const std::uintmax_t taille = TailleMaxFichierDonnees + 1;  // sparse: nothing is written
        std::ofstream(d / "filtres.dat").close();
        std::filesystem::resize_file(d / "filtres.dat", taille);
        Fenetre w;
        w.f.ChargerDonnees(d);
        QCOMPARE(w.posees.size(), std::size_t(1));
        QCOMPARE(w.posees[0].titre, Texte("Erreur"));
        QVERIFY(w.posees[0].texte.find("trop grand") != Texte::npos);
        w.A("Quitter1")->trigger();
        QCOMPARE(std::filesystem::file_size(d / "filtres.dat"), taille);
    }

    void SansCompteLeQuitterDuTrayResteDisponibleQuandLaFenetreSeMasque()
    {
        Fenetre w;
        QAction quitter2(QStringLiteral("Quitter"));
        w.f.DefinirQuitterTray(&quitter2);
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        w.A("Masquer1")->trigger();
        QVERIFY(!w.f.isVisible());
        // "Contrôler" is hidden without accounts; the tray must still offer a way to quit.
        QVERIFY(!w.f.MenuControlerTray()->menuAction()->isVisible());
        QVERIFY(quitter2.isEnabled());
        w.f.DefinirHideOnClose(false);
        w.f.close();
    }

    void SansZoneDeNotificationLaFenetreSeReduitAuLieuDeDisparaitre()
    {
        Fenetre w;
        w.f.DefinirComptes({Compte("Maison")});
        w.f.DefinirTrayDisponible([] { return false; });
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        int iconeAjoutee = 0;
        QObject::connect(&w.f, &TFMain::IconeTrayVisible, &w.f, [&](bool v) { iconeAjoutee += v; });
        for (const char* comment : {"Masquer", "close"}) {
            if (QByteArray(comment) == "Masquer") w.A("Masquer1")->trigger();
            else w.f.close();
            QVERIFY2(w.f.isVisible(), comment);
            QVERIFY2(w.f.isMinimized(), comment);
            QCOMPARE(iconeAjoutee, 0);
            w.f.MontrerFenetre();
            QVERIFY(!w.f.isMinimized());
        }
        // Minimised by the desktop, it stays minimised in the task bar.
        w.f.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(w.f.isVisible());
        QVERIFY(w.f.isMinimized());
        QCOMPARE(iconeAjoutee, 0);
        w.f.DefinirHideOnClose(false);
        w.f.close();
    }

    void PendantLaQuestionDeQuitterAucunControleAutomatiqueNeRemplaceLaListe()
    {
        // "Oui" deletes the rows the user was asked about, not those of a check that the
        // 10-second timer would start while the box waits for an answer.
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> posees;
        auto boites = std::make_unique<BoitesReentrantes>(&reponses, &posees);
        BoitesReentrantes* b = boites.get();
        TFMain f;
        f.DefinirBoites(std::move(boites));
        f.DefinirComptes({Compte("A")});
        f.Config().ControleAuto = true;
        f.DemarrerControlesAuto();
        QVERIFY(f.TimerControleAuto()->isActive());
        f.Liste().Ajouter(Ligne("Anne", "Sujet", 40000, 10, true, 1));
        bool minuterieArretee = false;
        b->pendant = [&] { minuterieArretee = !f.TimerControleAuto()->isActive(); };
        reponses = {ReponseMessage::Annuler};
        f.Quitter();
        QVERIFY(minuterieArretee);
        // Cancelled: the program goes on, and so do the automatic checks.
        QVERIFY(f.TimerControleAuto()->isActive());
        QCOMPARE(f.Liste().NombreMarques(), std::size_t(1));
    }

    void PendantUnControleLeMenuDuTrayNeLanceNiControleNiFin()
    {
        // A check lets the window process its events (network waits, questions): the tray menu,
        // still reachable while the window is hidden, must not start a second run or quit.
        std::deque<ReponseMessage> reponses{ReponseMessage::Annuler};
        std::vector<test::QuestionPosee> posees;
        auto boites = std::make_unique<BoitesReentrantes>(&reponses, &posees);
        BoitesReentrantes* b = boites.get();
        TFMain f;
        f.DefinirBoites(std::move(boites));
        QAction quitter2(QStringLiteral("Quitter"));
        f.DefinirQuitterTray(&quitter2);
        QObject::connect(&quitter2, &QAction::triggered, &f, &TFMain::Quitter);
        f.DefinirComptes({Compte("A"), Compte("B")});
        f.Liste().Ajouter(Ligne("Anne", "Sujet", 40000, 10, true, 1));
        f.MajActions(false);
        QSignalSpy fin(&f, &TFMain::FinDemandee);
        QMenu* controler1 = f.findChild<QMenu*>(QStringLiteral("Controler1"));
        // The run of one account asks its question with the commands already off; the
        // all-accounts run asks before, but is under way all the same.
        for (QAction* entree : {controler1->actions().first(), controler1->actions().last()}) {
            posees.clear();
            reponses = {ReponseMessage::Annuler};
            const bool unCompte = entree == controler1->actions().first();
            bool pendantLeControle = false;
            b->pendant = [&] {
                pendantLeControle = true;
                if (unCompte) {
                    QVERIFY(!f.MenuControlerTray()->menuAction()->isEnabled());
                    QVERIFY(!quitter2.isEnabled());
                }
                // Even reached some other way, neither does anything.
                f.MenuControlerTray()->actions()[0]->trigger();
                f.MenuControlerTray()->actions().last()->trigger();
                f.Quitter();
            };
            entree->trigger();
            QVERIFY(pendantLeControle);
            QCOMPARE(posees.size(), std::size_t(1));  // only the run's own question
            QCOMPARE(fin.count(), 0);
            QCOMPARE(f.Liste().Nombre(), std::size_t(1));
        }
        QVERIFY(f.MenuControlerTray()->menuAction()->isEnabled());
    }

    // Rows leaving the list during a deletion change the selection; that must not hand back the
    // Message menu, the list's pop-up menu or the tool buttons ("Effacer la liste" would then
    // stop the deletion half-way) before the deletion ends.
    void LesCommandesRestentEteintesPendantUneSuppression()
    {
        test::FauxServeurPop3 s;
        s.Connexion("anne", "secret");
        // Each DELE answered slowly, so that the window gets to process its events between rows.
        for (int n : {3, 2, 1}) {
            const std::vector<std::string> e = {"From: Exp " + std::to_string(n - 1), "Subject: Sujet"};
            s.Entete(n, e).TailleMessage(n, 100 + n - 1).C("DELE " + std::to_string(n)).Goutte("+OK\r\n", 5);
        }
        s.Quitter();
        s.Demarrer();
        Fenetre w;
        const TCompte compte = test::CompteTest("A", s.Port());
        for (int i = 0; i < 3; ++i) {
            LigneMessage l = Ligne("Exp " + std::to_string(i), "Sujet", 40000 + i, 100 + i, true, i + 1);
            l.Resume.Entetes = {"From: Exp " + std::to_string(i), "Subject: Sujet"};
            l.Resume.Compte = compte;
            w.f.Liste().Ajouter(std::move(l));
        }
        w.f.DefinirComptes({compte});
        w.f.SelectionnerLigne(2);
        QVERIFY(w.A("EffacerListe1")->isEnabled());

        // Looked at each time the deletion lets events run, once a row has gone.
        QStringList allumees;
        int regards = 0;
        QTimer sonde;
        sonde.setInterval(0);
        connect(&sonde, &QTimer::timeout, this, [&] {
            const std::size_t n = w.f.Liste().Nombre();
            if (n == 0 || n == 3) return;
            ++regards;
            QList<QAction*> actions = w.f.Email1()->menu()->actions() + w.f.PMLVMsg()->actions();
            for (const char* nom : {"BCheck", "BEntetes", "BApercu", "BMarquer", "BSupprimerMails"}) actions << w.A(nom);
            for (QAction* a : actions)
                if (!a->isSeparator() && a->isEnabled() && !allumees.contains(a->objectName())) allumees << a->objectName();
        });
        sonde.start();
        w.A("Supprimer1")->trigger();
        sonde.stop();
        QVERIFY(s.AttendreFin());
        QVERIFY(s.Ecarts().empty());
        QCOMPARE(w.f.Liste().Nombre(), std::size_t(0));
        QVERIFY(regards > 0);
        QVERIFY2(allumees.isEmpty(), qPrintable(allumees.join(QLatin1Char(' '))));
    }
};

VASKOR_TEST_QT(TestTFMain)
#include "test_tfmain.moc"
