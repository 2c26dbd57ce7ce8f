#include "NewObjectClass.h"

#include "Schema.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace request {

NWDSCCODE classOfNewObject(const Schema& schema, const std::vector<Attribute>& attributes,
                           const ClassDefinition*& cls) {
    const AttributeDefinition* objectClass = schema.findAttribute(kObjectClass);
    std::vector<const ClassDefinition*> named;
    for (const auto& a : attributes) {
        if (objectClass == nullptr || schema.findAttribute(a.name) != objectClass)
            continue;
        for (const auto& v : a.values) {
            if (v.syntax != objectClass->syntax)
                return ERR_SYNTAX_VIOLATION;
            const ClassDefinition* c = schema.findClass(v.bytes);
            if (c == nullptr)
                return ERR_NO_SUCH_CLASS;
            named.push_back(c);
        }
    }
    if (named.empty())
        return ERR_MISSING_MANDATORY;
    cls = nullptr;
    for (const ClassDefinition* candidate : named) {
        const auto lineage = schema.lineage(*candidate);
        const bool coversAll = std::all_of(named.begin(), named.end(), [&](auto* c) {
            return std::find(lineage.begin(), lineage.end(), c) != lineage.end();
        });
        if (coversAll) {
            cls = candidate;
            break;
        }
    }
    if (cls == nullptr)
        return ERR_OBJECT_CLASS_VIOLATION;
    if ((cls->flags & DS_EFFECTIVE_CLASS) == 0)
        return ERR_NOT_EFFECTIVE_CLASS;
    return 0;
}

} // namespace request
