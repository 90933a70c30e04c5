#include "engine/conditions.h"

#include "core/texte.h"

#include <array>

namespace vaskor {

namespace {

bool EstChiffre(char c) { return c >= '0' && c <= '9'; }

bool Egaux(std::string_view a, std::string_view b, bool casse) { return casse ? a == b : EgalSansCasse(a, b); }

}  // namespace

bool ConditionAucune(std::string_view, std::string_view, bool) { return false; }

// An empty value is never "contained": a filter left without value must not catch every message.
bool ConditionContient(std::string_view texte, std::string_view valeur, bool casse)
{
    if (valeur.empty()) return false;
    const auto p = casse ? texte.find(valeur) : ChercherSansCasse(texte, valeur);
    return p != std::string_view::npos;
}

bool ConditionNeContientPas(std::string_view texte, std::string_view valeur, bool casse)
{
    return !ConditionContient(texte, valeur, casse);
}

bool ConditionEgal(std::string_view texte, std::string_view valeur, bool casse) { return Egaux(texte, valeur, casse); }

bool ConditionDifferent(std::string_view texte, std::string_view valeur, bool casse)
{
    return !ConditionEgal(texte, valeur, casse);
}

bool ConditionCommencePar(std::string_view texte, std::string_view valeur, bool casse)
{
    if (valeur.empty() || texte.size() < valeur.size()) return false;
    return Egaux(texte.substr(0, valeur.size()), valeur, casse);
}

bool ConditionNeCommencePasPar(std::string_view texte, std::string_view valeur, bool casse)
{
    return !ConditionCommencePar(texte, valeur, casse);
}

bool ConditionCommenceParNombre(std::string_view texte, std::string_view, bool)
{
    return !texte.empty() && EstChiffre(texte.front());
}

// The empty tail of any text equals an empty value, so an empty value always ends the text.
bool ConditionFinitPar(std::string_view texte, std::string_view valeur, bool casse)
{
    if (valeur.size() > texte.size()) return false;
    return Egaux(texte.substr(texte.size() - valeur.size()), valeur, casse);
}

bool ConditionNeFinitPasPar(std::string_view texte, std::string_view valeur, bool casse)
{
    return !ConditionFinitPar(texte, valeur, casse);
}

bool ConditionVide(std::string_view texte, std::string_view, bool) { return texte.empty(); }

bool ConditionNonVide(std::string_view texte, std::string_view, bool) { return !texte.empty(); }

int PourcentageChiffres(std::string_view texte)
{
    if (texte.empty()) return -1;
    std::uint64_t chiffres = 0;
    for (char c : texte) chiffres += EstChiffre(c) ? 1 : 0;
    const std::uint64_t n = texte.size();
    // 100 × digits ÷ length, halves rounded up (every term is positive).
    return static_cast<int>((200 * chiffres + n) / (2 * n));
}

bool ConditionEssentiellementNumerique(std::string_view texte, std::string_view, bool)
{
    return PourcentageChiffres(texte) > 50;
}

bool ConditionNumerique(std::string_view texte, std::string_view, bool) { return PourcentageChiffres(texte) == 100; }

// Only a..z count as lower case: accented letters are never folded, and a text with no letter
// at all is "in capitals".
bool ConditionMajuscule(std::string_view texte, std::string_view, bool)
{
    for (char c : texte)
        if (c >= 'a' && c <= 'z') return false;
    return true;
}

FonctionCondition FonctionDeCondition(std::int32_t code)
{
    static constexpr std::array<FonctionCondition, 15> table = {
        ConditionAucune,
        ConditionContient,
        ConditionNeContientPas,
        ConditionEgal,
        ConditionDifferent,
        ConditionCommencePar,
        ConditionNeCommencePasPar,
        ConditionCommenceParNombre,
        ConditionFinitPar,
        ConditionNeFinitPasPar,
        ConditionVide,
        ConditionNonVide,
        ConditionEssentiellementNumerique,
        ConditionNumerique,
        ConditionMajuscule,
    };
    if (code < 0 || code >= static_cast<std::int32_t>(table.size())) return nullptr;
    return table[static_cast<std::size_t>(code)];
}

bool EvaluerCondition(std::int32_t code, std::string_view texte, std::string_view valeur, bool casse)
{
    const FonctionCondition f = FonctionDeCondition(code);
    return f != nullptr && f(texte, valeur, casse);
}

}  // namespace vaskor
