#include "platform/base/dossiers.h"

#include "support/outils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;
using vaskor::ChoisirDossierProgramme;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;

TEST(DossierProgramme, PortableCopyOnlyWhenTheExecutablesFolderHoldsData)
{
    struct Cas {
        const char* nom;
        const char* fichierPresDuProgramme;  // null: none
        bool programmeEnLectureSeule;
        const char* xdg;  // relative to the temporary folder; "" unset; "!rel" a relative value
        const char* attendu;  // relative to the temporary folder; "exe" the executable's folder
    };
    const Cas cas[] = {
        {"fresh build tree", nullptr, false, "donnees", "donnees/vaskor"},
        {"installed, read-only", nullptr, true, "donnees", "donnees/vaskor"},
        {"portable copy", "comptes.dat", false, "donnees", "exe"},
        {"portable copy from another machine", "FILTRES.DAT", false, "donnees", "exe"},
        {"portable settings only, writable", "Vaskor.ini", false, "donnees", "exe"},
        {"read-only portable copy: the fallback folder", "Vaskor.ini", true, "donnees", "donnees/vaskor"},
        {"a scratch folder is not data", "temp", false, "donnees", "donnees/vaskor"},
        {"no XDG_DATA_HOME", nullptr, false, "", "maison/.local/share/vaskor"},
        {"relative XDG_DATA_HOME ignored", nullptr, false, "!rel", "maison/.local/share/vaskor"},
    };
    for (const Cas& c : cas) {
        DossierTemporaire d;
        const fs::path exe = d.Chemin() / "bin";
        fs::create_directories(exe);
        if (c.fichierPresDuProgramme) {
            if (std::string(c.fichierPresDuProgramme) == "temp") fs::create_directory(exe / "temp");
            else EcrireTout(exe / c.fichierPresDuProgramme, "x");
        }
        if (c.programmeEnLectureSeule) ::chmod(exe.c_str(), 0555);
        const std::string xdg = std::string(c.xdg) == "!rel" ? "relatif/donnees"
                                : *c.xdg                     ? (d.Chemin() / c.xdg).string()
                                                             : "";
        const std::string maison = (d.Chemin() / "maison").string();
        // Root may write anywhere: whether the folder can be written comes from the case.
        const vaskor::ResultatDossier r = ChoisirDossierProgramme(
            exe, xdg.c_str(), maison.c_str(), [&c](const fs::path&) { return !c.programmeEnLectureSeule; });
        ::chmod(exe.c_str(), 0755);
        const fs::path attendu = std::string(c.attendu) == "exe" ? exe : d.Chemin() / c.attendu;
        EXPECT_EQ(r.dossier, attendu) << c.nom;
        EXPECT_EQ(r.portable, attendu == exe) << c.nom;
        EXPECT_EQ(r.erreur, "") << c.nom;
        EXPECT_TRUE(fs::is_directory(attendu)) << c.nom;
        if (attendu != exe) {
            struct stat s {};
            ASSERT_EQ(::stat(attendu.c_str(), &s), 0);
            EXPECT_EQ(s.st_mode & 0777, 0700u) << c.nom;
            EXPECT_FALSE(fs::exists(fs::path("relatif"))) << c.nom;
        }
    }
}

TEST(DossierProgramme, AReadOnlyPortableCopyIsCopiedOnceIntoTheFallbackFolder)
{
    DossierTemporaire d;
    const fs::path exe = d.Chemin() / "bin";
    fs::create_directories(exe);
    EcrireTout(exe / "COMPTES.DAT", "comptes");
    EcrireTout(exe / "filtres.dat", "filtres");
    const std::string xdg = (d.Chemin() / "donnees").string();
    const auto lectureSeule = [](const fs::path&) { return false; };
    vaskor::ResultatDossier r = ChoisirDossierProgramme(exe, xdg.c_str(), "/nulle/part", lectureSeule);
    EXPECT_EQ(r.dossier, d.Chemin() / "donnees" / "vaskor");
    EXPECT_EQ(r.dossierEcarte, exe);
    EXPECT_TRUE(r.copie);
    EXPECT_EQ(r.erreurCopie, "");
    EXPECT_EQ(vaskor::test::LireTout(r.dossier / "comptes.dat"), "comptes");
    EXPECT_EQ(vaskor::test::LireTout(r.dossier / "filtres.dat"), "filtres");
    struct stat s {};
    ASSERT_EQ(::stat((r.dossier / "filtres.dat").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 0777, 0600u);
    // The next start keeps what the user changed in the fallback folder.
    EcrireTout(r.dossier / "filtres.dat", "change");
    r = ChoisirDossierProgramme(exe, xdg.c_str(), "/nulle/part", lectureSeule);
    EXPECT_FALSE(r.copie);
    EXPECT_EQ(r.dossierEcarte, exe);
    EXPECT_EQ(vaskor::test::LireTout(r.dossier / "filtres.dat"), "change");
}

TEST(DossierProgramme, AFolderThatCannotBeCreatedIsReportedInFrenchWithItsPath)
{
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "fichier", "x");  // even root cannot make a folder under a file
    const std::string xdg = (d.Chemin() / "fichier").string();
    const vaskor::ResultatDossier r = ChoisirDossierProgramme(d.Chemin() / "bin", xdg.c_str(), "/nulle/part");
    EXPECT_EQ(r.erreur, "Impossible de créer le dossier des données « " + xdg + "/vaskor » : N'est pas un dossier.");
}
