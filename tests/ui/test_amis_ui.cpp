// The friends dialog: the editor's refusals, what OK writes, the import of vCard files, and the
// sender of a listed message added as a friend.

#include "outils_ui.h"
#include "registre.h"

#include "ui/liste_triable.h"
#include "ui/tfamis.h"
#include "ui/tfmain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

TAmi Ami(const char* nom, std::int32_t type = AmiAdresse)
{
    TAmi a = TAmi::Vierge();
    a.TypeAmi = type;
    a.Nom = nom;
    return a;
}

std::filesystem::path Chemin(const QTemporaryDir& d) { return std::filesystem::path(d.path().toStdString()); }

std::string Octets(const std::filesystem::path& p)
{
    std::string o;
    LireFichier(p, o);
    return o;
}

QStringList Noms(const ListeTriable* l)
{
    QStringList r;
    for (QTreeWidgetItem* i : l->Lignes()) r << i->text(0);
    return r;
}

}  // namespace

class TestAmisUi : public QObject {
    Q_OBJECT
private slots:
    void LEditeurRefuseLesAdressesDouteusesEtLesDoublons()
    {
        const struct {
            bool domaine;
            const char* texte;
            const char* refus;  // nullptr: accepted
        } cas[] = {
            {false, "x@y.", nullptr},
            {false, "x.y@z", "L'adresse saisie ne semble pas valide."},
            {true, "pas-une-adresse", nullptr},
            {false, "ANNE@exemple.fr", "Cette adresse a déjà été saisie."},
            {true, "Exemple.ORG", "Ce domaine a déjà été saisi."},
        };
        for (const auto& c : cas) {
            Boites b;
            TFAmis d(b.scriptees);
            d.Charger({Ami("anne@exemple.fr"), Ami("exemple.org", AmiDomaine)});
            TFAmi* e = d.Editeur();
            e->setResult(QDialog::Rejected);
            (c.domaine ? e->RBDomaine() : e->RBNom())->setChecked(true);
            e->EAdresse()->setText(QString::fromUtf8(c.texte));
            e->BOKClick();
            if (c.refus) {
                QCOMPARE(b.posees.size(), std::size_t(1));
                QCOMPARE(b.posees[0].texte, Utf8VersCp1252(c.refus));
                QCOMPARE(e->result(), int(QDialog::Rejected));
            } else {
                QVERIFY2(b.posees.empty(), c.texte);
                QCOMPARE(e->result(), int(QDialog::Accepted));
            }
        }
        Boites b;
        TFAmi e(b.scriptees);
        QVERIFY(!e.BOK()->isEnabled());
        e.EAdresse()->setText(QStringLiteral(" "));
        QVERIFY(e.BOK()->isEnabled());
        e.RBDomaine()->setChecked(true);
        QCOMPARE(e.LAdresse()->text(), QStringLiteral("D&omaine :"));
    }

    void OKEcritLesAmisTriesSansCasseOctetPourOctet()
    {
        Boites b;
        QTemporaryDir dossier;
        TAmi etrange = Ami("Zed.example", 7);
        etrange.Reserve1 = {1, 2, 3, 4};
        ListeAmis amis{Ami("zoe@exemple.fr"), etrange, Ami("Bob@exemple.fr"), Ami("alice@exemple.fr")};
        test::QuandOuvert(QStringLiteral("TFAmis"), [&b](QDialog& d) {
            auto& a = static_cast<TFAmis&>(d);
            QCOMPARE(a.LVAmis()->topLevelItem(1)->text(1), QStringLiteral("Domaine"));
            // Removing "Bob": the address question, without a blank before "?".
            a.LVAmis()->setCurrentItem(a.LVAmis()->topLevelItem(2));
            b.reponses = {ReponseMessage::Oui};
            a.BSupprimerClick();
            QCOMPARE(b.posees.back().texte, Texte("Supprimer cette adresse de la liste des amis?"));
            QVERIFY(!b.posees.back().defautNon);
            a.Bouton("BOK")->click();
        });
        QVERIFY(TFAmis::Executer(nullptr, amis, Chemin(dossier), b.scriptees));
        const ListeAmis attendu{Ami("alice@exemple.fr"), etrange, Ami("zoe@exemple.fr")};
        QVERIFY(EncoderAmis(amis) == EncoderAmis(attendu));
        QVERIFY(Octets(Chemin(dossier) / "amis.dat") == EncoderAmis(attendu));
    }

    void LImportAjouteLesAdressesDesCartesSansDoublon()
    {
        QTemporaryDir dossier;
        const std::filesystem::path vcf = Chemin(dossier) / "contacts.vcf";
        {
            std::ofstream f(vcf, std::ios::binary);
            f << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anne\r\nitem1.EMAIL;type=INTERNET:Anne@Exemple.FR\r\nEND:VCARD\r\n"
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nEMAIL:Bob@Travail.example\r\nEMAIL:bob@maison.example\r\n"
                 "EMAIL:bob@\xE6\x97\xA5\xE6\x9C\xAC.example\r\n"
                 "EMAIL:un.nom.bien.trop.long.pour.la.liste.des.amis@exemple.fr\r\nEND:VCARD\r\n";
        }
        Boites b;
        TFAmis d(b.scriptees);
        d.Charger({Ami("zed@exemple.fr"), Ami("anne@exemple.fr")});
        d.DefinirChoixFichiers([&](QWidget*) { return QStringList{QString::fromStdString(vcf.string())}; });
        d.BImporterClick();
        QCOMPARE(Noms(d.LVAmis()).join(u' '),
                 QStringLiteral("anne@exemple.fr bob@maison.example bob@travail.example zed@exemple.fr"));
        QCOMPARE(d.LVAmis()->Lignes()[1]->text(1), QStringLiteral("Adresse"));
        // The two that cannot be kept whole are named, not cut.
        QCOMPARE(b.posees.size(), std::size_t(1));
        QVERIFY(b.posees[0].texte.find("un.nom.bien.trop.long.pour.la.liste.des.amis@exemple.fr") != Texte::npos);
        QVERIFY(b.posees[0].texte.find("bob@??.example") != Texte::npos);
        QVERIFY(d.Bouton("BOK")->isEnabled() && d.LVAmis()->isEnabled());
        // A second import adds nothing.
        b.posees.clear();
        d.BImporterClick();
        QCOMPARE(d.LVAmis()->topLevelItemCount(), 4);
    }

    void LExpediteurDuMessageDevientUnAmi()
    {
        QTemporaryDir dossier;
        std::deque<ReponseMessage> reponses;
        std::vector<test::QuestionPosee> posees;
        TFMain f;
        f.DefinirBoites(std::make_unique<test::BoitesScriptees>(&reponses, &posees));
        f.ChargerDonnees(Chemin(dossier));
        LigneMessage l = test::Ligne("Anne");
        l.Resume.Entetes = {"From: =?ISO-8859-1?Q?Anne_M=E9nard?= <anne@exemple.fr>"};
        f.Liste().Ajouter(l);
        f.Liste().Ajouter(test::Ligne("Sans From"));
        f.SelectionnerLigne(0);
        reponses = {ReponseMessage::Ok};
        f.AjouterAuxAmis1Click();
        QCOMPARE(posees.back().texte, "Ajouter \"anne@exemple.fr\" à la liste d'amis ?"_cp);
        QCOMPARE(f.Amis().size(), std::size_t(1));
        QVERIFY(Octets(Chemin(dossier) / "amis.dat") == EncoderAmis({Ami("anne@exemple.fr")}));
        f.SelectionnerLigne(1);
        f.AjouterAuxAmis1Click();
        QCOMPARE(posees.back().texte, "Impossible d'extraire l'adresse de l'expéditeur."_cp);
        QCOMPARE(posees.back().icone, IconeMessage::Avertissement);
    }
};

VASKOR_TEST_QT(TestAmisUi)
#include "test_amis_ui.moc"
