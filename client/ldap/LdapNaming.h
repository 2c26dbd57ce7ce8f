#pragma once

#include "client/common/BufferedClient.h"
#include "client/common/Schema.h"
#include "client/common/ValueText.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LdapOutcome;
struct LdapTree;

// Names over LDAP: typeless dotted names to DNs and back, the directory's attribute names to
// LDAP names and back, and what the client learns of each tree's names as it goes (the
// naming attribute of each object met, attributes with options), kept in the tree.
class LdapNaming {
public:
    explicit LdapNaming(LdapOutcome& outcome) : outcome_(outcome) {}

    // ---- Dotted names to DNs ----
    // The DN of a dotted name given to an operation, relative to the context's name context
    // or from [Root] (both are tried, the canonicalize flag deciding which first); "" for
    // [Root] itself. `from`, when given, receives the components that named the object.
    NWDSCCODE resolve(const ContextState& ctx, LdapTree& tree, const char* name, std::string& dn,
                      std::vector<std::string>* from = nullptr);
    // The DN of a name's components from [Root]; the server is asked which attribute names a
    // component not met before.
    // `hinted`: an object the server does not hold is named as a text form named it
    // (hintNaming), for names inside values sent to the server.
    NWDSCCODE dnOfComponents(LdapTree& tree, const std::vector<std::string>& components,
                             std::string& dn, bool hinted = false);
    // Names in values as DNs, for values sent to the server: the objects of the last search
    // reply by the names it gave them, others as dnOfComponents (hinted) finds them.
    std::function<std::optional<std::string>(std::string_view)> dnOfName(LdapTree& tree);
    // Hands `use` the names inside values in the text forms (DNs, LDAP names); a DN read from
    // a text form is kept as a hint (hintNaming) for the values sent after it.
    using TextNamesUse = std::function<NWDSCCODE(const valuetext::NameMapping&)>;
    NWDSCCODE withTextNames(LdapTree& tree, const TextNamesUse& use);

    // ---- DNs to dotted names ----
    // The dotted name of a DN (typed: "CN=Admin.O=Acme").
    std::string nameOfDn(const LdapTree& tree, std::string_view dn, bool typed) const;
    // The top object a DN lies below (the longest match), or bases.size().
    std::size_t baseOf(const LdapTree& tree,
                       const std::vector<valuetext::DnComponent>& parts) const;
    // The tag of a typed name for an LDAP naming attribute ("CN" for cn).
    std::string tagOf(const LdapTree& tree, std::string_view ldapType) const;
    // A component with its type tags ("CN=Ann Lee+EMPLOYEENUMBER=4711"); the type and the
    // value joined as valuetext::DnComponent joins them.
    std::string typedComponent(const LdapTree& tree, std::string_view type,
                               std::string_view value) const;

    // ---- Attributes (LdapAttributeOptions.cpp) ----
    // The definition of an attribute by its LDAP name (ldapAttribute) or its directory name
    // (directoryAttribute); a name with options is the attribute's, under its full name
    // ("Description;lang-de" for "description;lang-de"). nullptr when there is none.
    static const AttributeDefinition* ldapAttribute(LdapTree& tree, std::string_view ldapName);
    static const AttributeDefinition* directoryAttribute(LdapTree& tree, std::string_view name);
    // The LDAP type of the attribute of the entry at `dn` that holds a value ("" for none);
    // the entry is read once, when a value first asks.
    std::function<std::string(std::string_view)> holderIn(LdapTree& tree,
                                                          const std::string& dn) const;

    // ---- What the client knows of an entry's name ----
    void rememberNaming(LdapTree& tree, std::string_view dn);
    // `key` is room for the lookup key, reused by callers that remember many names.
    void rememberNaming(LdapTree& tree, std::string_view parentDn, std::string_view value,
                        std::string_view type, std::string& key);
    void rememberNaming(LdapTree& tree, std::string_view parentDn, std::string_view value,
                        std::string_view type);
    // Forgotten when the entry is removed or renamed, with what the listings knew below it.
    void forgetNaming(LdapTree& tree, const std::string& dn);
    // Keeps the naming attribute of each component of a DN read in a text form, for objects
    // the server does not hold (yet): an import's values name objects it adds later, and
    // itself.
    void hintNaming(LdapTree& tree, std::string_view dn);

private:
    LdapOutcome& outcome_;
};
