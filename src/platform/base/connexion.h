#pragma once
// The Internet connection services that a check, a deletion and quitting ask about. This desktop
// has no dial-up service to query or to dial: the network is taken as up (a server that cannot
// be reached fails the check with its own message), and there is never a modem connection to
// offer to hang up.

namespace vaskor {

// Whether an Internet connection is up, dialling the default one if needed.
inline bool ConnexionInternetEtablie() { return true; }

// Whether the connection is a dial-up one that "Terminer la connexion Internet ?" may end.
inline bool ConnexionParModem() { return false; }

// Hangs up the dial-up connection; nothing to do here.
inline void RaccrocherModem() {}

}  // namespace vaskor
