#include "LdifWriter.h"

#include "Base64.h"
#include "LdifReader.h"

namespace ldif {
namespace {

// Appends one logical line folded at kLineWidth columns.
void appendFolded(std::string& out, std::string_view line) {
    std::size_t width = kLineWidth;
    while (line.size() > width) {
        out.append(line.substr(0, width));
        out.append("\n ");
        line.remove_prefix(width);
        width = kLineWidth - 1;
    }
    out.append(line);
    out.push_back('\n');
}

} // namespace

bool isSafeString(std::string_view value) {
    if (value.empty())
        return true;
    const char first = value.front();
    if (first == ' ' || first == ':' || first == '<' || value.back() == ' ')
        return false;
    for (unsigned char c : value) {
        if (c == '\0' || c == '\n' || c == '\r' || c > 0x7F)
            return false;
    }
    return true;
}

void appendLine(std::string& out, std::string_view name, std::string_view value, bool binary) {
    std::string line;
    line.reserve(name.size() + value.size() + 3);
    line.append(name);
    if (!binary && isSafeString(value)) {
        line.append(value.empty() ? ":" : ": ");
        line.append(value);
    } else {
        line.append(":: ");
        line.append(base64::encode(value));
    }
    appendFolded(out, line);
}

void appendRecord(std::string& out, const Record& record) {
    appendLine(out, "dn", record.dn);
    if (record.change != ChangeType::Content)
        appendLine(out, "changetype", changeTypeName(record.change));
    for (const auto& a : record.attributes)
        appendLine(out, a.name, a.value);
    for (const auto& m : record.modifications) {
        const char* op = m.op == Modification::Op::Add      ? "add"
                         : m.op == Modification::Op::Delete ? "delete"
                                                            : "replace";
        appendLine(out, op, m.attribute);
        for (const auto& v : m.values)
            appendLine(out, v.name.empty() ? m.attribute : v.name, v.value);
        out.append("-\n");
    }
    if (record.change == ChangeType::ModRdn) {
        appendLine(out, "newrdn", record.newRdn);
        appendLine(out, "deleteoldrdn", record.deleteOldRdn ? "1" : "0");
        if (record.newSuperior)
            appendLine(out, "newsuperior", *record.newSuperior);
    }
    out.push_back('\n');
}

} // namespace ldif
