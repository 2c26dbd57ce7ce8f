#include "Ldif.h"

#include "TextFile.h"
#include "ldif/LdifReader.h"

namespace ldif {

namespace {

// A data folder's LDIF: file references stay inside the folder; only content and add records.
ReadOptions dataFileOptions(const Source& source) {
    ReadOptions options;
    options.fileName = source.fileName;
    options.readUrl = [source](std::string_view name, std::string_view url, std::string& value,
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
    return options;
}

bool isContent(const Record& r, const Source& source, std::string* error) {
    if (r.change == ChangeType::Content || r.change == ChangeType::Add)
        return true;
    if (error != nullptr)
        *error =
            source.fileName + ":" + std::to_string(r.changeLine) + ": only changetype: add is read";
    return false;
}

} // namespace

bool parse(std::string_view text, const Source& source, std::vector<Record>& out,
           std::string* error) {
    std::vector<Record> records;
    if (!read(text, dataFileOptions(source), records, error))
        return false;
    for (const Record& r : records) {
        if (!isContent(r, source, error))
            return false;
    }
    for (auto& r : records)
        out.push_back(std::move(r));
    return true;
}

DataFileReader::DataFileReader(const Source& source, std::function<bool(Record&)> each,
                               std::string* error)
    : reader_(std::make_unique<RecordReader>(
          dataFileOptions(source),
          [source, each = std::move(each), error](Record& r) {
              return isContent(r, source, error) && each(r);
          },
          error)) {}

DataFileReader::~DataFileReader() = default;

bool DataFileReader::feed(std::string_view piece) {
    return reader_->feed(piece);
}

bool DataFileReader::finish() {
    return reader_->finish();
}

} // namespace ldif
