#include "Ldif.h"

#include "TextFile.h"
#include "ldif/LdifReader.h"

namespace ldif {

bool parse(std::string_view text, const Source& source, std::vector<Record>& out,
           std::string* error) {
    ReadOptions options;
    options.fileName = source.fileName;
    options.readUrl = [&](std::string_view name, std::string_view url, std::string& value,
                          std::string& why) {
        std::string path;
        if (url.starts_with("file://"))
            path = std::string(url.substr(7));
        else if (url.starts_with("file:"))
            path = source.folder + "/" + std::string(url.substr(5));
        else {
            why = "only file: URLs are read";
            return false;
        }
        std::string reason;
        if (readDataFile(source.dataRoot, path, value, reason))
            return true;
        why = "the file " + path + " of " + std::string(name) + " " + reason;
        return false;
    };
    std::vector<Record> records;
    if (!read(text, options, records, error))
        return false;
    for (const Record& r : records) {
        if (r.change != ChangeType::Content && r.change != ChangeType::Add) {
            if (error != nullptr)
                *error = source.fileName + ":" + std::to_string(r.changeLine) +
                         ": only changetype: add is read";
            return false;
        }
    }
    for (auto& r : records)
        out.push_back(std::move(r));
    return true;
}

} // namespace ldif
