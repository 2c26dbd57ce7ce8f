#pragma once

#include "BufferedClient.h"
#include "IterationTable.h"
#include "directory/ResultCodes.h"

#include <concepts>
#include <cstdint>
#include <string>
#include <vector>

// What every client keeps of an unfinished multi-pass read; a client's own state derives
// from it and adds where in its directory the read goes on.
struct PassState {
    enum Kind : std::uint8_t { List, Read, Search, ClassDefs, AttrDefs, Syntaxes } kind = List;
    NWDSContextHandle context = NO_CONTEXT;
    std::uint32_t infoType = 0;
    std::size_t position = 0;       // the item reached: object, attribute or definition
    std::size_t valuePosition = 0;  // the value reached within its attribute
    std::vector<std::string> names; // the definitions a schema listing goes through
};

// What a read asks for: the object as named, and its attributes (`wanted`, the names of
// the request buffer, when not all).
struct ReadRequest {
    NWDSContextHandle context;
    const char* objectName;
    std::uint32_t infoType;
    bool allAttrs;
    std::vector<std::string> wanted;
};
// What a search asks for; `wanted` are the attributes it returns when not all.
struct SearchRequest {
    const char* baseObjectName;
    std::int32_t scope;
    bool searchAliases;
    Buf_T* filter;
    std::uint32_t infoType;
    bool allAttrs;
    std::vector<std::string> wanted;
};

// The multi-pass reads of the seam driven once for every client: listing a container
// (NWDSList), reading an object (NWDSRead), searching (NWDSSearch) and the three schema
// listings. The checks, the request's names, the iteration handle and the read kept between
// passes are this layer's; a client supplies only a step that starts a read and one that
// fills one pass of it, over its own `Pending` (a PassState).
template <class Pending>
requires std::derived_from<Pending, PassState>
class MultiPassClient : public BufferedClient {
public:
    NWDSCCODE NWDSList(NWDSContextHandle context, const char* objectName,
                       std::int32_t* iterationHandle, Buf_T* subordinates) final {
        auto start = [&](const ContextState& ctx, Pending& fresh) {
            return startList(ctx, context, objectName, fresh);
        };
        auto fill = [&](const ContextState& ctx, Pending& pending, Buf_T& out, bool& done) {
            return fillList(ctx, pending, out, done);
        };
        return runPass(pending_, context, Pending::List, true, iterationHandle, subordinates, start,
                       fill, failedListEnds());
    }

    NWDSCCODE NWDSRead(NWDSContextHandle context, const char* objectName, std::uint32_t infoType,
                       bool allAttrs, Buf_T* attrNames, std::int32_t* iterationHandle,
                       Buf_T* objectInfo) final {
        auto start = [&](const ContextState& ctx, Pending& fresh) -> NWDSCCODE {
            ReadRequest request{context, objectName, infoType, allAttrs, {}};
            if (!allAttrs) {
                Buf_T* names = nullptr;
                if (auto rc = findBuffer(attrNames, names); rc != 0)
                    return rc;
                if (auto rc = requestNames(*names, {DSV_READ}, request.wanted); rc != 0)
                    return rc;
            }
            return startRead(ctx, request, fresh);
        };
        auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
            return fillRead(pending, out, done);
        };
        const bool infoTypeValid =
            infoType == DS_ATTRIBUTE_NAMES || infoType == DS_ATTRIBUTE_VALUES;
        return runPass(pending_, context, Pending::Read, infoTypeValid, iterationHandle, objectInfo,
                       start, fill);
    }

    NWDSCCODE NWDSSearch(NWDSContextHandle context, const char* baseObjectName, std::int32_t scope,
                         bool searchAliases, Buf_T* filter, std::uint32_t infoType, bool allAttrs,
                         Buf_T* attrNames, std::int32_t* iterationHandle,
                         std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                         Buf_T* objectInfo) final {
        auto start = [&](const ContextState& ctx, Pending& fresh) -> NWDSCCODE {
            SearchRequest request{baseObjectName, scope, searchAliases, filter, infoType,
                                  allAttrs,       {}};
            if (auto rc = searchRequest(scope, infoType, allAttrs, attrNames, request.wanted);
                rc != 0)
                return rc;
            return startSearch(ctx, request, fresh);
        };
        auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
            std::int32_t searched = 0;
            if (auto rc = fillSearch(pending, out, countObjectsToSearch, searched, done); rc != 0)
                return rc;
            if (countObjectsSearched != nullptr)
                *countObjectsSearched = searched;
            return NWDSCCODE(0);
        };
        return runPass(pending_, context, Pending::Search, true, iterationHandle, objectInfo, start,
                       fill);
    }

protected:
    // ---- The steps a client supplies ----
    // A new listing of the container a call names (`context` is the caller's handle).
    virtual NWDSCCODE startList(const ContextState& ctx, NWDSContextHandle context,
                                const char* objectName, Pending& fresh) = 0;
    virtual NWDSCCODE fillList(const ContextState& ctx, Pending& state, Buf_T& out, bool& done) = 0;
    // Whether a failed pass ends a listing, rather than leaving it to be tried again.
    virtual bool failedListEnds() const { return false; }
    // A new read: what it goes through, in `fresh`; 0 or the code why it cannot begin.
    virtual NWDSCCODE startRead(const ContextState& ctx, const ReadRequest& request,
                                Pending& fresh) = 0;
    // One pass: as much as fits into `out`, `done` after the last.
    virtual NWDSCCODE fillRead(Pending& state, Buf_T& out, bool& done) = 0;
    virtual NWDSCCODE startSearch(const ContextState& ctx, const SearchRequest& request,
                                  Pending& fresh) = 0;
    // One pass of a search, examining at most `countObjectsToSearch` objects (0: no limit);
    // `searched` says how many it did.
    virtual NWDSCCODE fillSearch(Pending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                                 std::int32_t& searched, bool& done) = 0;
    // A new schema listing: the tree it reads, kept in `fresh`; and the schema a listing
    // reads now (the tree's, which a schema change replaces between passes).
    virtual NWDSCCODE startSchemaRead(const ContextState& ctx, Pending& fresh) = 0;
    virtual const Schema& schemaRead(const Pending& state) const = 0;

    NWDSCCODE readSchema(SchemaItems items, NWDSContextHandle context, std::uint32_t infoType,
                         bool all, Buf_T* requestNames, std::int32_t* iterationHandle,
                         Buf_T* result) final {
        auto start = [&](const ContextState& ctx, Pending& fresh) -> NWDSCCODE {
            fresh.infoType = infoType;
            if (auto rc = startSchemaRead(ctx, fresh); rc != 0)
                return rc;
            return schemaNamesToRead(items, schemaRead(fresh), all, requestNames, fresh.names);
        };
        auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
            return fillSchemaReply(items, schemaRead(pending), pending.names, pending.position,
                                   pending.infoType == DS_INFO_DEFS, out, done);
        };
        const bool infoTypeValid = infoType == DS_INFO_NAMES || infoType == DS_INFO_DEFS;
        const auto kind = items == SchemaItems::Classes      ? Pending::ClassDefs
                          : items == SchemaItems::Attributes ? Pending::AttrDefs
                                                             : Pending::Syntaxes;
        return runPass(pending_, context, kind, infoTypeValid, iterationHandle, result, start,
                       fill);
    }

    // A released context's unfinished reads go with it.
    void contextReleased(NWDSContextHandle context) override {
        pending_.forgetIf([context](const Pending& p) { return p.context == context; });
    }
    bool closeIteration(NWDSContextHandle context, std::int32_t handle) override {
        return pending_.close(handle, context);
    }

    IterationTable<Pending> pending_;
};
