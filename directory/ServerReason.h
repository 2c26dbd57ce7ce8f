#pragma once

#include "DirectoryClient.h"

#include <string>

// What follows a refused change's code in a page's message: the server's own words on a line
// of their own ("\nThe server said: LDAP 50: ..."), where a server gave them; "" otherwise.
// Control characters are shown as blanks and the text is cut at 300 characters. A change the
// client refused before sending it has the client's reason instead, on a line of its own.
std::string serverSaid(const DirectoryClient& client, NWDSCCODE code);
