#include "core/ami.h"
#include "core/fichiers.h"
#include "core/filtre.h"

#include "support/outils.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vaskor;
namespace fs = std::filesystem;

namespace {

std::size_t NombreEntrees(const fs::path& dossier) { return std::size_t(std::distance(fs::directory_iterator(dossier), {})); }

fs::perms Droits(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }

// Files larger than `octets` cannot be written while it lives: the write fails as on a full
// disk, also for root, which permission tests cannot reach.
class LimiteTailleFichier {
public:
    explicit LimiteTailleFichier(rlim_t octets)
    {
        ancienSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &ancienne_);
        rlimit r = ancienne_;
        r.rlim_cur = octets;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteTailleFichier()
    {
        setrlimit(RLIMIT_FSIZE, &ancienne_);
        std::signal(SIGXFSZ, ancienSignal_);
    }

private:
    rlimit ancienne_{};
    void (*ancienSignal_)(int) = nullptr;
};

}  // namespace

TEST(Fichiers, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryBehind)
{
    test::DossierTemporaire d;
    const fs::path p = d.Chemin() / "filtres.dat";
    test::EcrireTout(p, "ancien contenu");
    ResultatFichier r;
    {
        LimiteTailleFichier limite(16);
        r = EcrireFichierDonnees(d.Chemin(), "filtres.dat", std::string(4096, 'n'));
    }
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.erreur.find("filtres.dat"), std::string::npos) << r.erreur;
    EXPECT_EQ(test::LireTout(p), "ancien contenu");
    EXPECT_EQ(NombreEntrees(d.Chemin()), 1u);
}

TEST(Fichiers, AReplacedFileKeepsItsPermissionsAndTheAccountsFileIsAlwaysTheOwnersOnly)
{
    test::DossierTemporaire d;
    const fs::path journal = d.Chemin() / "MAILS_SUPPRIMES.DAT";
    test::EcrireTout(journal, "a\r\n");
    fs::permissions(journal, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(EcrireFichierAtomique(journal, "b\r\n").ok);
    EXPECT_EQ(Droits(journal), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A copy under another letter case hands its permissions to the file that supersedes it.
    test::EcrireTout(d.Chemin() / "VASKOR.INI", "[a]\r\n");
    fs::permissions(d.Chemin() / "VASKOR.INI", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(EcrireFichierDonnees(d.Chemin(), "vaskor.ini", "[b]\r\n").ok);
    EXPECT_FALSE(fs::exists(d.Chemin() / "VASKOR.INI"));
    EXPECT_EQ(Droits(d.Chemin() / "vaskor.ini"), fs::perms::owner_read | fs::perms::owner_write);
    fs::remove(d.Chemin() / "vaskor.ini");

    // An accounts file brought over readable by everyone is closed on its next save.
    const fs::path comptes = d.Chemin() / "comptes.dat";
    test::EcrireTout(comptes, "x");
    fs::permissions(comptes, fs::perms::all);
    ASSERT_TRUE(EcrireFichierDonnees(d.Chemin(), "comptes.dat", "y", true).ok);
    EXPECT_EQ(Droits(comptes), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::LireTout(comptes), "y");
    EXPECT_EQ(NombreEntrees(d.Chemin()), 2u);
}

TEST(Fichiers, ReadingRefusesWhatIsNotAPlainFileOrIsTooLargeWithoutHanging)
{
    test::DossierTemporaire d;
    std::string octets = "avant";
    bool existe = true;

    EXPECT_TRUE(LireFichier(d.Chemin() / "absent", octets, &existe).ok);
    EXPECT_FALSE(existe);
    EXPECT_TRUE(octets.empty());

    fs::create_directory(d.Chemin() / "dossier");
    ResultatFichier r = LireFichier(d.Chemin() / "dossier", octets, &existe);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(existe);

    // A pipe in a data file's place: no writer will ever come, and the read must not wait for one.
    ASSERT_EQ(::mkfifo((d.Chemin() / "tube").c_str(), 0600), 0);
    r = LireFichier(d.Chemin() / "tube", octets);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.erreur.find("n'est pas un fichier"), std::string::npos) << r.erreur;

    test::EcrireTout(d.Chemin() / "gros", std::string(1000, 'g'));
    r = LireFichier(d.Chemin() / "gros", octets, nullptr, 999);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.erreur.find("trop grand"), std::string::npos) << r.erreur;
    EXPECT_TRUE(octets.empty());
    ASSERT_TRUE(LireFichier(d.Chemin() / "gros", octets, nullptr, 1000).ok);
    EXPECT_EQ(octets.size(), 1000u);
}

TEST(FichiersDonnees, ARecordFileOfAnOddLengthIsKeptAsideBeforeAnythingReplacesIt)
{
    test::DossierTemporaire d;
    const std::string octets(sizeof(TFiltre) + 7, 'x');
    test::EcrireTout(d.Chemin() / "filtres.dat", octets);
    ListeFiltres filtres;
    const ResultatFichier r = ChargerFiltres(d.Chemin(), filtres);
    EXPECT_TRUE(r.ok);
    EXPECT_NE(r.avertissement.find("endommag"), std::string::npos) << r.avertissement;
    EXPECT_EQ(test::LireTout(d.Chemin() / "filtres.dat.endommage"), octets);
    ListeAmis amis;  // a whole file says nothing
    test::EcrireTout(d.Chemin() / "amis.dat", std::string(sizeof(TAmi), '\0'));
    EXPECT_TRUE(ChargerAmis(d.Chemin(), amis).avertissement.empty());
}
