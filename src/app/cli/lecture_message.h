#pragma once
// Reading a raw message or header block given on the command line (a file, or - for standard
// input), the way a TOP fetch would hand its lines to the parse: the file's bytes are the
// message's bytes, never converted.

#include "cli/commande.h"
#include "mail/message.h"

#include <optional>

namespace vaskor::cli {

// The header lines of FILE (`nom`, "-" for standard input). On a read failure writes the reason
// on the error output and gives nullopt.
std::optional<ListeEntetes> LireBlocEntete(Contexte& c, const Texte& nom);

}  // namespace vaskor::cli
