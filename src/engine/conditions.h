#pragma once
// The fifteen filter conditions, each a plain function of (tested text, filter value, case flag)
// with no state. Texts are code page 1252; case folding touches the 26 ASCII letters only.
// Only conditions 1 to 6, 8 and 9 read the value and the case flag.

#include <cstdint>
#include <string_view>

namespace vaskor {

using FonctionCondition = bool (*)(std::string_view texte, std::string_view valeur, bool casse);

bool ConditionAucune(std::string_view texte, std::string_view valeur, bool casse);              // 0
bool ConditionContient(std::string_view texte, std::string_view valeur, bool casse);            // 1
bool ConditionNeContientPas(std::string_view texte, std::string_view valeur, bool casse);       // 2
bool ConditionEgal(std::string_view texte, std::string_view valeur, bool casse);                // 3
bool ConditionDifferent(std::string_view texte, std::string_view valeur, bool casse);           // 4
bool ConditionCommencePar(std::string_view texte, std::string_view valeur, bool casse);         // 5
bool ConditionNeCommencePasPar(std::string_view texte, std::string_view valeur, bool casse);    // 6
bool ConditionCommenceParNombre(std::string_view texte, std::string_view valeur, bool casse);   // 7
bool ConditionFinitPar(std::string_view texte, std::string_view valeur, bool casse);            // 8
bool ConditionNeFinitPasPar(std::string_view texte, std::string_view valeur, bool casse);       // 9
bool ConditionVide(std::string_view texte, std::string_view valeur, bool casse);                // 10
bool ConditionNonVide(std::string_view texte, std::string_view valeur, bool casse);             // 11
bool ConditionEssentiellementNumerique(std::string_view texte, std::string_view valeur, bool casse);  // 12
bool ConditionNumerique(std::string_view texte, std::string_view valeur, bool casse);           // 13
bool ConditionMajuscule(std::string_view texte, std::string_view valeur, bool casse);           // 14

// The function of a condition code; nullptr outside 0..14.
FonctionCondition FonctionDeCondition(std::int32_t code);
// Evaluates condition `code`; a code outside 0..14 never holds.
bool EvaluerCondition(std::int32_t code, std::string_view texte, std::string_view valeur, bool casse);

// Share of digits (0..9) in the text, in percent rounded to the nearest whole number with halves
// away from zero; -1 for an empty text.
int PourcentageChiffres(std::string_view texte);

}  // namespace vaskor
