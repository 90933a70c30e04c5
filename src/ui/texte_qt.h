#pragma once
// The one place where the core's code page 1252 texts become QStrings and back.

#include "core/secret.h"
#include "core/texte.h"

#include <QByteArray>
#include <QString>

namespace vaskor {

inline QString VersQString(std::string_view cp1252) { return QString::fromStdString(Cp1252VersUtf8(cp1252)); }
inline Texte DepuisQString(const QString& s) { return Utf8VersCp1252(s.toStdString()); }

// The same for a password: the intermediate copies are wiped before they are freed.
inline QString SecretVersQString(std::string_view cp1252)
{
    // Built in place, character by character: no intermediate copy is left to wipe. Every
    // character of the code page is in the basic plane.
    QString r;
    r.reserve(qsizetype(cp1252.size()));
    for (char c : cp1252) r.append(QChar(char16_t(Cp1252VersUnicode(static_cast<unsigned char>(c)))));
    return r;
}
inline TexteSecret SecretDepuisQString(const QString& s)
{
    QByteArray utf8 = s.toUtf8();
    TexteSecret r(Utf8VersCp1252(std::string_view(utf8.constData(), std::size_t(utf8.size()))));
    EffacerMemoire(utf8.data(), std::size_t(utf8.size()));
    return r;
}

}  // namespace vaskor
