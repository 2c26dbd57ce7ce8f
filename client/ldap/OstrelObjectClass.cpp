#include "OstrelObjectClass.h"

#include "StoredDefinitions.h"
#include "client/common/Names.h"

#include <algorithm>

namespace ostrelobject {

bool isThisClass(std::string_view nameOrOid) {
    return names::equalFolded(nameOrOid, kLdapName) || nameOrOid == kOid;
}

std::string description(const std::vector<std::string>& attributes,
                        const std::vector<std::string>& topOptional) {
    schemastatements::Definition d;
    d.keyword = "objectclass";
    d.oid = std::string(kOid);
    d.setQuoted("NAME", {std::string(kLdapName)});
    d.setQuoted("DESC", {"What every directory object may hold"});
    d.fields.push_back(schemastatements::Field{"SUP", {"top"}, "top"});
    d.setFlag("AUXILIARY");
    storeddefinitions::setList(d, "MAY", attributes);
    if (!topOptional.empty())
        d.setQuoted(kTopExtension, topOptional);
    return d.text();
}

std::optional<std::set<std::string>> allowedBy(const std::vector<std::string>& objectClasses) {
    for (const auto& value : objectClasses) {
        // Cheap test first: most values are other classes.
        if (value.find(kOid) == std::string::npos)
            continue;
        schemastatements::Definition d;
        if (!schemastatements::parseDescription("objectclass", value, d) || d.oid != kOid)
            continue;
        std::set<std::string> allowed;
        for (const char* key : {"MUST", "MAY"}) {
            for (const auto& a : d.values(key))
                allowed.insert(names::fold(a));
        }
        return allowed;
    }
    return std::nullopt;
}

std::vector<std::string> attributesFor(const std::vector<schemastatements::Definition>& defs,
                                       const std::set<std::string>& builtInOids) {
    std::vector<std::string> out;
    auto take = [&](const std::string& name) {
        if (names::equalFolded(name, "objectClass"))
            return;
        if (std::none_of(out.begin(), out.end(),
                         [&](const std::string& n) { return names::equalFolded(n, name); }))
            out.push_back(name);
    };
    for (const auto& d : defs) {
        if (d.keyword != "objectclass" || !builtInOids.count(d.oid))
            continue;
        for (const char* key : {"MUST", "MAY", "X-NDS-NAMING"}) {
            for (const auto& a : d.values(key))
                take(a);
        }
    }
    return out;
}

void addToTop(schemastatements::Definition& d, const std::vector<std::string>& attributes) {
    std::vector<std::string> may = d.values("MAY");
    std::vector<std::string> top = d.values(kTopExtension);
    for (const auto& a : attributes) {
        may.push_back(a);
        top.push_back(a);
    }
    storeddefinitions::setList(d, "MAY", may);
    d.setQuoted(kTopExtension, top);
}

std::vector<std::string> addedToTop(const std::vector<std::string>& objectClasses) {
    for (const auto& value : objectClasses) {
        if (value.find(kOid) == std::string::npos)
            continue;
        schemastatements::Definition d;
        if (schemastatements::parseDescription("objectclass", value, d) && d.oid == kOid)
            return d.values(kTopExtension);
    }
    return {};
}

} // namespace ostrelobject
