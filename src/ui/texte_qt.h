#pragma once
// The one place where the core's code page 1252 texts become QStrings and back.

#include "core/texte.h"

#include <QString>

namespace vaskor {

inline QString VersQString(std::string_view cp1252) { return QString::fromStdString(Cp1252VersUtf8(cp1252)); }
inline Texte DepuisQString(const QString& s) { return Utf8VersCp1252(s.toStdString()); }

}  // namespace vaskor
