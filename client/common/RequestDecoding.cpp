#include "RequestDecoding.h"

#include "Wire.h"
#include "directory/ResultCodes.h"

namespace request {
namespace {

bool preparedFor(const Buf_T& request, std::uint32_t operation) {
    return request.use == BufferUse::Request && request.operation == operation;
}

void readValues(wire::Reader& r, std::vector<Value>& out) {
    const std::uint32_t n = r.u32();
    for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
        Value v;
        v.syntax = r.u32();
        v.bytes = std::string(r.str());
        out.push_back(std::move(v));
    }
}

} // namespace

NWDSCCODE addEntryAttributes(const Buf_T& request, std::vector<Attribute>& out) {
    if (!preparedFor(request, DSV_ADD_ENTRY))
        return ERR_BAD_VERB;
    out.clear();
    wire::Reader r(request.data.data(), request.length);
    const std::uint32_t n = r.u32();
    for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
        Attribute a;
        a.name = std::string(r.str());
        readValues(r, a.values);
        out.push_back(std::move(a));
    }
    return r.ok() ? 0 : ERR_INVALID_REQUEST;
}

NWDSCCODE modifyChanges(const Buf_T& request, std::vector<Change>& out) {
    if (!preparedFor(request, DSV_MODIFY_ENTRY))
        return ERR_BAD_VERB;
    out.clear();
    wire::Reader r(request.data.data(), request.length);
    const std::uint32_t n = r.u32();
    for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
        Change c;
        c.type = r.u32();
        c.name = std::string(r.str());
        readValues(r, c.values);
        out.push_back(std::move(c));
    }
    return r.ok() ? 0 : ERR_INVALID_REQUEST;
}

NWDSCCODE classItemLists(const Buf_T& request, std::array<std::vector<std::string>, 5>& out) {
    if (!preparedFor(request, DSV_DEFINE_CLASS))
        return ERR_BAD_VERB;
    for (auto& list : out)
        list.clear();
    wire::Reader r(request.data.data(), request.length);
    for (std::uint32_t list = 0; list < request.listsBegun && list < out.size() && r.ok(); ++list) {
        const std::uint32_t n = r.u32();
        for (std::uint32_t i = 0; i < n && r.ok(); ++i)
            out[list].emplace_back(r.str());
    }
    return r.ok() ? 0 : ERR_INVALID_REQUEST;
}

} // namespace request
