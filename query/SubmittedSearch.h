#pragma once

#include "SearchCriterion.h"
#include "directory/DirectoryClient.h"

#include <optional>
#include <string>
#include <vector>

// A search as "Submit Query" sent it: its location and its criteria with the connectors
// between them, kept (the page resets its criteria after a search) so that "Export
// Results..." writes what the same search finds.
struct SubmittedSearch {
    struct Step {
        std::optional<SearchCriterion> criterion; // none: a connector
        std::uint32_t connector = 0;              // FTOK_AND or FTOK_OR
        std::string text;                         // as the criteria list shows it
    };
    std::string base;
    std::vector<Step> steps;

    // Adds the filter's tokens, FTOK_END last, to a fresh cursor.
    NWDSCCODE putTokens(DirectoryClient& client, Filter_Cursor_T* cursor) const;
    // "Sales.Acme, subtree: Title EQUALS Clerk AND Surname Present".
    std::string description() const;
};
