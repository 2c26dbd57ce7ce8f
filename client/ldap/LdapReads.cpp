// Reading objects over LDAP: attributes and values, object information, streams.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/ValueWire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>
#include <span>

using ldapreads::derefOf;
using ldapreads::withInfo;

namespace {

std::span<const std::string> valuesIn(const LdapEntry& e, std::string_view name) {
    const std::vector<std::string>* v = e.find(name);
    return v != nullptr ? std::span<const std::string>(*v) : std::span<const std::string>();
}

struct BaseClass {
    const ClassDefinition* cls = nullptr;
    bool alias = false;
};

// The class follows from the structural class and the listed classes alone: the structural
// one, or else the most specific of the listed ones.
template <class Text>
BaseClass baseClassOf(const Schema& schema, std::span<const Text> structural,
                      std::span<const Text> classes) {
    BaseClass out;
    if (!structural.empty())
        out.cls = schema.findClassByLdapName(structural.front());
    if (out.cls == nullptr) {
        for (const auto& name : classes) {
            const ClassDefinition* c = schema.findClassByLdapName(name);
            if (c != nullptr && (out.cls == nullptr || schema.isA(*c, out.cls->name)))
                out.cls = c;
        }
    }
    out.alias = out.cls != nullptr && schema.isA(*out.cls, "Alias");
    return out;
}

// "YYYYMMDDHHMMSSZ", with fractions of a second on some servers; 0 when it is no time.
std::uint32_t secondsOf(std::string_view stamp) {
    char t[15];
    const std::size_t n = std::min<std::size_t>(stamp.size(), 14);
    std::memcpy(t, stamp.data(), n);
    t[n] = 'Z';
    return valuetext::parseGeneralizedTime(std::string_view(t, n + 1)).value_or(0);
}

template <class Text> Object_Info_T infoWith(BaseClass base, std::span<const Text> subordinates) {
    Object_Info_T info{};
    if (base.cls != nullptr) {
        if (base.cls->flags & DS_CONTAINER_CLASS)
            info.objectFlags |= DS_CONTAINER_ENTRY;
        if (base.alias)
            info.objectFlags |= 0x01; // an alias entry
        std::memcpy(info.baseClass, base.cls->name.data(),
                    std::min(base.cls->name.size(), MAX_SCHEMA_NAME_CHARS));
    }
    if (!subordinates.empty())
        info.subordinateCount = names::equalFolded(subordinates.front(), "TRUE") ? 1 : 0;
    // Whatever holds objects can be entered, whatever its class says.
    if (info.subordinateCount > 0)
        info.objectFlags |= DS_CONTAINER_ENTRY;
    return info;
}

// An attribute shown once in a list of shown attributes: known, not hidden, not there yet.
bool addShown(std::vector<const AttributeDefinition*>& shown, const AttributeDefinition* def) {
    if (def == nullptr || (def->flags & DS_HIDDEN_ATTR) ||
        std::find(shown.begin(), shown.end(), def) != shown.end())
        return false;
    shown.push_back(def);
    return true;
}

} // namespace

Object_Info_T LdapDirectory::infoOf(Tree& tree, const LdapEntry& e) const {
    const auto base =
        baseClassOf(*tree.schema, valuesIn(e, "structuralObjectClass"), valuesIn(e, "objectClass"));
    Object_Info_T info = infoWith(base, valuesIn(e, "hasSubordinates"));
    if (auto v = valuesIn(e, "modifyTimestamp"); !v.empty())
        info.modificationTime = secondsOf(v.front());
    return info;
}

Object_Info_T LdapDirectory::infoOf(Tree& tree, const LdapEntryView& e, ListingMemo& memo) const {
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
    const ListingMemo::Class* known = nullptr;
    for (const auto& c : memo.classes) {
        if (structural.empty() ? !c.structural.empty() : c.structural != structural.front())
            continue;
        if (std::equal(c.classes.begin(), c.classes.end(), classes.begin(), classes.end())) {
            known = &c;
            break;
        }
    }
    BaseClass base;
    if (known != nullptr) {
        base = {known->cls, known->alias};
    } else {
        base = baseClassOf(*tree.schema, structural, classes);
        if (memo.classes.size() < 64) {
            memo.classes.push_back({std::string(structural.empty() ? "" : structural.front()),
                                    std::vector<std::string>(classes.begin(), classes.end()),
                                    base.cls, base.alias});
        }
    }
    Object_Info_T info = infoWith(base, subordinates);
    if (!modified.empty()) {
        // Entries made together share their time.
        if (memo.time != modified.front()) {
            memo.time = modified.front();
            memo.seconds = secondsOf(modified.front());
        }
        info.modificationTime = memo.seconds;
    }
    return info;
}

std::shared_ptr<const LdapDirectory::AttributeList>
LdapDirectory::shownAttributes(Tree& tree, const LdapEntryView& e, ListingMemo& memo) const {
    // The entries of a container mostly show the same attributes: one list serves them all.
    for (const auto& s : memo.shown) {
        if (std::equal(s.ldapNames.begin(), s.ldapNames.end(), e.attributes.begin(),
                       e.attributes.end(),
                       [](const std::string& n, const LdapEntryView::Attribute& a) {
                           return n == a.name;
                       }))
            return s.attributes;
    }
    auto shown = std::make_shared<AttributeList>();
    std::vector<std::string> ldapNames;
    ldapNames.reserve(e.attributes.size());
    for (const auto& a : e.attributes) {
        ldapNames.emplace_back(a.name);
        const AttributeDefinition* def = nullptr;
        bool looked = false;
        for (const auto& [ldapName, known] : memo.attributes) {
            if (ldapName == a.name) {
                def = known;
                looked = true;
                break;
            }
        }
        if (!looked) {
            def = naming_.ldapAttribute(tree, a.name);
            if (memo.attributes.size() < 64)
                memo.attributes.emplace_back(a.name, def);
        }
        addShown(*shown, def);
    }
    std::shared_ptr<const AttributeList> out = std::move(shown);
    if (memo.shown.size() < 16)
        memo.shown.push_back({std::move(ldapNames), out});
    return out;
}

LdapDirectory::ObjectData LdapDirectory::dataOf(Tree& tree, LdapEntry&& e, bool withValues) const {
    ObjectData d;
    d.info = infoOf(tree, e);
    d.dn = ldapnames::canonicalDn(e.dn);
    for (auto& [name, values] : e.attributes) {
        const AttributeDefinition* def = naming_.ldapAttribute(tree, name);
        if (!addShown(d.attributes, def))
            continue;
        if (withValues && names::equalFolded(def->ldapName, "objectClass")) {
            // The directory lists an object's classes with every super class above them.
            std::vector<std::string> lineage;
            for (const auto& v : values) {
                const ClassDefinition* c = tree.schema->findClassByLdapName(v);
                if (c == nullptr) {
                    lineage.push_back(v);
                    continue;
                }
                for (const ClassDefinition* up : tree.schema->lineage(*c)) {
                    if (std::find_if(lineage.begin(), lineage.end(), [&](const std::string& n) {
                            return names::equalFolded(n, up->ldapName);
                        }) == lineage.end())
                        lineage.push_back(up->ldapName);
                }
            }
            values = std::move(lineage);
        }
        if (withValues)
            d.values.push_back(std::move(values));
    }
    return d;
}

NWDSCCODE LdapDirectory::fillRead(Pending& state, Buf_T& out, bool& done) {
    Tree& tree = *state.tree;
    ObjectData& o = state.object;
    const bool values = state.infoType == DS_ATTRIBUTE_VALUES;
    beginReply(out, ReplyKind::Attributes, values);
    ReplyWriter reply(out);
    LdapValueNames valueNames(*tree.schema, nullptr);
    std::string wireValue;
    const AttributeList& attributes = o.attributeList();
    // An attribute whose values were withheld is passed over; one none of whose values the
    // client can show is dropped again.
    const auto shown = [&](std::size_t i) -> const AttributeDefinition* {
        return values && o.values[i].empty() ? nullptr : attributes[i];
    };
    reply.addAttributes(
        values, attributes.size(), state.position, state.valuePosition, shown,
        [&](std::size_t i, const AttributeDefinition& def, std::size_t& next) {
            if (!ldapobjects::addTextValues(reply, def, o.values[i], next, valueNames, wireValue))
                return false;
            if (reply.valuesInAttribute() == 0)
                reply.dropAttribute();
            return true;
        });
    reply.finish();
    done = state.position >= attributes.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE LdapDirectory::withheldNames(Tree& tree, const std::string& dn,
                                       const std::vector<const AttributeDefinition*>& asked,
                                       const ObjectData& answered, const ContextState& ctx) {
    std::vector<std::string> missing;
    for (const auto* def : asked) {
        if (std::find(answered.attributes.begin(), answered.attributes.end(), def) ==
            answered.attributes.end())
            missing.push_back(def->ldapName);
    }
    LdapEntry e;
    if (tree.session->readEntry(dn, missing, true, ldapreads::derefOf(ctx), e) != 0)
        return 0; // the answer stands as it came
    for (const auto& name : missing) {
        if (e.find(name) != nullptr)
            return ERR_NO_ACCESS;
    }
    return 0;
}

NWDSCCODE LdapDirectory::startRead(const ContextState& ctx, const ReadRequest& request,
                                   Pending& fresh) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    std::string dn;
    // The names read that follows a listing: the listing named the object already.
    const auto* listed = request.allAttrs && request.infoType == DS_ATTRIBUTE_NAMES
                             ? listedNamesOf(ctx, request.context, *tree, request.objectName, dn)
                             : nullptr;
    std::shared_ptr<const AttributeList> cached;
    if (listed != nullptr)
        cached = *listed;
    // A listing brings the names of the attributes the identity may read; where it may not
    // read them all, the server gives the others' names only when asked for names alone.
    const bool wholeNames = request.infoType != DS_ATTRIBUTE_NAMES || readsEverything(*tree);
    if (!wholeNames)
        cached = nullptr;
    if (cached == nullptr) {
        if (listed == nullptr) {
            if (auto rc = naming_.resolve(ctx, *tree, request.objectName, dn); rc != 0)
                return rc;
        }
        if (auto it = tree->listedNames.find(dn); wholeNames && it != tree->listedNames.end())
            cached = it->second;
    }
    fresh.tree = tree;
    fresh.infoType = request.infoType;
    const bool values = request.infoType == DS_ATTRIBUTE_VALUES;
    std::vector<std::string> ldapNames;
    std::vector<const AttributeDefinition*> asked;
    for (const auto& n : request.wanted) {
        const AttributeDefinition* def = naming_.directoryAttribute(*tree, n);
        if (def != nullptr && !(def->flags & DS_HIDDEN_ATTR)) {
            asked.push_back(def);
            ldapNames.push_back(def->ldapName);
        }
    }
    if (!request.allAttrs && asked.empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    if (dn.empty()) {
        fresh.object.dn.clear(); // [Root] itself holds nothing on a server
    } else if (!values && request.allAttrs && cached != nullptr) {
        // Listed (and no alias): what the listing brought is the answer.
        fresh.object.dn = std::move(dn);
        fresh.object.shown = std::move(cached);
    } else {
        LdapEntry e;
        NWDSCCODE rc =
            tree->session->readEntry(dn, request.allAttrs ? ldapreads::allAttributes() : ldapNames,
                                     !values, derefOf(ctx), e);
        if (rc != 0) {
            outcome_.fail(*tree);
            return rc;
        }
        fresh.object = dataOf(*tree, std::move(e), values);
        if (!request.allAttrs) {
            // In the order asked for, each once.
            ObjectData picked;
            picked.dn = fresh.object.dn;
            for (auto* def : asked) {
                bool twice = false;
                for (auto* p : picked.attributes)
                    twice = twice || p == def;
                for (std::size_t i = 0; i < fresh.object.attributes.size() && !twice; ++i) {
                    if (fresh.object.attributes[i] == def) {
                        // The name came without its values: the server withholds them.
                        if (values && fresh.object.values[i].empty())
                            return ERR_NO_ACCESS;
                        picked.attributes.push_back(def);
                        if (values)
                            picked.values.push_back(fresh.object.values[i]);
                        break;
                    }
                }
            }
            if (values && picked.attributes.size() < asked.size()) {
                // Values withheld leave their attribute out of the answer; asked for by
                // name alone, the server shows whether the object holds it.
                if (auto withheld = withheldNames(*tree, dn, asked, picked, ctx); withheld != 0)
                    return withheld;
            }
            if (picked.attributes.empty())
                return ERR_NO_SUCH_ATTRIBUTE;
            fresh.object = std::move(picked);
        }
    }
    return 0;
}

NWDSCCODE LdapDirectory::readObjectInfo(const ContextState& ctx, const char* objectName,
                                        std::string* fullName, Object_Info_T& info) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(ctx, objectName, tree, dn); rc != 0)
        return rc;
    std::string full = ROOT_NAME;
    if (dn.empty()) {
        info.objectFlags = DS_CONTAINER_ENTRY;
        info.subordinateCount = std::uint32_t(tree->bases.size());
        const ClassDefinition* root = tree->schema->findClassByLdapName("treeRoot");
        const std::string cls = root != nullptr ? root->name : "Top";
        std::memcpy(info.baseClass, cls.data(), std::min(cls.size(), MAX_SCHEMA_NAME_CHARS));
    } else {
        LdapEntry e;
        NWDSCCODE rc =
            tree->session->readEntry(dn, withInfo({"objectClass"}), false, derefOf(ctx), e);
        if (rc != 0) {
            outcome_.fail(*tree);
            return rc;
        }
        info = infoOf(*tree, e);
        full = naming_.nameOfDn(*tree, ldapnames::canonicalDn(e.dn),
                                (ctx.flags & DCV_TYPELESS_NAMES) == 0);
    }
    if (fullName != nullptr)
        *fullName = std::move(full);
    return 0;
}

NWDSCCODE LdapDirectory::readStream(const ContextState& ctx, const char* objectName,
                                    const char* attrName, std::string& content) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(ctx, objectName, tree, dn); rc != 0)
        return rc;
    const AttributeDefinition* def = tree->schema->findAttribute(attrName);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (def->syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    LdapEntry e;
    if (auto rc = tree->session->readEntry(dn, {def->ldapName}, false, derefOf(ctx), e); rc != 0) {
        outcome_.fail(*tree);
        return rc;
    }
    const auto* values = e.find(def->ldapName);
    if (values == nullptr || values->empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    content = values->front();
    return 0;
}

NWDSCCODE LdapDirectory::NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                    std::size_t objectNameSize) {
    return BufferedClient::NWDSWhoAmI(context, objectName, objectNameSize);
}
