#include "platform/base/messagerie.h"

#include "support/outils.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vaskor::CodeLancement;
using vaskor::EnvironnementXdg;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }
QString Q(const char* s) { return QString::fromUtf8(s); }

void ApplicationQt()
{
    static int argc = 1;
    static char nom[] = "test_platform";
    static char* argv[] = {nom, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// A home with its own configuration and data folders, and one system data folder.
struct Bureau {
    DossierTemporaire d;
    EnvironnementXdg env;
    Bureau()
    {
        for (const char* s : {"config", "etc", "home-data/applications", "usr/applications"})
            fs::create_directories(d.Chemin() / s);
        env.configHome = Q(d.Chemin() / "config");
        env.configDirs = {Q(d.Chemin() / "etc")};
        env.dataHome = Q(d.Chemin() / "home-data");
        env.dataDirs = {Q(d.Chemin() / "usr")};
    }
    void Entree(const std::string& relatif, const std::string& groupe)
    {
        const fs::path p = d.Chemin() / "usr/applications" / relatif;
        fs::create_directories(p.parent_path());
        EcrireTout(p, "[Desktop Entry]\nType=Application\n" + groupe);
    }
    void Fichier(const std::string& relatif, const std::string& texte)
    {
        const fs::path p = d.Chemin() / relatif;
        fs::create_directories(p.parent_path());
        EcrireTout(p, texte);
    }
};

QStringList Decouper(const char* exec, const char* nom = "Courrier", const char* icone = "mail")
{
    vaskor::EntreeBureau e;
    e.nom = Q(nom);
    e.icone = Q(icone);
    return vaskor::DecouperExec(Q(exec), e, QStringLiteral("/usr/share/applications/x.desktop"));
}

TEST(Messagerie, ExecLinesOfRealMailProgramsLoseTheirFieldCodesAndKeepTheirArguments)
{
    struct Cas {
        const char* exec;
        QStringList attendu;
    } cas[] = {
        {"thunderbird %u", {Q("thunderbird")}},
        {"/usr/bin/evolution %U", {Q("/usr/bin/evolution")}},
        {"claws-mail --compose %u", {Q("claws-mail"), Q("--compose")}},
        {"kmail -caption \"%c\" %u", {Q("kmail"), Q("-caption"), Q("Courrier")}},
        {"geary --compose=%u", {Q("geary"), Q("--compose=")}},
        {"sylpheed %i %u", {Q("sylpheed"), Q("--icon"), Q("mail")}},
        {"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=thunderbird --file-forwarding "
         "org.mozilla.Thunderbird @@u %u @@",
         {Q("/usr/bin/flatpak"), Q("run"), Q("--branch=stable"), Q("--arch=x86_64"), Q("--command=thunderbird"),
          Q("--file-forwarding"), Q("org.mozilla.Thunderbird")}},
        {"env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/thunderbird_thunderbird.desktop "
         "/snap/bin/thunderbird %u",
         {Q("env"), Q("BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/thunderbird_thunderbird.desktop"),
          Q("/snap/bin/thunderbird")}},
        {"\"/opt/Mail Client/bin/mail\"   --new %U", {Q("/opt/Mail Client/bin/mail"), Q("--new")}},
        {"sh -c \"exec mutt \\\"\\$1\\\"\" sh %u", {Q("sh"), Q("-c"), Q("exec mutt \"$1\""), Q("sh")}},
        {"sh -c 'exec alpine \"$@\"' alpine %u", {Q("sh"), Q("-c"), Q("exec alpine \"$@\""), Q("alpine")}},
        {"mailer --progress=100%% --from %k", {Q("mailer"), Q("--progress=100%"), Q("--from"),
                                              Q("/usr/share/applications/x.desktop")}},
        {"mailer \"\" %f", {Q("mailer"), Q("")}},
        {"  ", {}},
    };
    for (const auto& c : cas) EXPECT_EQ(Decouper(c.exec), c.attendu) << c.exec;
}

TEST(Messagerie, TheCommandCleanUpRebuildsProgramFilesPathsAndLeavesOtherCommandsAlone)
{
    struct Cas {
        const char* commande;
        const char* attendu;
        bool cheminSeul;
    } cas[] = {
        {"\"%ProgramFiles%\\Mozilla Thunderbird\\thunderbird.exe\" -osint -compose \"%1\"",
         "C:\\Program Files\\Mozilla Thunderbird\\thunderbird.exe", true},
        {"  %ProgramFiles%\\Courrier\\courrier.exe  ", "C:\\Program Files\\Courrier\\courrier.exe", false},
        {"\"%ProgramFiles%\\Courrier\\courrier.exe\" x", "C:\\Program Files\\Courrier\\courrier.exe", true},
        {"\"%ProgramFiles%\\Courrier\\courrier.exe\"", "C:\\Program Files\\Courrier\\courrier.exe", false},
        {"\t\"/usr/bin/mail client\" -x %u \n", "\"/usr/bin/mail client\" -x %u", false},
        {"/opt/Programmes/bin/courrier %u", "/opt/Programmes/bin/courrier %u", false},
        {"program %u", "program %u", false},
    };
    for (const auto& c : cas) {
        bool seul = !c.cheminSeul;
        EXPECT_EQ(vaskor::NettoyerCommandeMessagerie(Q(c.commande), QStringLiteral("C:\\Program Files"), &seul),
                  Q(c.attendu))
            << c.commande;
        EXPECT_EQ(seul, c.cheminSeul) << c.commande;
    }
}

TEST(Messagerie, TheDefaultHandlerComesFromTheAssociationFilesInTheirOrderOfPrecedence)
{
    Bureau b;
    b.Entree("courrier.desktop", "Name=Courrier\nExec=courrier %u\n");
    b.Entree("autre.desktop", "Name=Autre\nExec=autre %u\n");
    b.Entree("kde4/kmail.desktop", "Name=KMail\nExec=kmail %u\n");
    b.Entree("cache.desktop", "Name=Cache\nExec=cache %u\n");
    b.Entree("retire.desktop", "Name=Retiré\nExec=retire %u\nHidden=true\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), QString()) << "no association, no cache";

    b.Fichier("usr/applications/mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/mailto=cache.desktop;\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("cache.desktop"));

    b.Fichier("etc/mimeapps.list", "[Added Associations]\nx-scheme-handler/mailto=autre.desktop;\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("autre.desktop"));

    b.Fichier("usr/applications/mimeapps.list",
              "[Default Applications]\ntext/html=firefox.desktop\nx-scheme-handler/mailto=kde4-kmail.desktop\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("kde4-kmail.desktop"));
    EXPECT_EQ(vaskor::FichierApplication(b.env, Q("kde4-kmail.desktop")),
              Q(b.d.Chemin() / "usr/applications/kde4/kmail.desktop"));

    b.Fichier("config/mimeapps.list",
              "# the user's choice\n[Default Applications]\n"
              "x-scheme-handler/mailto=absent.desktop;retire.desktop;courrier.desktop;\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("courrier.desktop"))
        << "ids that are not installed or hidden are passed over";

    b.Fichier("config/gnome-mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=autre.desktop\n");
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("courrier.desktop"));
    b.env.bureaux = {Q("ubuntu"), Q("gnome")};
    EXPECT_EQ(vaskor::GestionnaireMailto(b.env), Q("autre.desktop")) << "the desktop's own list comes first";
}

TEST(Messagerie, TheEnvironmentGivesTheBaseFoldersAndTheirDefaults)
{
    const QByteArray avant = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", "/a/share:relatif:/b/share");
    EXPECT_EQ(EnvironnementXdg::DepuisSysteme().dataDirs, (QStringList{Q("/a/share"), Q("/b/share")}));
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(EnvironnementXdg::DepuisSysteme().dataDirs, (QStringList{Q("/usr/local/share"), Q("/usr/share")}));
    if (!avant.isEmpty()) qputenv("XDG_DATA_DIRS", avant);
}

TEST(Messagerie, TheHandlersEntryBecomesTheCommandToStart)
{
    Bureau b;
    b.Entree("courrier.desktop",
             "Name=Courrier\nName[fr]=Courriel\nIcon=courrier\nExec=\"/opt/Mail\\sClient/courrier\" --icone %i %u\n");
    b.Fichier("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=courrier.desktop\n");
    const auto c = vaskor::TrouverCommandeMessagerie(b.env, false);
    ASSERT_TRUE(c.trouvee);
    EXPECT_EQ(c.arguments, (QStringList{Q("/opt/Mail Client/courrier"), Q("--icone"), Q("--icon"), Q("courrier")}));
    EXPECT_EQ(c.texte, Q("\"/opt/Mail Client/courrier\" --icone --icon courrier"));

    // A terminal program gets a terminal to run in.
    b.Entree("mutt.desktop", "Name=Mutt\nExec=mutt %u\nTerminal=true\n");
    b.Fichier("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mutt.desktop\n");
    const fs::path bin = b.d.Chemin() / "bin";
    b.Fichier("bin/x-terminal-emulator", "#!/bin/sh\n");
    ::chmod((bin / "x-terminal-emulator").c_str(), 0755);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()));
    const auto t = vaskor::TrouverCommandeMessagerie(b.env, false);
    qputenv("PATH", path);
    EXPECT_EQ(t.arguments, (QStringList{Q(bin / "x-terminal-emulator"), Q("-e"), Q("mutt")}));
}

TEST(Messagerie, AFailedStartGivesTheMessageOfItsCauseAndNoHandlerGivesNothing)
{
    ApplicationQt();
    DossierTemporaire d;
    auto lancer = [](QStringList args) {
        vaskor::CommandeMessagerie c;
        c.trouvee = true;
        c.arguments = args;
        c.texte = args.join(QLatin1Char(' '));
        return vaskor::LancerCommande(c);
    };
    EcrireTout(d.Chemin() / "lisible", "#!/bin/sh\n");
    EcrireTout(d.Chemin() / "texte", "echo bonjour\n");
    ::chmod((d.Chemin() / "texte").c_str(), 0755);

    const auto absent = lancer({Q(d.Chemin() / "absent"), Q("-x")});
    EXPECT_EQ(absent.code, CodeLancement::FichierNonTrouve);
    EXPECT_EQ(absent.message, vaskor::Utf8VersCp1252("Problème au lancement de la messagerie.\r\n\t-> Fichier non trouvé.\r\n(" +
                                                     (d.Chemin() / "absent").string() + " -x)"));
    EXPECT_EQ(lancer({Q(d.Chemin() / "nulle/part/courrier")}).code, CodeLancement::CheminNonTrouve);
    EXPECT_EQ(lancer({Q("vaskor-programme-qui-n-existe-pas")}).code, CodeLancement::FichierNonTrouve);
    EXPECT_EQ(lancer({Q(d.Chemin() / "lisible")}).code, CodeLancement::AccesRefuse);
    EXPECT_EQ(lancer({Q(d.Chemin())}).code, CodeLancement::AccesRefuse);
    EXPECT_EQ(lancer({Q(d.Chemin() / "texte")}).code, CodeLancement::FormatInvalide);
    EXPECT_EQ(lancer({}).code, CodeLancement::AssociationInvalide);

    const auto rien = vaskor::LancerCommande(vaskor::CommandeMessagerie{});
    EXPECT_EQ(rien.code, CodeLancement::RienALancer);
    EXPECT_TRUE(rien.message.empty());

    const struct {
        CodeLancement code;
        const char* cause;
    } table[] = {
        {CodeLancement::PasAssezDeMemoire, "Pas assez de mémoire."},
        {CodeLancement::CheminNonTrouve, "Chemin non trouvé."},
        {CodeLancement::AccesRefuse, "Accès non autorisé."},
        {CodeLancement::FormatInvalide, "Format de l'exécutable invalide."},
        {CodeLancement::ViolationPartage, "Violation de partage."},
        {CodeLancement::AssociationInvalide, "Association invalide."},
    };
    for (const auto& l : table)
        EXPECT_EQ(vaskor::TexteEchecMessagerie(l.code, "mail"),
                  vaskor::Utf8VersCp1252(std::string("Problème au lancement de la messagerie.\r\n\t-> ") + l.cause +
                                         "\r\n(mail)"));
    EXPECT_EQ(vaskor::TexteEchecMessagerie(CodeLancement::Lance, "mail"), "");
}

TEST(Messagerie, TheMailProgramIsStartedDetachedWithItsArgumentsAndNoShell)
{
    ApplicationQt();
    DossierTemporaire d;
    const fs::path fifo = d.Chemin() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path script = d.Chemin() / "courrier";
    EcrireTout(script, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + fifo.string() + "'\n");
    ::chmod(script.c_str(), 0755);
    // Opened before the start so that the program's write finds a reader.
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);

    vaskor::CommandeMessagerie c;
    c.trouvee = true;
    c.arguments = {Q(script), Q("un deux"), Q("$HOME"), Q("*")};
    const auto r = vaskor::LancerCommande(c);
    ASSERT_EQ(r.code, CodeLancement::Lance);
    EXPECT_TRUE(r.message.empty());

    std::string lu;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, 20000);
        ASSERT_GT(n, 0) << "the program did not write in time";
        char tampon[256];
        const ssize_t k = ::read(fd, tampon, sizeof tampon);
        if (k > 0) lu.append(tampon, std::size_t(k));
        else if (k == 0 && (p.revents & POLLHUP)) break;
        else if (k < 0 && errno != EAGAIN) break;
    }
    ::close(fd);
    EXPECT_EQ(lu, "un deux|$HOME|*|") << "arguments reach the program as they are, unexpanded";
}

}  // namespace
