// The preview against a real Dovecot: a UTF-8 multipart message with an attachment read whole,
// its text in its charset, an answer address that parses back, its attachment saved under a
// safe name; a mailbox changed behind the check's back; vaskor-cli show.

#include "crypto/chiffrement.h"
#include "engine/apercu.h"
#include "engine/controle.h"
#include "lab_dovecot.h"
#include "mail/mailto.h"
#include "support/banc_controle.h"
#include "support/outils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>

#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using namespace vaskor;
using namespace vaskor::test;
using ::testing::Contains;

namespace {

const char* const kUser = "chloe";

const char kMultipart[] =
    "From: =?ISO-8859-1?Q?Andr=E9?= <andre@exemple.fr>\n"
    "To: chloe@exemple.fr\n"
    "Subject: =?UTF-8?Q?R=C3=A9union_&_budget_=3F_#2?=\n"
    "Message-ID: <apercu-2@vaskor.test>\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"=_ext\"\n"
    "\n"
    "--=_ext\n"
    "Content-Type: text/plain; charset=UTF-8\n"
    "Content-Transfer-Encoding: quoted-printable\n"
    "\n"
    "La r=C3=A9union est d=C3=A9plac=C3=A9e =C3=A0 jeudi.\n"
    ".Ligne qui commence par un point\n"
    "--=_ext\n"
    "Content-Type: application/octet-stream\n"
    "Content-Disposition: attachment; filename*=UTF-8''..%2F..%2Fordre%20du%20jour.txt\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "MS4gYnVkZ2V0CjIuIGRpdmVycwo=\n"
    "--=_ext--\n";

struct Banc : BancControle {
    LabDovecot lab;
    TCipherManager chiffre;

    // The mailbox holds exactly these messages, in this order.
    bool Deposer(const std::vector<std::string>& messages)
    {
        if (!lab.Vider(kUser)) return false;
        const std::filesystem::path nouveaux = std::filesystem::path(lab.Maildir(kUser)) / "new";
        const passwd* pw = ::getpwnam(lab.Valeur("DOVECOT_OWNER").c_str());
        for (std::size_t i = 0; i < messages.size(); ++i) {
            const auto f = nouveaux / ("100000000" + std::to_string(i) + ".M1P1.vaskor");
            EcrireTout(f, messages[i]);
            if (pw && ::chown(f.c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
        }
        comptes.Remplacer({CompteTest("Chlo\xE9", lab.Port(), kUser, lab.MotDePasse(kUser).c_str(), lab.Hote().c_str())});
        return true;
    }
};

struct Fenetre : FenetreApercu {
    std::vector<ContenuApercu> montres;
    std::vector<TPartie> parties;
    bool Saisir(const Texte&, const Texte&, Texte&) override { return false; }
    void AfficherApercu(const ContenuApercu& c, const TIdMessage& m) override
    {
        montres.push_back(c);
        parties = m.MessageParts;
    }
};

#define EXIGER_LAB(b) \
    if (!(b).lab.Present()) GTEST_SKIP() << "the Dovecot lab did not start here"

}  // namespace

TEST(ApercuDovecot, AUtf8MultipartPreviewsWithItsAccentsAnswersAndSavesItsAttachmentSafely)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.Deposer({"From: a@exemple.fr\nSubject: premier\n\ncorps\n", kMultipart}));
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.liste.Nombre(), 2u);
    b.config.TaillePasserMessage = 0;  // every message is above the limit: the guard asks
    b.fenetre.reponses = {ReponseMessage::Oui};
    Fenetre f;
    b.controle.ApercuMessage(1, f, b.chiffre);
    ASSERT_EQ(b.fenetre.questions.size(), 1u);
    ASSERT_EQ(f.montres.size(), 1u);
    const ContenuApercu& c = f.montres[0];
    EXPECT_EQ(c.Objet, "R\xC3\xA9union & budget ? #2");
    EXPECT_EQ(c.De, "\"Andr\xC3\xA9\" <andre@exemple.fr>");
    EXPECT_THAT(c.Lignes, Contains("La r\xC3\xA9union est d\xC3\xA9plac\xC3\xA9" "e \xC3\xA0 jeudi."));
    EXPECT_THAT(c.Lignes, Contains(".Ligne qui commence par un point"));
    EXPECT_EQ(c.PJ, "../../ordre du jour.txt");
    EXPECT_TRUE(b.liste[1].Apercu);

    const QUrl url(QString::fromStdString(UriMailto(c.AdresseReponse, "Re : " + c.Objet)));
    EXPECT_EQ(url.path().toStdString(), "andre@exemple.fr");
    const auto elements = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    ASSERT_EQ(elements.size(), 1);
    EXPECT_EQ(elements[0].second.toStdString(), "Re : R\xC3\xA9union & budget ? #2");

    ASSERT_EQ(f.parties.size(), 2u);
    DossierTemporaire d;
    const auto cible = d.Chemin() / NomFichierSur(f.parties[1].FileName);
    EXPECT_EQ(cible.filename(), "ordre du jour.txt");
    ASSERT_TRUE(f.parties[1].SaveToFile(cible));
    EXPECT_EQ(LireTout(cible), "1. budget\n2. divers\n");
}

TEST(ApercuDovecot, AMessageRemovedBehindTheChecksBackIsNotShownInPlaceOfAnother)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.Deposer({"From: a@exemple.fr\nSubject: premier\n\ncorps\n", kMultipart}));
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.liste.Nombre(), 2u);
    // Another program deletes the first message: message 1 is now the multipart one.
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(b.lab.Maildir(kUser)) / "new"))
        if (LireTout(e.path()).find("premier") != std::string::npos) std::filesystem::remove(e.path());
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(b.lab.Maildir(kUser)) / "cur"))
        if (LireTout(e.path()).find("premier") != std::string::npos) std::filesystem::remove(e.path());
    Fenetre f;
    b.controle.ApercuMessage(0, f, b.chiffre);
    EXPECT_TRUE(f.montres.empty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte.rfind("Ce message a chang\xE9", 0), 0u);
    b.controle.ApercuMessage(1, f, b.chiffre);  // number 2 no longer exists
    EXPECT_TRUE(f.montres.empty());
    EXPECT_EQ(b.fenetre.messages.size(), 2u);
}

TEST(ApercuDovecot, TheCommandLineShowsAMessageOfAnAccount)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.Deposer({kMultipart}));
    DossierTemporaire d;
    const std::string data = " --data '" + d.Chemin().string() + "'";
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("accounts add" + data + " --description Chloe --server " + b.lab.Hote() +
                            " --security none --port " + std::to_string(b.lab.Port()) + " --user " + kUser,
                        b.lab.MotDePasse(kUser) + "\n", sortie, &erreurs),
              0)
        << erreurs;
    ASSERT_EQ(LancerCli("show --account Chloe" + data + " 1", "", sortie, &erreurs), 0) << erreurs;
    EXPECT_NE(sortie.find("Sujet: R\xC3\xA9union & budget ? #2\n"), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("Pi\xC3\xA8" "ce jointe: ../../ordre du jour.txt\t20 octets\tordre du jour.txt\n"),
              std::string::npos)
        << sortie;
    EXPECT_NE(sortie.find("La r\xC3\xA9union est d\xC3\xA9plac\xC3\xA9" "e \xC3\xA0 jeudi.\n"), std::string::npos);
    EXPECT_EQ(LancerCli("show --account Chloe" + data + " 5", "", sortie, &erreurs), 1);
    // Nothing was deleted.
    EXPECT_EQ(InterrogerServeur(b.lab, kUser).nombre, 1);
}
