#include "ConnectionOpening.h"

#include "SecretStore.h"
#include "client/SavedTrees.h"
#include "directory/Codes.h"
#include "directory/DirectoryClient.h"

#include <memory>

std::vector<SavedTree> savedTreesOf(const std::vector<SavedConnection>& connections,
                                    SecretStore& secrets, const PasswordPrompt& ask) {
    std::vector<SavedTree> trees;
    for (const SavedConnection& c : connections) {
        SavedTree tree;
        tree.settings = settingValues(c);
        auto asked = std::make_shared<int>(0);
        tree.askPassword = [id = c.id, remember = c.rememberPassword, &secrets, ask,
                            asked](const std::string& who) -> std::optional<std::string> {
            // A remembered password is tried once; the next ask follows a refused bind.
            if (remember && (*asked)++ == 0) {
                if (auto secret = secrets.read(id, nullptr))
                    return secret->toStdString();
            }
            if (!ask)
                return std::nullopt;
            return ask(who);
        };
        trees.push_back(std::move(tree));
    }
    return trees;
}

ConnectionTest testSavedConnection(const SavedConnection& connection,
                                   const std::optional<QString>& password) {
    SavedTree tree;
    tree.settings = settingValues(connection);
    tree.askPassword = [password](const std::string&) -> std::optional<std::string> {
        if (!password)
            return std::nullopt;
        return password->toStdString();
    };
    std::string why;
    const std::unique_ptr<DirectoryClient> client = openSavedTrees({tree}, &why);
    if (!client)
        return {false, QStringLiteral("The connection %1 failed: %2")
                           .arg(connection.name, QString::fromStdString(why))};
    NWDSContextHandle context = NO_CONTEXT;
    NWDSCCODE rc = client->NWDSCreateContextHandle(&context);
    if (rc != 0)
        return {false, QString::asprintf("NWDSCreateContextHandle returned: %04X", unsigned(rc))};
    char who[MAX_DN_BYTES] = {};
    rc = client->NWDSWhoAmI(context, who, sizeof who);
    client->NWDSFreeContext(context);
    if (rc != 0)
        return {false, QString::asprintf("NWDSWhoAmI returned: %04X", unsigned(rc))};
    return {true, QStringLiteral("Connected to %1 (%2) as %3.")
                      .arg(connection.name, connection.uri, QString::fromUtf8(who))};
}
