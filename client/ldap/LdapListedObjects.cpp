// What a listing makes of each entry it lists: the object information and the attributes
// shown, read where the entry lies in the server's message, and the names reads that follow
// answered from them.
#include "LdapEntryDecoding.h"
#include "LdapListing.h"
#include "LdapNaming.h"
#include "LdapTree.h"
#include "client/common/Names.h"

#include <array>

// A name component that reads back as itself after "." and a container's name: letters,
// digits, "-", "_" and inner spaces, nothing a dotted name escapes or drops.
bool LdapListing::plainComponent(std::string_view value) {
    if (value.empty() || value.size() > MAX_RDN_CHARS || value.front() == ' ' ||
        value.back() == ' ')
        return false;
    static constexpr auto kPlain = [] {
        std::array<bool, 256> plain{};
        for (int c = 0; c < 256; ++c)
            plain[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == ' ';
        return plain;
    }();
    for (char c : value) {
        if (!kPlain[static_cast<unsigned char>(c)])
            return false;
    }
    return true;
}

Object_Info_T LdapListing::infoOf(const LdapTree& tree, const LdapEntryView& e, Memo& memo) {
    // The four attributes the record is made from, found in one pass over the entry (the
    // first of a name counts).
    std::span<const std::string_view> structural, classes, subordinates, modified;
    bool seen[4] = {};
    const auto take = [&](int slot, std::span<const std::string_view>& to,
                          const LdapEntryView::Attribute& a) {
        if (!seen[slot])
            to = e.valuesOf(a);
        seen[slot] = true;
    };
    for (const auto& a : e.attributes) {
        const std::string_view n = a.name;
        if (n.size() == 11 && ldapnames::sameFolded(n, "objectClass"))
            take(0, classes, a);
        else if (n.size() == 21 && ldapnames::sameFolded(n, "structuralObjectClass"))
            take(1, structural, a);
        else if (n.size() == 15 && ldapnames::sameFolded(n, "hasSubordinates"))
            take(2, subordinates, a);
        else if (n.size() == 15 && ldapnames::sameFolded(n, "modifyTimestamp"))
            take(3, modified, a);
    }
    const Memo::Class* known = nullptr;
    for (const auto& c : memo.classes) {
        if (structural.empty() ? !c.structural.empty() : c.structural != structural.front())
            continue;
        if (std::equal(c.classes.begin(), c.classes.end(), classes.begin(), classes.end())) {
            known = &c;
            break;
        }
    }
    ldapobjects::BaseClass base;
    if (known != nullptr) {
        base = {known->cls, known->alias};
    } else {
        base = ldapobjects::baseClassOf(*tree.schema, structural, classes);
        if (memo.classes.size() < 64) {
            memo.classes.push_back({std::string(structural.empty() ? "" : structural.front()),
                                    std::vector<std::string>(classes.begin(), classes.end()),
                                    base.cls, base.alias});
        }
    }
    Object_Info_T info = ldapobjects::infoWith(base, subordinates);
    if (!modified.empty()) {
        // Entries made together share their time.
        if (memo.time != modified.front()) {
            memo.time = modified.front();
            memo.seconds = ldapobjects::secondsOf(modified.front());
        }
        info.modificationTime = memo.seconds;
    }
    return info;
}

bool LdapListing::listedDnOf(const ContextState& ctx, NWDSContextHandle context,
                             const LdapTree& tree, const char* name, std::string& dn) const {
    const LdapTree::ListedByName& listed = tree.listedByName;
    if (name == nullptr || listed.objects.empty() || listed.context != context ||
        listed.flags != ctx.flags || listed.nameContext != ctx.nameContext)
        return false;
    const std::string_view given = name;
    const std::string& container = listed.containerName;
    std::string_view own;
    if (given.size() > container.size() + 1 && given.size() <= MAX_DN_CHARS &&
        given.ends_with(container) && given[given.size() - container.size() - 1] == '.') {
        own = given.substr(0, given.size() - container.size() - 1);
    } else if (listed.relative && plainComponent(given)) {
        // Tried from [Root] first, the name would be a top object's of that name.
        if (!(ctx.flags & DCV_CANONICALIZE_NAMES)) {
            for (const auto& values : tree.baseValues) {
                if (values.size() == 1 && names::equalFolded(values.front(), given))
                    return false;
            }
        }
        own = given;
    } else {
        return false;
    }
    auto it = listed.objects.find(own);
    if (it == listed.objects.end())
        return false;
    // Listed names are plain: the same escaped for a DN.
    dn.reserve(it->second.type.size() + own.size() + listed.containerDn.size() + 2);
    dn.assign(it->second.type).append(1, '=').append(own).append(1, ',').append(listed.containerDn);
    return true;
}
