#pragma once
// The plain TCP stream of the POP3 client, over POSIX sockets.

#include "mail/transport.h"

#include <memory>

namespace vaskor {

// "Socket Error # %d\r\n%s" with the error number and the system's text for it.
Texte TexteErreurSocket(int erreur);

std::unique_ptr<Transport> CreerTransportTcp();

// The socket of a transport made by CreerTransportTcp, or -1 (another kind, or not connected):
// the TLS stream runs over it.
int DescripteurTcp(const Transport& t);

}  // namespace vaskor
