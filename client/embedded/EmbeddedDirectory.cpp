// Opening the embedded directory from its data folder, and what every operation shares:
// finding the context's tree, resolving names, rights of the logged-in identity.
#include "EmbeddedDirectory.h"

#include "DataSet.h"
#include "TreeLoader.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

#include <cstring>
#include <ctime>
#include <iostream>

#ifndef OSTREL_DATA_DIR
#define OSTREL_DATA_DIR "data"
#endif

namespace {
constexpr std::string_view kAliasedObjectName = "Aliased Object Name";
} // namespace

std::string EmbeddedDirectory::demoDataDir() {
    return OSTREL_DATA_DIR;
}

std::unique_ptr<EmbeddedDirectory> EmbeddedDirectory::open(const Options& options,
                                                           std::string* error) {
    std::unique_ptr<EmbeddedDirectory> dir(new EmbeddedDirectory());
    DataSet data;
    if (!loadDataSet(options.dataDir, std::uint32_t(std::time(nullptr)), data, error))
        return nullptr;
    dir->trees_ = std::move(data.trees);
    for (const auto& s : data.servers)
        dir->addServer(s.name, s.tree);
    for (const auto& [tree, server] : data.advertisements)
        dir->advertiseTree(tree, server);

    // The identity is an object of the first tree; contexts start in its container.
    DirectoryModel& home = *dir->trees_.front();
    names::ParsedName who;
    const auto identity = home.find(options.identity);
    if (names::parse(options.identity, who) != 0 || who.root || !identity) {
        if (error != nullptr)
            *error = "identity " + options.identity + " is not an object of " + home.treeName();
        return nullptr;
    }
    // Only a user logs in: a container or a server is no identity.
    const Entry* entry = home.objects().get(*identity);
    if (entry == nullptr || entry->baseClass == nullptr ||
        !home.schema().isA(*entry->baseClass, "User")) {
        if (error != nullptr)
            *error = "identity " + options.identity + " is " +
                     (entry && entry->baseClass ? "of class " + entry->baseClass->name
                                                : std::string("of no class")) +
                     ", not a User object of " + home.treeName();
        return nullptr;
    }
    dir->setIdentity(names::join(who.components));
    std::vector<std::string> container(who.components.begin() + 1, who.components.end());
    dir->setDefaultNameContext(names::join(container));
    return dir;
}

std::unique_ptr<EmbeddedDirectory> EmbeddedDirectory::openDemo(const std::string& identity) {
    std::string error;
    auto dir = open(Options{demoDataDir(), identity}, &error);
    if (!dir)
        std::cerr << "the demo directory cannot be opened: " << error << '\n';
    return dir;
}

DirectoryModel* EmbeddedDirectory::model(std::string_view treeName) {
    for (auto& t : trees_) {
        if (names::equalFolded(t->treeName(), treeName))
            return t.get();
    }
    return nullptr;
}

bool EmbeddedDirectory::isKnownSyntax(std::uint32_t syntaxID) const {
    if (syntaxID == SYN_UNKNOWN)
        return false;
    for (const auto& t : trees_) {
        if (t->schema().findSyntax(syntaxID) != nullptr)
            return true;
    }
    return false;
}

DirectoryModel* EmbeddedDirectory::treeOf(const ContextState& ctx) {
    return model(ctx.treeName);
}

NWDSCCODE EmbeddedDirectory::withTextNames(const ContextState& ctx, const TextNamesUse& use) {
    DirectoryModel* tree = treeOf(ctx);
    if (tree == nullptr)
        return ERR_NO_SUCH_TREE;
    return use(LdapNames(*tree));
}

NWDSCCODE EmbeddedDirectory::resolve(const ContextState& ctx, const char* name, bool deref,
                                     Target& out) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    out.tree = treeOf(ctx);
    if (out.tree == nullptr)
        return ERR_NO_SUCH_TREE;
    const ObjectStore& store = out.tree->objects();
    std::optional<EntryId> found;
    if (parsed.root) {
        found = kRootEntry;
    } else {
        names::ParsedName base;
        const bool relativeToo =
            !parsed.leadingDot && names::parse(ctx.nameContext, base) == 0 && !base.root;
        std::vector<std::string> relative;
        if (relativeToo) {
            relative = parsed.components;
            relative.insert(relative.end(), base.components.begin(), base.components.end());
        }
        const bool relativeFirst = (ctx.flags & DCV_CANONICALIZE_NAMES) != 0;
        if (relativeToo && relativeFirst)
            found = store.lookup(relative);
        if (!found)
            found = store.lookup(parsed.components);
        if (!found && relativeToo && !relativeFirst)
            found = store.lookup(relative);
    }
    if (!found)
        return ERR_NO_SUCH_ENTRY;
    out.id = *found;
    if (deref && (ctx.flags & DCV_DEREF_ALIASES)) {
        const Entry* e = store.get(out.id);
        if (e != nullptr && out.tree->isAliasClass(e->baseClass)) {
            const AttributeDefinition* aliased =
                out.tree->schema().findAttribute(kAliasedObjectName);
            const AttributeValues* v = aliased == nullptr ? nullptr : e->find(aliased);
            if (v == nullptr || v->values.empty())
                return ERR_NO_SUCH_ENTRY;
            auto target = out.tree->find(v->values.front());
            if (!target)
                return ERR_NO_SUCH_ENTRY;
            out.id = *target;
        }
    }
    return 0;
}

const RightsSubject& EmbeddedDirectory::identitySubject(DirectoryModel& tree) {
    for (const auto& [t, s] : subjects_) {
        if (t == &tree)
            return s;
    }
    subjects_.emplace_back(&tree, tree.subjectFor(identity()));
    return subjects_.back().second;
}

bool EmbeddedDirectory::canBrowse(DirectoryModel& tree, EntryId id) {
    return (tree.rights().entryRights(identitySubject(tree), id) & DS_ENTRY_BROWSE) != 0;
}

bool EmbeddedDirectory::canRead(DirectoryModel& tree, EntryId id, const AttributeDefinition& attr) {
    if (attr.flags & DS_PUBLIC_READ)
        return true;
    return (tree.rights().attributeRights(identitySubject(tree), id, attr.name) & DS_ATTR_READ) !=
           0;
}

Object_Info_T EmbeddedDirectory::objectInfoOf(DirectoryModel& tree, const Entry& e) const {
    Object_Info_T info{};
    const ClassDefinition* cls = e.baseClass;
    if (cls != nullptr && (cls->flags & DS_CONTAINER_CLASS))
        info.objectFlags |= DS_CONTAINER_ENTRY;
    if (tree.isAliasClass(cls))
        info.objectFlags |= 0x01; // an alias entry
    info.subordinateCount = e.liveChildren;
    info.modificationTime = e.modified;
    if (cls != nullptr)
        std::memcpy(info.baseClass, cls->name.data(),
                    std::min(cls->name.size(), MAX_SCHEMA_NAME_CHARS));
    return info;
}
