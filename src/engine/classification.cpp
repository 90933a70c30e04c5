#include "engine/classification.h"

#include "core/texte_date.h"
#include "engine/conditions.h"

#include <limits>
#include <string>
#include <vector>

namespace vaskor {

namespace {

Texte Guillemets(std::string_view v)
{
    Texte t;
    t.reserve(v.size() + 2);
    t += '"';
    t += v;
    t += '"';
    return t;
}

Texte LibelleMinuscule(std::int32_t code) { return EnMinusculesAscii(LibelleCondition(code)); }

bool ActionConnue(std::int32_t a) { return a >= 0 && a < NombreActions; }

// A counter that has reached the top stays there rather than turning negative.
void Compter(TFiltre& f)
{
    const std::int32_t c = f.Compteur;
    if (c < std::numeric_limits<std::int32_t>::max()) f.Compteur = c + 1;
}

struct Decision {
    bool decide = false;
    bool parDomaine = false;
};

Decision EvaluerExpediteur(const TFiltre& f, const AdresseSeparee& exp)
{
    const std::int32_t c1 = f.Condition1;
    const bool casse = f.Casse != 0;
    if (c1 != CondAucune) {
        if (!ConditionConnue(c1)) return {};
        // An empty user part is not "in capitals": there is no name to look at.
        const bool tenu = (c1 == CondMajuscule && exp.utilisateur.empty())
                              ? false
                              : EvaluerCondition(c1, exp.utilisateur, f.Valeur1.Lire(), casse);
        if (tenu) return {true, false};
    }
    const std::int32_t c2 = f.Condition2;
    if (c2 == CondAucune || !ConditionConnue(c2)) return {};
    // "Does not contain" on the domain ignores the case flag: domain names are case-insensitive.
    const bool casseDomaine = c2 == CondNeContientPas ? false : casse;
    if (EvaluerCondition(c2, exp.domaine, f.Valeur2.Lire(), casseDomaine)) return {true, true};
    return {};
}

bool EvaluerSujet(const TFiltre& f, const Texte& sujet)
{
    const std::int32_t c1 = f.Condition1;
    if (c1 == CondAucune || !ConditionConnue(c1)) return false;
    if (c1 == CondMajuscule && sujet.empty()) return false;
    return EvaluerCondition(c1, sujet, f.Valeur1.Lire(), f.Casse != 0);
}

void AjouterAdresses(const std::vector<TElementAdresse>& liste, std::vector<Texte>& valeurs)
{
    for (const TElementAdresse& e : liste) valeurs.push_back(e.Address);
}

// The values a header filter tests; false when the filter names a header the message lacks.
bool ValeursEntete(const TFiltre& f, const TIdMessage& m, const FonctionTexteDate& texteDate,
                   std::vector<Texte>& valeurs)
{
    valeurs.clear();
    switch (f.NumEntete.Lire()) {
    case 0: {
        const Texte nom = f.Valeur1.Lire();
        LireValeurEntete(m.Headers, nom, valeurs);
        if (valeurs.empty()) LireValeurEntete(m.ExtraHeaders, nom, valeurs);
        return !valeurs.empty();
    }
    case 1: AjouterAdresses(m.CCList, valeurs); break;
    case 2: valeurs.push_back(m.ContentTransferEncoding); break;
    case 3: valeurs.push_back(m.ContentType); break;
    case 4:
        // The text the list shows: empty for a date that could not be read.
        valeurs.push_back(!m.DateLisible ? Texte() : texteDate ? texteDate(m.Date) : TexteDate(m.Date));
        break;
    case 5: valeurs.push_back(m.From.Address); break;
    case 6: valeurs.push_back(m.MsgId); break;
    case 7: valeurs.push_back(m.Organization); break;
    case 8: AjouterAdresses(m.ReplyTo, valeurs); break;
    case 9: valeurs.push_back(m.Subject); break;
    default: break;  // unknown number: no values, so the filter never decides
    }
    return true;
}

bool EvaluerEntete(const TFiltre& f, const TIdMessage& m, const FonctionTexteDate& texteDate,
                   std::vector<Texte>& valeurs)
{
    const std::int32_t c1 = f.Condition1;
    if (c1 == CondAucune || !ConditionConnue(c1)) return false;
    if (!ValeursEntete(f, m, texteDate, valeurs)) return false;
    const Texte valeur = f.Valeur2.Lire();
    const bool casse = f.Casse != 0;
    for (const Texte& v : valeurs)
        if (EvaluerCondition(c1, v, valeur, casse)) return true;
    return false;
}

}  // namespace

OptionsFiltrage OptionsDepuisConfig(const TConfig& k)
{
    OptionsFiltrage o;
    o.QueLesMailsDesAmis = k.QueLesMailsDesAmis;
    o.FiltresExpActif = k.FiltresExpActif;
    o.FiltresSujetActif = k.FiltresSujetActif;
    o.FiltresEnteteActif = k.FiltresEnteteActif;
    o.PasserTailleMax = k.PasserTailleMax;
    o.TaillePasserMessage = k.TaillePasserMessage;
    return o;
}

bool PasserSansFiltrer(const OptionsFiltrage& options, std::int64_t taille)
{
    return options.PasserTailleMax && taille >= std::int64_t(options.TaillePasserMessage) * 1000;
}

Texte RaisonSeulementAmis(std::string_view adresse)
{
    return Guillemets(adresse) + " n'est pas dans la liste des amis";
}

Texte RaisonFiltre(const TFiltre& f, bool parDomaine)
{
    switch (f.TypeFiltre.Lire()) {
    case FiltreExpediteur:
        if (parDomaine) return "Le domaine " + LibelleMinuscule(f.Condition2) + Guillemets(f.Valeur2.Lire());
        return "L'expéditeur "_cp + LibelleMinuscule(f.Condition1) + Guillemets(f.Valeur1.Lire());
    case FiltreSujet:
        return "Le sujet " + LibelleMinuscule(f.Condition1) + Guillemets(f.Valeur1.Lire());
    case FiltreEntete: {
        const std::int32_t num = f.NumEntete;
        const Texte libelle = num == 0 ? f.Valeur1.Lire() : LibelleEnteteFixe(num);
        return "L'entête "_cp + Guillemets(libelle) + " " + LibelleMinuscule(f.Condition1) +
               Guillemets(f.Valeur2.Lire());
    }
    default:
        return {};
    }
}

void FiltrerMessage(const TIdMessage& message, ListeFiltres& filtres, const ListeAmis& amis,
                    const OptionsFiltrage& options, TResultatFiltrage& resultat, const FonctionTexteDate& texteDate)
{
    resultat.Verdict = ActionAccepter;
    resultat.Raison.clear();
    resultat.Trouve = 0;
    resultat.IndiceFiltre = -1;

    const Texte& adresse = message.From.Address;
    const AdresseSeparee exp = SeparerAdresse(adresse);

    if (EstUnAmi(amis, adresse)) return;
    if (options.QueLesMailsDesAmis) {
        resultat.Verdict = ActionEffacer;
        resultat.Raison = RaisonSeulementAmis(adresse);
        return;
    }

    std::vector<Texte> valeurs;  // reused from one header filter to the next
    for (std::size_t i = 0; i < filtres.size(); ++i) {
        TFiltre& f = filtres[i];
        if (f.Actif == 0) continue;
        // A verdict outside accept, mark and delete would mean nothing to the check run.
        if (!ActionConnue(f.Action)) continue;
        Decision d;
        switch (f.TypeFiltre.Lire()) {
        case FiltreExpediteur:
            if (options.FiltresExpActif) d = EvaluerExpediteur(f, exp);
            break;
        case FiltreSujet:
            if (options.FiltresSujetActif) d.decide = EvaluerSujet(f, message.Subject);
            break;
        case FiltreEntete:
            if (options.FiltresEnteteActif) d.decide = EvaluerEntete(f, message, texteDate, valeurs);
            break;
        default:
            break;
        }
        if (!d.decide) continue;
        resultat.Verdict = f.Action;
        resultat.Raison = RaisonFiltre(f, d.parDomaine);
        resultat.Trouve = d.parDomaine ? 1 : 0;
        resultat.IndiceFiltre = static_cast<int>(i);
        Compter(f);
        return;
    }
}

}  // namespace vaskor
