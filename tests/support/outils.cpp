#include "support/outils.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace vaskor::test {

std::filesystem::path DossierPartage()
{
    if (const char* e = std::getenv("VASKOR_SHARED"); e && *e) return e;
    const auto p = std::filesystem::path(VASKOR_SOURCE_DIR).parent_path() / "shared";
    std::error_code ec;
    return std::filesystem::is_directory(p, ec) ? p : std::filesystem::path();
}

DossierTemporaire::DossierTemporaire()
{
    std::string modele = (std::filesystem::temp_directory_path() / "vaskor-test-XXXXXX").string();
    if (!::mkdtemp(modele.data())) throw std::runtime_error("mkdtemp failed");
    chemin_ = modele;
}

DossierTemporaire::~DossierTemporaire()
{
    std::error_code ec;
    std::filesystem::remove_all(chemin_, ec);
}

ZoneLocale::ZoneLocale(const char* tz)
{
    if (const char* a = std::getenv("TZ")) ancienne_ = a;
    ::setenv("TZ", tz, 1);
    ::tzset();
}

ZoneLocale::~ZoneLocale()
{
    if (ancienne_)
        ::setenv("TZ", ancienne_->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

std::string LireTout(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

void EcrireTout(const std::filesystem::path& p, const std::string& octets)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << octets;
}

int LancerCli(const std::string& arguments, const std::string& entree, std::string& sortie, std::string* erreurs)
{
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "in", entree);
    const std::string cmd = std::string("'") + VASKOR_CLI_PATH + "' " + arguments + " < '" +
                            (d.Chemin() / "in").string() + "' > '" + (d.Chemin() / "out").string() +
                            "' 2> '" + (d.Chemin() / "err").string() + "'";
    const int r = std::system(cmd.c_str());
    sortie = LireTout(d.Chemin() / "out");
    if (erreurs) *erreurs = LireTout(d.Chemin() / "err");
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

}  // namespace vaskor::test
