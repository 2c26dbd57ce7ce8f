#pragma once

#include "ConnectionServices.h"
#include "SavedConnection.h"
#include "client/ClientFactory.h"
#include "client/common/SavedTree.h"

#include <vector>

class SecretStore;

// The saved connections as the client opens them, each with its settings and the way its
// password is given: a remembered one from the secret store the first time, the user asked
// (`ask`) when none is remembered, the store cannot give it, or the server refused it.
std::vector<SavedTree> savedTreesOf(const std::vector<SavedConnection>& connections,
                                    SecretStore& secrets, const PasswordPrompt& ask);

// The dialog's "Test": opens the connection alone with `password`, asks the server who it is
// bound as, and closes it again.
ConnectionTest testSavedConnection(const SavedConnection& connection,
                                   const std::optional<QString>& password);
