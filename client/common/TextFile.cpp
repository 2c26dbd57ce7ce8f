#include "TextFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool isInside(const fs::path& folder, const fs::path& file) {
    auto f = file.begin();
    for (auto d = folder.begin(); d != folder.end(); ++d, ++f) {
        if (d->empty() && std::next(d) == folder.end())
            break; // a trailing separator
        if (f == file.end() || *f != *d)
            return false;
    }
    return true;
}

} // namespace

bool readDataFile(const std::string& dataRoot, const std::string& path, std::string& out,
                  std::string& why) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        why = "does not exist";
        return false;
    }
    if (fs::is_directory(status)) {
        why = "is a folder, not a file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        why = "is not a regular file";
        return false;
    }
    const fs::path root = fs::canonical(dataRoot, ec);
    const fs::path real = ec ? fs::path() : fs::canonical(path, ec);
    if (ec || !isInside(root, real)) {
        why = "is outside the data folder " + dataRoot;
        return false;
    }
    const std::uintmax_t size = fs::file_size(real, ec);
    if (ec || size > kMaxDataFileBytes) {
        why = ec ? "cannot be read" : "is larger than 16 MiB";
        return false;
    }
    std::ifstream in(real, std::ios::binary);
    if (!in) {
        why = "cannot be read";
        return false;
    }
    // Read at most one byte beyond the limit, in case the file grew since it was measured.
    out.assign(std::size_t(size), '\0');
    in.read(out.data(), std::streamsize(size));
    out.resize(std::size_t(in.gcount()));
    if (in.bad() || (in.peek() != std::char_traits<char>::eof())) {
        why = in.bad() ? "cannot be read" : "is larger than when it was measured";
        return false;
    }
    return true;
}
