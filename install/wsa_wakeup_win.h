// Starting WSA when its port refuses the connect step: through its URL scheme, as its own tools do.
#pragma once

// Whether the "wsa" URL scheme is registered (HKEY_CLASSES_ROOT\wsa\shell\open\command exists).
bool WsaSchemeRegistered();

// Hands "wsa://system" to the shell's "open", which starts WSA; false when the shell refuses.
bool OpenWsa();
