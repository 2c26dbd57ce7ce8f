#include "FilterDecoding.h"

#include "Wire.h"
#include "directory/ResultCodes.h"

namespace request {

NWDSCCODE searchFilter(const Buf_T& request, std::vector<FilterToken>& out) {
    if (request.use != BufferUse::Request || request.operation != DSV_SEARCH_FILTER)
        return ERR_BAD_VERB;
    wire::Reader r(request.data.data(), request.length);
    const std::uint32_t n = r.u32();
    if (!r.ok())
        return ERR_INVALID_REQUEST;
    if (n == 0)
        return ERR_FILTER_TREE_EMPTY;
    out.clear();
    for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
        FilterToken t;
        t.token = r.u32();
        t.syntax = r.u32();
        t.value = std::string(r.str());
        out.push_back(std::move(t));
    }
    return r.ok() ? 0 : ERR_INVALID_REQUEST;
}

} // namespace request
