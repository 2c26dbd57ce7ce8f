#pragma once

#include "client/common/BufferedClientPasses.h"
#include "client/common/Filter.h"
#include "client/common/ValueText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class LdapNaming;
struct LdapOutcome;
struct LdapPending;
struct LdapTree;

// Searching over LDAP: the filter tokens as an RFC 4515 filter, one (paged) search of the
// scope asked for, and the objects found with their attributes over as many passes as the
// replies take.
class LdapSearcher {
public:
    LdapSearcher(LdapNaming& naming, LdapOutcome& outcome) : naming_(naming), outcome_(outcome) {}

    // A new search from the object at `base` ("" for [Root]) with the filter's tokens
    // (nullptr: every object in scope), its objects kept in `out`.
    NWDSCCODE start(const ContextState& ctx, LdapTree& tree, const std::string& base,
                    const std::vector<FilterToken>* filter, const SearchRequest& asked,
                    LdapPending& out);
    NWDSCCODE fill(LdapPending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                   std::int32_t& searched, bool& done);

private:
    // The LDAP filter of the tokens, the tree's names and values in the server's forms.
    NWDSCCODE filterText(const ContextState& ctx, LdapTree& tree,
                         const std::vector<FilterToken>& tokens, std::string& text);
    // Whether an entry a search returned lies where the search looked (scope 0 base, 1 one
    // level, 2 subtree below `base`, -1 anywhere) and was not returned before; counted in the
    // refused answers when not. `parts` and `seen` are the caller's, reused from entry to
    // entry.
    bool acceptFound(std::string_view dn, const std::vector<valuetext::DnComponent>& base,
                     int scope, std::vector<valuetext::DnComponent>& parts,
                     std::unordered_set<std::uint64_t>& seen);

    LdapNaming& naming_;
    LdapOutcome& outcome_;
};
