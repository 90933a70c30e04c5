#include "platform/base/autorun.h"

#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using vaskor::test::DossierTemporaire;
using vaskor::test::LireTout;

// Points XDG_CONFIG_HOME at a temporary folder for the life of the object.
class ConfigTemporaire {
public:
    ConfigTemporaire()
    {
        if (const char* v = std::getenv("XDG_CONFIG_HOME")) avant_ = v, avait_ = true;
        ::setenv("XDG_CONFIG_HOME", d_.Chemin().c_str(), 1);
    }
    ~ConfigTemporaire()
    {
        if (avait_) ::setenv("XDG_CONFIG_HOME", avant_.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::path Autostart() const { return d_.Chemin() / "autostart"; }

private:
    DossierTemporaire d_;
    std::string avant_;
    bool avait_ = false;
};

TEST(AutoRun, TurningItOnWritesOneEntryNamedAfterTheExecutableAndOffRemovesIt)
{
    ConfigTemporaire config;
    const fs::path exe = "/opt/vaskor/bin/vaskor";
    const fs::path entree = config.Autostart() / "vaskor.desktop";
    EXPECT_EQ(vaskor::CheminEntreeAutoRun(exe), entree);

    ASSERT_TRUE(vaskor::DefinirAutoRun(true, exe)) << "the missing autostart folder is created";
    ASSERT_TRUE(fs::exists(entree));
    EXPECT_EQ(LireTout(entree),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Vaskor\n"
              "Comment=Contrôle des boîtes aux lettres POP3\n"
              "Exec=/opt/vaskor/bin/vaskor\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");

    ASSERT_TRUE(vaskor::DefinirAutoRun(true, exe));
    int n = 0;
    for (const auto& e : fs::directory_iterator(config.Autostart())) ++n, (void)e;
    EXPECT_EQ(n, 1) << "turning it on twice leaves one entry";

    ASSERT_TRUE(vaskor::DefinirAutoRun(false, exe));
    EXPECT_FALSE(fs::exists(entree));
    EXPECT_TRUE(vaskor::DefinirAutoRun(false, exe)) << "removing an absent entry is not a failure";
}

TEST(AutoRun, APathWithReservedCharactersIsQuotedAndEscapedForTheExecKey)
{
    struct Cas {
        const char* chemin;
        const char* exec;
    } cas[] = {
        {"/usr/bin/vaskor", "/usr/bin/vaskor"},
        {"/home/jean/Mes programmes/vaskor", "\"/home/jean/Mes programmes/vaskor\""},
        {"/home/o'brien/vaskor", "\"/home/o'brien/vaskor\""},
        {"/tmp/a$b/vaskor", "\"/tmp/a\\\\$b/vaskor\""},
        {"/tmp/a\\b/vaskor", "\"/tmp/a\\\\\\\\b/vaskor\""},
        {"/tmp/100%/vaskor", "/tmp/100%%/vaskor"},
        {"/tmp/\"x\"/vaskor", "\"/tmp/\\\\\"x\\\\\"/vaskor\""},
    };
    for (const auto& c : cas) EXPECT_EQ(vaskor::ArgumentExec(c.chemin), c.exec) << c.chemin;
}

TEST(AutoRun, TheEntryFollowsXdgConfigHomeOnlyWhenItIsAnAbsolutePath)
{
    ConfigTemporaire config;
    EXPECT_EQ(vaskor::DossierAutostart(), config.Autostart());
    ::setenv("XDG_CONFIG_HOME", "relatif/config", 1);
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(vaskor::DossierAutostart(), fs::path(home) / ".config" / "autostart");
}

}  // namespace
