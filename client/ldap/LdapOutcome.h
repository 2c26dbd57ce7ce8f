#pragma once

#include "LdapLimits.h"
#include "LdapSession.h"
#include "LdapTree.h"
#include "RefusedAnswers.h"

#include <string>

// What the last call leaves for the pages' messages, shared by the parts of the LDAP client:
// the server's word on a failure, a change the client refused before sending it, what it
// would not take of the server's answers, and what a modify did not do as the embedded
// directory would.
struct LdapOutcome {
    LdapFailure lastFailure;
    LimitReached refusal;   // the last change refused before it was sent, and why
    RefusedAnswers refused; // of the listing, search or read under way
    std::string changeNote;

    // A call the tree's server failed: its word is kept for the message.
    void fail(const LdapTree& tree) {
        refusal = {};
        if (tree.session)
            lastFailure = tree.session->lastFailure();
    }
};
