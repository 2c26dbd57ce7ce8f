#include "ImportChanges.h"

#include "directory/ClientBuffer.h"
#include "directory/NameRules.h"
#include "directory/ServerReason.h"

#include <algorithm>
#include <optional>

namespace ldifimport {
namespace {

// The file's values of one attribute, in the order first named.
struct Group {
    std::string attribute;
    std::vector<std::string> values;
};

std::vector<Group> grouped(const std::vector<ldif::Attribute>& attributes) {
    std::vector<Group> out;
    for (const auto& a : attributes) {
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const Group& g) { return g.attribute == a.name; });
        if (it == out.end()) {
            out.push_back({a.name, {}});
            it = out.end() - 1;
        }
        it->values.push_back(a.value);
    }
    return out;
}

std::vector<std::string> valuesOf(const ldif::Modification& m) {
    std::vector<std::string> out;
    out.reserve(m.values.size());
    for (const auto& v : m.values)
        out.push_back(v.value);
    return out;
}

} // namespace

CallFailure RecordChanges::apply(const PreparedRecord& prepared, std::string& reason) {
    reason_.clear();
    CallFailure failure;
    switch (prepared.record.change) {
    case ldif::ChangeType::Content:
    case ldif::ChangeType::Add:
        failure = add(prepared);
        break;
    case ldif::ChangeType::Delete:
        if (auto rc = client_.NWDSRemoveObject(ctx_, prepared.name.c_str()); rc != 0)
            failure = {"NWDSRemoveObject", rc};
        break;
    case ldif::ChangeType::Modify:
        failure = modify(prepared);
        break;
    case ldif::ChangeType::ModRdn:
        failure = rename(prepared);
        break;
    }
    reason = !failure           ? std::string()
             : !reason_.empty() ? reason_
                                : serverSaid(client_, failure.code);
    return failure;
}

CallFailure RecordChanges::attribute(const std::string& text, const std::string*& name,
                                     std::uint32_t& syntax) {
    auto it = attributes_.find(text);
    if (it == attributes_.end()) {
        Known known;
        if (client_.nameFromText(ctx_, NamedItem::Attribute, text, known.name) != 0)
            known.name = text; // the directory names the fault when it is sent
        if (auto rc = client_.NWDSGetSyntaxID(ctx_, known.name.c_str(), &known.syntax); rc != 0)
            return {"NWDSGetSyntaxID", rc};
        it = attributes_.emplace(text, std::move(known)).first;
    }
    name = &it->second.name;
    syntax = it->second.syntax;
    return {};
}

CallFailure RecordChanges::putValues(Buf_T* buffer, std::uint32_t syntax,
                                     const std::vector<std::string>& values) {
    for (const auto& v : values) {
        if (auto rc = client_.putAttrValText(ctx_, buffer, syntax, v); rc != 0)
            return {"putAttrValText", rc};
    }
    return {};
}

CallFailure RecordChanges::add(const PreparedRecord& prepared) {
    ClientBuffer request(client_);
    if (auto rc = request.allocate(); rc != 0)
        return {"NWDSAllocBuf", rc};
    if (auto rc = client_.NWDSInitBuf(ctx_, DSV_ADD_ENTRY, request.get()); rc != 0)
        return {"NWDSInitBuf", rc};
    for (const Group& g : grouped(prepared.record.attributes)) {
        const std::string* name = nullptr;
        std::uint32_t syntax = 0;
        if (auto f = attribute(g.attribute, name, syntax))
            return f;
        if (auto rc = client_.NWDSPutAttrName(ctx_, request.get(), name->c_str()); rc != 0)
            return {"NWDSPutAttrName", rc};
        if (auto f = putValues(request.get(), syntax, g.values))
            return f;
    }
    std::int32_t iteration = NO_MORE_ITERATIONS;
    if (auto rc =
            client_.NWDSAddObject(ctx_, prepared.name.c_str(), &iteration, false, request.get());
        rc != 0)
        return {"NWDSAddObject", rc};
    return {};
}

CallFailure RecordChanges::held(const std::string& object, const std::string& attribute,
                                std::uint32_t syntax, std::vector<std::string>& values) {
    values.clear();
    ClientBuffer names(client_), reply(client_);
    if (auto rc = names.allocate(); rc != 0)
        return {"NWDSAllocBuf", rc};
    if (auto rc = reply.allocate(); rc != 0)
        return {"NWDSAllocBuf", rc};
    if (auto rc = client_.NWDSInitBuf(ctx_, DSV_READ, names.get()); rc != 0)
        return {"NWDSInitBuf", rc};
    if (auto rc = client_.NWDSPutAttrName(ctx_, names.get(), attribute.c_str()); rc != 0)
        return {"NWDSPutAttrName", rc};
    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        const NWDSCCODE rc = client_.NWDSRead(ctx_, object.c_str(), DS_ATTRIBUTE_VALUES, false,
                                              names.get(), &iteration, reply.get());
        if (rc == ERR_NO_SUCH_ATTRIBUTE)
            return {};
        if (rc != 0)
            return {"NWDSRead", rc};
        std::uint32_t count = 0;
        if (auto r = client_.NWDSGetAttrCount(ctx_, reply.get(), &count); r != 0)
            return {"NWDSGetAttrCount", r};
        for (std::uint32_t a = 0; a < count; ++a) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            std::uint32_t valueCount = 0, valueSyntax = 0;
            if (auto r = client_.NWDSGetAttrName(ctx_, reply.get(), name, sizeof name, &valueCount,
                                                 &valueSyntax);
                r != 0)
                return {"NWDSGetAttrName", r};
            for (std::uint32_t v = 0; v < valueCount && syntax != SYN_STREAM; ++v) {
                std::string text;
                if (auto r = client_.getAttrValText(ctx_, reply.get(), valueSyntax, text); r != 0)
                    return {"getAttrValText", r};
                values.push_back(std::move(text));
            }
            if (syntax == SYN_STREAM && valueCount > 0)
                values.emplace_back(); // held, its content not read
        }
    } while (iteration != NO_MORE_ITERATIONS);
    return {};
}

CallFailure RecordChanges::modify(const PreparedRecord& prepared) {
    ClientBuffer request(client_);
    if (auto rc = request.allocate(); rc != 0)
        return {"NWDSAllocBuf", rc};
    if (auto rc = client_.NWDSInitBuf(ctx_, DSV_MODIFY_ENTRY, request.get()); rc != 0)
        return {"NWDSInitBuf", rc};
    // What each attribute holds as the changes before in this record leave it, where a
    // "replace:" needed to know.
    std::unordered_map<std::string, std::vector<std::string>> view;
    bool any = false;
    auto change = [&](std::uint32_t type, const std::string& name, std::uint32_t syntax,
                      const std::vector<std::string>& values) -> CallFailure {
        any = true;
        if (auto rc = client_.NWDSPutChange(ctx_, request.get(), type, name.c_str()); rc != 0)
            return {"NWDSPutChange", rc};
        return putValues(request.get(), syntax, values);
    };
    for (const ldif::Modification& m : prepared.record.modifications) {
        const std::string* name = nullptr;
        std::uint32_t syntax = 0;
        if (auto f = attribute(m.attribute, name, syntax))
            return f;
        const std::vector<std::string> values = valuesOf(m);
        auto seen = view.find(*name);
        switch (m.op) {
        case ldif::Modification::Op::Add:
            if (auto f = change(DS_ADD_VALUE, *name, syntax, values))
                return f;
            if (seen != view.end())
                seen->second.insert(seen->second.end(), values.begin(), values.end());
            break;
        case ldif::Modification::Op::Delete:
            if (auto f = change(values.empty() ? DS_REMOVE_ATTRIBUTE : DS_REMOVE_VALUE, *name,
                                syntax, values))
                return f;
            if (seen != view.end()) {
                if (values.empty())
                    seen->second.clear();
                for (const auto& v : values)
                    std::erase(seen->second, v);
            }
            break;
        case ldif::Modification::Op::Replace: {
            if (seen == view.end()) {
                std::vector<std::string> now;
                if (auto f = held(prepared.name, *name, syntax, now))
                    return f;
                seen = view.emplace(*name, std::move(now)).first;
            }
            std::vector<std::string>& holds = seen->second;
            if (!holds.empty() && values.empty()) {
                if (auto f = change(DS_REMOVE_ATTRIBUTE, *name, syntax, {}))
                    return f;
            } else if (!holds.empty()) {
                // Values kept stay (a naming value among them), the others go, the new come.
                std::vector<std::string> gone;
                for (const auto& h : holds) {
                    if (std::find(values.begin(), values.end(), h) == values.end())
                        gone.push_back(h);
                }
                if (!gone.empty()) {
                    if (auto f = change(DS_REMOVE_VALUE, *name, syntax, gone))
                        return f;
                }
                if (auto f = change(DS_ADDITIONAL_VALUE, *name, syntax, values))
                    return f;
            } else if (!values.empty()) {
                if (auto f = change(DS_ADD_VALUE, *name, syntax, values))
                    return f;
            }
            holds = values;
            break;
        }
        }
    }
    if (!any)
        return {};
    std::int32_t iteration = NO_MORE_ITERATIONS;
    if (auto rc =
            client_.NWDSModifyObject(ctx_, prepared.name.c_str(), &iteration, false, request.get());
        rc != 0)
        return {"NWDSModifyObject", rc};
    return {};
}

CallFailure RecordChanges::rename(const PreparedRecord& prepared) {
    const std::string& name = prepared.name;
    const ldif::Record& r = prepared.record;
    if (prepared.newParent.empty()) {
        if (auto rc =
                client_.NWDSModifyRDN(ctx_, name.c_str(), prepared.newName.c_str(), r.deleteOldRdn);
            rc != 0)
            return {"NWDSModifyRDN", rc};
        return {};
    }
    const auto parts = splitEscapedName(name);
    const std::string ownName = parts.empty() ? name : std::string(parts.front());
    if (r.deleteOldRdn || ownName == prepared.newName) {
        if (auto rc = client_.NWDSMoveObject(ctx_, name.c_str(), prepared.newParent.c_str(),
                                             prepared.newName.c_str());
            rc != 0)
            return {"NWDSMoveObject", rc};
        return {};
    }
    // Keeping the old naming value: renamed in place, then moved (a move drops only the
    // naming value it names the object by).
    if (auto rc = client_.NWDSModifyRDN(ctx_, name.c_str(), prepared.newName.c_str(), false);
        rc != 0)
        return {"NWDSModifyRDN", rc};
    const std::string renamed = fullNameOfListed(prepared.newName, parentContextOf(name));
    if (auto rc = client_.NWDSMoveObject(ctx_, renamed.c_str(), prepared.newParent.c_str(),
                                         prepared.newName.c_str());
        rc != 0) {
        reason_ = serverSaid(client_, rc);
        client_.NWDSModifyRDN(ctx_, renamed.c_str(), ownName.c_str(), true);
        return {"NWDSMoveObject", rc};
    }
    return {};
}

} // namespace ldifimport
