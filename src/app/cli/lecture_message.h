#pragma once
// Reading a raw message or header block given on the command line (a file, or - for standard
// input), the way a TOP fetch would hand its lines to the parse.

#include "cli/commande.h"
#include "mail/message.h"

#include <optional>

namespace vaskor::cli {

// UTF-8 input to code page 1252; a byte that does not begin a valid UTF-8 sequence is a stray
// 8-bit mail byte and is kept as the code page 1252 byte it already is, rather than lost to a "?".
Texte EntreeVersCp1252(std::string_view s);

// The header lines of FILE (`nom`, "-" for standard input). On a read failure writes the reason
// on the error output and gives nullopt.
std::optional<ListeEntetes> LireBlocEntete(Contexte& c, const Texte& nom);

}  // namespace vaskor::cli
