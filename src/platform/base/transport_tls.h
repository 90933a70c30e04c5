#pragma once
// The encrypted stream of the POP3 client: OpenSSL over the plain TCP socket. It starts plain;
// DemarrerTls turns it to TLS, at once for implicit TLS or after STLS.

#include "mail/transport.h"

#include <memory>

namespace vaskor {

std::unique_ptr<Transport> CreerTransportTls();

}  // namespace vaskor
