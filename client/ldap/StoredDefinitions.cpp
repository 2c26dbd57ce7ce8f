#include "StoredDefinitions.h"

#include "directory/Codes.h"

#include <algorithm>

namespace storeddefinitions {

using schemastatements::Definition;

Storage storageOf(std::uint32_t id) {
    constexpr const char* kString = "1.3.6.1.4.1.1466.115.121.1.15";
    switch (id) {
    case SYN_DIST_NAME:
        return {"1.3.6.1.4.1.1466.115.121.1.12", "distinguishedNameMatch", nullptr};
    case SYN_CE_STRING:
        return {kString, "caseExactMatch", "caseExactOrderingMatch"};
    case SYN_NU_STRING:
        return {"1.3.6.1.4.1.1466.115.121.1.36", "numericStringMatch",
                "numericStringOrderingMatch"};
    case SYN_BOOLEAN:
        return {"1.3.6.1.4.1.1466.115.121.1.7", "booleanMatch", nullptr};
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
        return {"1.3.6.1.4.1.1466.115.121.1.27", "integerMatch", "integerOrderingMatch"};
    case SYN_TEL_NUMBER:
        return {"1.3.6.1.4.1.1466.115.121.1.50", "telephoneNumberMatch", nullptr};
    case SYN_UNKNOWN:
    case SYN_OCTET_STRING:
    case SYN_STREAM:
        return {"1.3.6.1.4.1.1466.115.121.1.40", "octetStringMatch", "octetStringOrderingMatch"};
    default:
        if (id < SYNTAX_COUNT)
            return {kString, "caseIgnoreMatch", "caseIgnoreOrderingMatch"};
        return {"1.3.6.1.4.1.1466.115.121.1.40", "octetStringMatch", "octetStringOrderingMatch"};
    }
}

void storeAttribute(Definition& d) {
    const std::uint32_t id = std::uint32_t(std::stoul("0" + d.first("X-NDS-SYNTAX")));
    const Storage s = storageOf(id);
    bool hasSyntax = false;
    for (auto& f : d.fields) {
        if (f.key == "SYNTAX") {
            f.values = {f.text = s.syntax};
            hasSyntax = true;
        }
    }
    if (!hasSyntax && !d.has("SUP")) // a subtype takes its super type's syntax
        d.fields.push_back({"SYNTAX", {s.syntax}, s.syntax});
    if (!d.has("EQUALITY") && s.equality != nullptr)
        d.fields.insert(d.fields.begin() + 1, {"EQUALITY", {s.equality}, s.equality});
    if (!d.has("ORDERING") && s.ordering != nullptr)
        d.fields.insert(d.fields.begin() + 1, {"ORDERING", {s.ordering}, s.ordering});
}

void storeClass(Definition& d,
                const std::function<const Definition*(std::string_view)>& auxiliary) {
    if (d.has("AUXILIARY"))
        return;
    std::vector<std::string> kept;
    std::vector<const Definition*> folded;
    for (const auto& sup : d.values("SUP")) {
        const Definition* aux = auxiliary(sup);
        if (aux != nullptr)
            folded.push_back(aux);
        else
            kept.push_back(sup);
    }
    if (folded.empty())
        return;
    d.setQuoted(kSuperiorsExtension, d.values("SUP"));
    setList(d, "SUP", kept);
    std::vector<std::string> may = d.values("MAY");
    for (const Definition* f : folded) {
        for (const char* key : {"MUST", "MAY"}) {
            for (const auto& a : f->values(key))
                may.push_back(a);
        }
    }
    setList(d, "MAY", may);
}

void setList(Definition& d, const std::string& key, const std::vector<std::string>& values) {
    auto at = std::find_if(d.fields.begin(), d.fields.end(),
                           [&](const schemastatements::Field& f) { return f.key == key; });
    std::string text = "(";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? " $ " : " ") + values[i];
    text += " )";
    schemastatements::Field field{key, values, text};
    if (at == d.fields.end()) {
        if (!values.empty())
            d.fields.push_back(std::move(field));
    } else if (values.empty()) {
        d.fields.erase(at);
    } else {
        *at = std::move(field);
    }
}

} // namespace storeddefinitions
