// A settings file in any state: every key read with the loading rules, written back, and the
// file written back read again to the same settings.
#include "core/config.h"
#include "core/fichier_ini.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FichierIni ini(std::string_view(reinterpret_cast<const char*>(data), size));
    TConfig config = ConfigParDefaut();
    LireConfig(ini, config, {}, "/nonexistent");
    EcrireConfig(config, ini);
    const FichierIni relu(ini.Assembler());
    TConfig encore = ConfigParDefaut();
    LireConfig(relu, encore, {}, "/nonexistent");
    if (encore.NbLignesSvg != config.NbLignesSvg || encore.HeureCtrl != config.HeureCtrl) std::abort();
    return 0;
}
