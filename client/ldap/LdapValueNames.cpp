#include "LdapValueNames.h"

#include "LdapDirectory.h"
#include "LdapTree.h"
#include "client/common/Names.h"

std::optional<std::string> LdapValueNames::nameFromText(std::string_view text) const {
    if (text.empty())
        return std::nullopt;
    if (text.front() == '[')
        return std::string(text);
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(text, parts))
        return std::nullopt;
    std::vector<std::string> components;
    for (auto& p : parts)
        components.push_back(std::move(p.value));
    return names::join(components);
}

std::string LdapValueNames::nameToText(std::string_view name) const {
    if (name.empty() || name.front() == '[')
        return std::string(name);
    auto dn = dnOf_ ? dnOf_(name) : std::nullopt;
    return dn ? *dn : std::string(name);
}

std::optional<std::string> LdapValueNames::classFromText(std::string_view text) const {
    const ClassDefinition* c = schema_.findClassByLdapName(text);
    if (c == nullptr)
        c = schema_.findClass(text);
    return c == nullptr ? std::nullopt : std::optional<std::string>(c->name);
}

std::string LdapValueNames::classToText(std::string_view name) const {
    const ClassDefinition* c = schema_.findClass(name);
    return c == nullptr || c->ldapName.empty() ? std::string(name) : c->ldapName;
}

std::optional<std::string> LdapValueNames::attrFromText(std::string_view text) const {
    const AttributeDefinition* a = schema_.findAttributeByLdapName(text);
    if (a == nullptr)
        a = schema_.findAttribute(text);
    // Pseudo attributes ("[Entry Rights]") and names the schema does not hold stay as written.
    return a == nullptr ? std::string(text) : a->name;
}

std::string LdapValueNames::attrToText(std::string_view name) const {
    const AttributeDefinition* a = schema_.findAttribute(name);
    return a == nullptr || a->ldapName.empty() ? std::string(name) : a->ldapName;
}

NWDSCCODE LdapDirectory::withTextNames(const ContextState& ctx, const TextNamesUse& use) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    // DNs read in a text form name the objects they point at, held by the server or not yet.
    class Learning : public LdapValueNames {
    public:
        Learning(LdapDirectory& directory, Tree& t)
            : LdapValueNames(*t.schema, directory.dnOfName(t)), directory_(directory), tree_(t) {}
        std::optional<std::string> nameFromText(std::string_view text) const override {
            auto name = LdapValueNames::nameFromText(text);
            if (name)
                directory_.hintNaming(tree_, text);
            return name;
        }

    private:
        LdapDirectory& directory_;
        Tree& tree_;
    };
    return use(Learning(*this, *tree));
}
