#include "platform/base/instance_unique.h"

#include "support/outils.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using vaskor::GardeInstance;

// Qt's sockets want an application object; the tests of this folder share one process.
void ApplicationQt()
{
    static int argc = 1;
    static char nom[] = "test_platform";
    static char* argv[] = {nom, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QString Chemin(const vaskor::test::DossierTemporaire& d)
{
    return QString::fromStdString((d.Chemin() / "vaskor.instance").string());
}

TEST(GardeInstance, TheSecondCopyIsRefusedWhileTheFirstRunsAndAcceptedOnceItEnds)
{
    ApplicationQt();
    vaskor::test::DossierTemporaire d;
    auto premiere = std::make_unique<GardeInstance>(Chemin(d));
    ASSERT_TRUE(premiere->Acquerir());
    EXPECT_TRUE(premiere->Acquise());

    GardeInstance seconde(Chemin(d));
    EXPECT_FALSE(seconde.Acquerir());
    EXPECT_FALSE(seconde.Acquise());
    EXPECT_FALSE(seconde.Acquerir()) << "asking again changes nothing";

    premiere.reset();
    EXPECT_FALSE(QFile::exists(Chemin(d))) << "the first copy removes its socket when it ends";
    GardeInstance troisieme(Chemin(d));
    EXPECT_TRUE(troisieme.Acquerir());
}

TEST(GardeInstance, ASocketLeftByACrashedCopyDoesNotKeepTheProgramFromStarting)
{
    ApplicationQt();
    vaskor::test::DossierTemporaire d;
    const std::string chemin = (d.Chemin() / "vaskor.instance").string();
    // What a killed copy leaves: a bound socket file that nobody listens on any more.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    ASSERT_LT(chemin.size(), sizeof(adresse.sun_path));
    std::memcpy(adresse.sun_path, chemin.c_str(), chemin.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof(adresse)), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(chemin));

    GardeInstance garde(Chemin(d));
    EXPECT_TRUE(garde.Acquerir());
    EXPECT_TRUE(garde.Acquise());
    GardeInstance autre(Chemin(d));
    EXPECT_FALSE(autre.Acquerir()) << "the socket taken over guards again";
}

TEST(GardeInstance, ThePerUserSocketLivesInTheSessionRuntimeFolder)
{
    vaskor::test::DossierTemporaire d;
    const QByteArray avant = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(d.Chemin().string()));
    EXPECT_EQ(GardeInstance::CheminSocketInstance(), QString::fromStdString((d.Chemin() / "vaskor.instance").string()));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(GardeInstance::CheminSocketInstance().endsWith(QStringLiteral("-%1.instance").arg(::getuid())));
    if (!avant.isEmpty()) qputenv("XDG_RUNTIME_DIR", avant);
}

}  // namespace
