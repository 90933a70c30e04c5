// The options dialog: its controls from and to the settings, its enabling rules and refusals,
// the autostart update and the settings file it writes, and the about box.

#include "outils_ui.h"
#include "registre.h"

#include "core/fichier_ini.h"
#include "ui/forme_degrade.h"
#include "ui/tfabout.h"
#include "ui/tfmain.h"
#include "ui/tfparam.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace vaskor;

namespace {

struct Boites {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    test::BoitesScriptees scriptees{&reponses, &posees};
};

std::filesystem::path Chemin(const QTemporaryDir& d) { return std::filesystem::path(d.path().toStdString()); }

std::string Octets(const std::filesystem::path& p)
{
    std::string o;
    LireFichier(p, o);
    return o;
}

}  // namespace

class TestParamUi : public QObject {
    Q_OBJECT
private slots:
    void LesControlesViennentDesParametresEtYRetournent()
    {
        Boites b;
        TFParam d(b.scriptees, false, true);
        TConfig c = ConfigParDefaut();
        c.QueLesMailsDesAmis = true;
        c.NbLignesSvg = 5;
        c.DoubleClicEditer = true;
        c.ActionParDefaut = 2;
        c.FiltresSujetActif = false;
        c.PasserTailleMax = false;
        c.DecodageModerne = false;
        c.MsgAMarquer = "/tmp/b\xE9" "b\xE9.wav";
        d.Charger(c, false);
        d.show();
        QVERIFY(!d.CBSavePJ()->isVisible());
        QVERIFY(!d.CBOnlyFriends()->isChecked());  // no friend
        QCOMPARE(d.LLignes()->text(), QStringLiteral("10 lignes"));
        QCOMPARE(d.Lko()->text(), QStringLiteral("300 ko"));
        QVERIFY(!d.TBTailleMaxi()->isEnabled());
        d.CBTailleMax()->click();
        QVERIFY(d.TBTailleMaxi()->isEnabled() && d.Lko()->isEnabled());
        d.TBTailleMaxi()->setValue(15000);
        QCOMPARE(d.Lko()->text(), QStringLiteral("15000 ko"));
        QCOMPARE(d.ESon(1)->text(), QString::fromUtf8("/tmp/bébé.wav"));

        TConfig r = ConfigParDefaut();
        d.Appliquer(r);
        QVERIFY(!r.QueLesMailsDesAmis);
        QCOMPARE(r.NbLignesSvg, 10);
        QVERIFY(r.DoubleClicEditer && r.PasserTailleMax);
        QCOMPARE(r.TaillePasserMessage, 15000);
        QCOMPARE(r.ActionParDefaut, 2);
        QVERIFY(r.FiltresExpActif && !r.FiltresSujetActif && r.FiltresEnteteActif);
        QCOMPARE(r.MsgAMarquer, c.MsgAMarquer);
        QVERIFY(!r.DecodageModerne && !d.CBDecodageModerne()->isChecked());

        // Ticking "only friends" without friends is refused; with friends it warns.
        d.CBOnlyFriends()->click();
        QVERIFY(!d.CBOnlyFriends()->isChecked());
        QCOMPARE(b.posees.back().texte, "Cette fonctionnalité ne peut être activée que si des amis sont enregistrés."_cp);
        d.Charger(c, true);
        QVERIFY(d.CBOnlyFriends()->isChecked());
        d.CBOnlyFriends()->click();
        d.CBOnlyFriends()->click();
        QVERIFY(d.CBOnlyFriends()->isChecked());
        QCOMPARE(b.posees.back().icone, IconeMessage::Avertissement);
    }

    void LesSonsSuiventLeursCases()
    {
        Boites b;
        TFParam sansSortie(b.scriptees, true, false);
        QVERIFY(!sansSortie.CBJouerSons()->isEnabled());
        TFParam d(b.scriptees, true, true);
        TConfig c = ConfigParDefaut();
        d.Charger(c, false);
        QVERIFY(d.CBJouerSons()->isEnabled() && d.CBSonsParDef()->isEnabled() && d.BTesterSons()->isEnabled());
        QVERIFY(!d.ESon(0)->isEnabled() && !d.BSon(2)->isEnabled() && !d.LSon(1)->isEnabled());
        d.CBSonsParDef()->click();
        QVERIFY(d.ESon(0)->isEnabled() && d.BSon(2)->isEnabled() && d.LSon(1)->isEnabled());
        d.CBJouerSons()->click();
        QVERIFY(!d.CBSonsParDef()->isEnabled() && !d.BTesterSons()->isEnabled());

        QTemporaryDir dossier;
        const std::string wav = (Chemin(dossier) / "ok.wav").string();
        std::ofstream(wav) << "RIFF";
        const struct {
            std::string fichier;
            bool accepte;
        } choix[] = {{wav, true}, {(Chemin(dossier) / "ok.WAV").string(), false}, {"/nulle/part.wav", false}};
        for (const auto& c2 : choix) {
            b.posees.clear();
            d.ESon(0)->setText(QStringLiteral("avant"));
            d.DefinirChoixSon([&](QWidget*) { return QString::fromStdString(c2.fichier); });
            d.BSon(0)->click();
            QCOMPARE(d.ESon(0)->text(), c2.accepte ? QString::fromStdString(c2.fichier) : QString());
            QCOMPARE(b.posees.size(), std::size_t(c2.accepte ? 0 : 1));
        }
        QCOMPARE(b.posees.back().texte, "Le fichier sélectionné n'est pas un fichier son (*.wav)."_cp);
    }

    void OKRefuseUnSonManquantEtDemandeSansFiltreActif()
    {
        const struct {
            bool jouer, parDefaut;
            const char* sons[3];
            bool filtres;
            ReponseMessage reponse;
            const char* message;
            int onglet;  // -1: the dialog closes
        } cas[] = {
            {true, false, {"a.wav", "", ""}, true, ReponseMessage::Oui,
             "Les sons sont activés mais le son \"Message à marquer\" n'est pas valide.", 4},
            {true, false, {"", "b.wav", "c.wav"}, true, ReponseMessage::Oui,
             "Les sons sont activés mais le son \"Message valide\" n'est pas valide.", 4},
            {true, true, {"", "", ""}, true, ReponseMessage::Oui, nullptr, -1},
            {false, false, {"", "", ""}, false, ReponseMessage::Non, "Aucun type de filtre n'est actif. Continuer ?", 2},
            {false, false, {"", "", ""}, false, ReponseMessage::Oui, "Aucun type de filtre n'est actif. Continuer ?", -1},
        };
        for (const auto& c : cas) {
            Boites b;
            b.reponses = {c.reponse};
            TFParam d(b.scriptees, false, true);
            TConfig config = ConfigParDefaut();
            config.JouerSons = c.jouer;
            config.SonsParDef = c.parDefaut;
            config.FiltresExpActif = config.FiltresSujetActif = config.FiltresEnteteActif = c.filtres;
            config.MsgOK = c.sons[0];
            config.MsgAMarquer = c.sons[1];
            config.MsgAEffacer = c.sons[2];
            d.Charger(config, false);
            d.show();
            d.setResult(QDialog::Rejected);
            d.BOKClick();
            if (c.message) {
                QCOMPARE(b.posees.size(), std::size_t(1));
                QCOMPARE(b.posees[0].texte, Utf8VersCp1252(c.message));
            } else {
                QVERIFY(b.posees.empty());
            }
            QCOMPARE(d.result() == QDialog::Accepted, c.onglet < 0);
            if (c.onglet >= 0) QCOMPARE(d.Onglets()->currentIndex(), c.onglet);
        }
    }

    void OptionsEcritLeFichierDeParametresEtLAutoRun()
    {
        QTemporaryDir dossier;
        const std::filesystem::path ini = Chemin(dossier) / "vaskor.ini";
        std::ofstream(ini, std::ios::binary) << "; mes r\xE9glages\r\n[G\xE9n\xE9ral]\r\nAutoriserEnregistrementPJ=oui\r\n"
                                                "[Autre]\r\nCle=Valeur\r\n";
        QVERIFY(EnregistrerConfig(Chemin(dossier), ConfigParDefaut()).ok);
        const std::string avant = Octets(ini);

        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> posees;
        std::vector<bool> autoRun;
        {
            TFMain f;
            f.DefinirBoites(std::make_unique<test::BoitesScriptees>(&reponses, &posees));
            f.DefinirMiseAJourAutoRun([&](bool actif) { autoRun.push_back(actif); });
            f.ChargerDonnees(Chemin(dossier));
            test::QuandOuvert(QStringLiteral("TFParam"), [](QDialog& d) {
                QVERIFY(!static_cast<TFParam&>(d).CBSavePJ()->isHidden());
                d.findChild<QPushButton*>(QStringLiteral("BOK"))->click();
            });
            f.Options1Click();
            QVERIFY(Octets(ini) == avant);
            test::QuandOuvert(QStringLiteral("TFParam"), [](QDialog& d) {
                auto& p = static_cast<TFParam&>(d);
                p.RBApercuMsg()->setChecked(true);
                p.CBAutoRun()->setChecked(true);
                p.findChild<QPushButton*>(QStringLiteral("BOK"))->click();
            });
            f.Options1Click();
            QVERIFY(posees.empty());
        }
        QCOMPARE(autoRun, (std::vector<bool>{false, true}));
        std::string attendu = avant;
        for (const char* cle : {"DoubleClicEditer=", "AutoRun="}) {
            const std::size_t p = attendu.find(cle);
            QVERIFY(p != std::string::npos);
            attendu[p + std::strlen(cle)] = '1';
        }
        QVERIFY(Octets(ini) == attendu);
        // Still there after a restart.
        TFMain f;
        f.ChargerDonnees(Chemin(dossier));
        QVERIFY(f.Config().DoubleClicEditer && f.Config().AutoRun);
    }

    void LaBandeBorneSesProprietesEtLaBoiteSeFermeAuClavier()
    {
        TOrvelShape2 s;
        QCOMPARE(s.size(), QSize(150, 21));
        const struct {
            void (TOrvelShape2::*ecrire)(int);
            int (TOrvelShape2::*lire)() const;
            int valeur, attendu;
        } cas[] = {
            {&TOrvelShape2::SetNumberOfColors, &TOrvelShape2::NumberOfColors, 300, 255},
            {&TOrvelShape2::SetNumberOfColors, &TOrvelShape2::NumberOfColors, 0, 1},
            {&TOrvelShape2::SetBorderWidth, &TOrvelShape2::BorderWidth, -3, 3},
            {&TOrvelShape2::SetBorderWidth, &TOrvelShape2::BorderWidth, 10, 5},
            {&TOrvelShape2::SetTextOffset, &TOrvelShape2::TextOffset, -4, 0},
        };
        for (const auto& c : cas) {
            (s.*c.ecrire)(c.valeur);
            QCOMPARE((s.*c.lire)(), c.attendu);
        }
        s.SetNumberOfColors(255);
        QCOMPARE(s.Couleur(0), QColor(0, 128, 128));
        QCOMPARE(s.Couleur(254), QColor(192, 192, 192));

        QCOMPARE(TexteVersion(), QStringLiteral("Version " VASKOR_VERSION_ATTENDUE));
        TFAbout a;
        QCOMPARE(a.size(), QSize(329, 205));
        a.show();
        QTest::keyClick(&a, Qt::Key_Space);
        QVERIFY(!a.isVisible());
        QCOMPARE(a.result(), int(QDialog::Accepted));
    }
};

VASKOR_TEST_QT(TestParamUi)
#include "test_param_ui.moc"
