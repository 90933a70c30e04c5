#pragma once
// The base64 text that enciphered bytes are stored as ("MIME Base 64"): the usual alphabet and
// "=" padding, no line breaks on output. On input a set of punctuation and blanks is skipped, so
// text copied with line breaks or spaces between groups reads the same.

#include "core/texte.h"

#include <optional>
#include <string_view>

namespace vaskor {

inline constexpr std::string_view NomFormatMime64 = "MIME Base 64";

// Each group of 3 bytes becomes 4 characters; a last group of 1 or 2 bytes is padded with "=".
Texte EncoderMime64(std::string_view octets);

// True for the characters that may appear in the input besides the alphabet and "=".
bool CaractereIgnoreMime64(unsigned char c);

// Decodes base64 text. Skipped characters are ignored; every 4 characters give 3 bytes, less
// one for each "=" in the group; a last group short of its padding reads as if the "=" were
// there. nullopt when a character is neither in the alphabet, "=", nor skipped.
std::optional<Texte> DecoderMime64(std::string_view texte);

}  // namespace vaskor
