#include "LdifImport.h"

#include "ImportChanges.h"
#include "LdifReader.h"
#include "directory/FormatText.h"
#include "directory/NameRules.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ldifimport {
namespace {

namespace fs = std::filesystem;

// Files a ":<" value names, and the file itself, are read up to this size.
constexpr std::uintmax_t kMaxValueFileBytes = 16u << 20;

bool readFile(const std::string& path, std::uintmax_t limit, std::string& text, std::string& why) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        why = "does not exist";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        why = "is not a regular file";
        return false;
    }
    if (limit != 0 && fs::file_size(path, ec) > limit) {
        why = "is larger than the limit of " + std::to_string(limit >> 20) + " MiB";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (!in) {
        why = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    text = std::move(content).str();
    return true;
}

std::string codeText(NWDSCCODE code) {
    return formatText("%04X", unsigned(code) & 0xFFFFu);
}

std::string failedCallText(const CallFailure& f) {
    return f.call + " returned: " + codeText(f.code);
}

std::string count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

bool prepare(DirectoryClient& client, NWDSContextHandle pageContext, const std::string& path,
             Plan& plan, std::string& error) {
    std::string text, why;
    if (!readFile(path, 0, text, why)) {
        error = path + ": " + why;
        return false;
    }
    return prepareText(client, pageContext, text, path, plan, error);
}

bool prepareText(DirectoryClient& client, NWDSContextHandle pageContext, std::string_view text,
                 const std::string& fileName, Plan& plan, std::string& error) {
    plan = Plan{};
    ldif::ReadOptions options;
    options.fileName = fileName;
    const std::string folder = fs::path(fileName).parent_path().string();
    options.readUrl = [&](std::string_view name, std::string_view url, std::string& value,
                          std::string& why) {
        std::string path;
        if (url.starts_with("file://"))
            path = std::string(url.substr(7));
        else if (url.starts_with("file:"))
            path = (fs::path(folder) / std::string(url.substr(5))).string();
        else {
            why = "only file: URLs are read";
            return false;
        }
        std::string reason;
        if (readFile(path, kMaxValueFileBytes, value, reason))
            return true;
        why = "the file " + path + " of " + std::string(name) + " " + reason;
        return false;
    };
    std::vector<ldif::Record> records;
    if (!ldif::read(text, options, records, &error))
        return false;

    TransferContext context(client);
    if (auto f = context.open(pageContext, false)) {
        error = fileName + ": " + failedCallText(f);
        return false;
    }
    auto nameOf = [&](const std::string& dn, int line, const char* what, std::string& name) {
        if (client.nameFromText(context.handle(), NamedItem::Object, dn, name) == 0)
            return true;
        error = fileName + ":" + std::to_string(line) + ": " + what + dn +
                " is no name this directory can hold";
        return false;
    };
    Plan out;
    out.fileName = fileName;
    out.records.reserve(records.size());
    for (ldif::Record& r : records) {
        PreparedRecord p;
        if (!nameOf(r.dn, r.line, "dn: ", p.name))
            return false;
        switch (r.change) {
        case ldif::ChangeType::Content:
        case ldif::ChangeType::Add:
            ++out.adds;
            break;
        case ldif::ChangeType::Delete:
            ++out.deletes;
            break;
        case ldif::ChangeType::Modify:
            ++out.modifies;
            break;
        case ldif::ChangeType::ModRdn: {
            ++out.renames;
            if (!nameOf(r.newRdn, r.changeLine, "newrdn: ", p.newName))
                return false;
            if (splitEscapedName(p.newName).size() != 1 || isRootName(p.newName)) {
                error = fileName + ":" + std::to_string(r.changeLine) + ": newrdn: " + r.newRdn +
                        " is not one RDN";
                return false;
            }
            if (r.newSuperior &&
                !nameOf(*r.newSuperior, r.changeLine, "newsuperior: ", p.newParent))
                return false;
            break;
        }
        }
        p.record = std::move(r);
        out.records.push_back(std::move(p));
    }
    plan = std::move(out);
    return true;
}

Report apply(DirectoryClient& client, NWDSContextHandle pageContext, const Plan& plan,
             OnRefusal onRefusal, const Progress& progress) {
    Report report;
    const std::size_t total = plan.records.size();
    TransferContext context(client);
    if (auto f = context.open(pageContext, false)) {
        report.refused.push_back({0, f, {}});
        report.notTried = total;
        return report;
    }
    RecordChanges changes(client, context.handle());
    for (std::size_t i = 0; i < total; ++i) {
        if (progress && !progress(i, total)) {
            report.cancelled = true;
            report.notTried = total - i;
            return report;
        }
        const PreparedRecord& p = plan.records[i];
        std::string reason;
        if (CallFailure f = changes.apply(p, reason)) {
            report.refused.push_back({p.record.line, f, std::move(reason)});
            if (onRefusal == OnRefusal::Stop) {
                report.notTried = total - i - 1;
                return report;
            }
            continue;
        }
        ++report.applied;
    }
    if (progress)
        progress(total, total);
    return report;
}

std::string previewText(const Plan& plan) {
    return count(plan.records.size(), "record", "records") + ": " +
           count(plan.adds, "add", "adds") + ", " + count(plan.deletes, "delete", "deletes") +
           ", " + count(plan.modifies, "modify", "modifies") + ", " +
           count(plan.renames, "rename or move", "renames or moves");
}

std::string reportText(const Report& report) {
    std::string out = count(report.applied, "record", "records") + " applied, " +
                      std::to_string(report.refused.size()) + " refused";
    if (report.notTried > 0)
        out += ", " + std::to_string(report.notTried) + " not tried";
    out += report.cancelled ? " (cancelled).\n" : ".\n";
    for (const Refusal& r : report.refused) {
        out += (r.line > 0 ? "line " + std::to_string(r.line) + ": " : std::string()) +
               failedCallText(r.failure) + "\n";
        if (!r.reason.empty()) {
            // The directory's words, each line indented under the record's.
            std::string_view rest = r.reason;
            while (!rest.empty() && rest.front() == '\n')
                rest.remove_prefix(1);
            std::size_t at = 0;
            while (at < rest.size()) {
                std::size_t end = rest.find('\n', at);
                if (end == std::string_view::npos)
                    end = rest.size();
                out += "    ";
                out.append(rest.substr(at, end - at));
                out += '\n';
                at = end + 1;
            }
        }
    }
    return out;
}

} // namespace ldifimport
