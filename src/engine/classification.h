#pragma once
// The verdict on one parsed message: friends first, then the only-friends option, then the
// filters in list order, the first one whose test holds deciding. A message nothing decides is
// accepted.

#include "core/ami.h"
#include "core/config.h"
#include "core/dates.h"
#include "core/filtre.h"
#include "core/texte.h"
#include "mail/message.h"

#include <cstdint>
#include <functional>

namespace vaskor {

// The settings the classification reads, as plain values; the callers fill them from TConfig.
struct OptionsFiltrage {
    bool QueLesMailsDesAmis = false;
    bool FiltresExpActif = true;
    bool FiltresSujetActif = true;
    bool FiltresEnteteActif = true;
    bool PasserTailleMax = true;
    std::int32_t TaillePasserMessage = 300;  // in units of 1000 bytes
};
OptionsFiltrage OptionsDepuisConfig(const TConfig& config);

struct TResultatFiltrage {
    std::uint8_t Trouve = 0;  // 1 when the domain test of a sender filter decided
    std::int32_t Verdict = ActionAccepter;
    Texte Raison;             // meaningful for verdicts 1 and 2 only
    int IndiceFiltre = -1;    // position in the filter list of the filter that decided, else -1
};

// The date text of the "Date" header filter. Left empty, it is TexteDate, the text the message
// list shows; tests give a fixed one.
using FonctionTexteDate = std::function<Texte(TDateHeure)>;

// Messages at least TaillePasserMessage × 1000 bytes long escape the classification when
// PasserTailleMax is set: the check run accepts them without calling FiltrerMessage. A size the
// server did not give (-1) is never above the limit.
bool PasserSansFiltrer(const OptionsFiltrage& options, std::int64_t taille);

// Sets the verdict (and the reason when a rule decides) for `message`, and adds one to the
// counter of the filter that decided, in `filtres` itself. A record with a kind, condition,
// header number or action outside its codes never decides.
void FiltrerMessage(const TIdMessage& message, ListeFiltres& filtres, const ListeAmis& amis,
                    const OptionsFiltrage& options, TResultatFiltrage& resultat, const FonctionTexteDate& texteDate = {});

// The reason texts, for the classification and for whoever shows them.
Texte RaisonSeulementAmis(std::string_view adresse);
Texte RaisonFiltre(const TFiltre& filtre, bool parDomaine);

}  // namespace vaskor
