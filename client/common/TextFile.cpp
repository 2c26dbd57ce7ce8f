// The one reader of the files the clients are set up from: data folders and settings files.
#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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

std::string unreadable(int error) {
    return std::string("cannot be read: ") + std::strerror(error);
}

std::string kindProblem(mode_t mode) {
    if (S_ISDIR(mode))
        return "is a folder, not a file";
    if (!S_ISREG(mode))
        return "is not a regular file";
    return {};
}

// The status of what `path` names, links followed, and why it is no file to read ("" if none).
std::string statusProblem(const std::string& path, struct stat& status) {
    if (::stat(path.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "does not exist" : unreadable(errno);
    return kindProblem(status.st_mode);
}

// "16 MiB", "4 KiB" or "100 bytes".
std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024, kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0)
        return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string tooLarge(std::size_t limit) {
    return "is larger than the limit of " + sizeText(limit);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::string fileKindProblem(const std::string& path) {
    struct stat status {};
    return statusProblem(path, status);
}

namespace {
// Opens `path` for reading once it has been checked to be a regular file, and checks the opened
// file again; -1 with the reason in `why`.
int openChecked(const std::string& path, std::uintmax_t* size, std::string& why) {
    struct stat named {};
    if (auto problem = statusProblem(path, named); !problem.empty()) {
        why = problem;
        return -1;
    }
    // Not blocking: whatever was put in the file's place since it was checked is opened at once
    // and refused below, a pipe without a writer included.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = unreadable(errno);
        return -1;
    }
    struct stat opened {};
    std::string problem;
    if (::fstat(fd, &opened) != 0)
        problem = unreadable(errno);
    else if (problem = kindProblem(opened.st_mode); !problem.empty()) {
    } else if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        problem = "changed while it was opened";
    if (!problem.empty()) {
        ::close(fd);
        why = problem;
        return -1;
    }
    *size = std::uintmax_t(opened.st_size);
    return fd;
}

// The file's real path when it lies inside the data folder; "" with the reason otherwise.
std::string insideDataRoot(const std::string& dataRoot, const std::string& path, std::string& why) {
    // What the file is comes first: a device or a pipe is named as such wherever it lies.
    why = fileKindProblem(path);
    if (!why.empty())
        return {};
    std::error_code ec;
    const fs::path root = fs::canonical(dataRoot, ec);
    const fs::path real = ec ? fs::path() : fs::canonical(path, ec);
    if (ec || !isInside(root, real)) {
        why = "is outside the data folder " + dataRoot;
        return {};
    }
    return real.string();
}
} // namespace

bool readRegularFile(const std::string& path, std::size_t limit, std::string& out,
                     std::string& why) {
    auto fail = [&](std::string what) {
        why = std::move(what);
        return false;
    };
    std::uintmax_t size = 0;
    const Descriptor fd(openChecked(path, &size, why));
    if (fd.get() < 0)
        return false;
    if (size > limit)
        return fail(tooLarge(limit));
    // One byte beyond the limit tells a file that grew since it was measured.
    out.assign(std::min<std::uintmax_t>(size, limit) + 1, '\0');
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd.get(), out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(unreadable(errno));
        if (n == 0)
            break;
        got += std::size_t(n);
        if (got == out.size() && got <= limit)
            out.resize(std::min(out.size() * 2, limit + 1), '\0');
    }
    if (got > limit) {
        out.clear();
        return fail(tooLarge(limit));
    }
    out.resize(got);
    return true;
}

bool readDataFile(const std::string& dataRoot, const std::string& path, std::string& out,
                  std::string& why) {
    const std::string real = insideDataRoot(dataRoot, path, why);
    return !real.empty() && readRegularFile(real, kMaxDataFileBytes, out, why);
}

bool readDataFileInPieces(const std::string& dataRoot, const std::string& path,
                          const std::function<bool(std::string_view)>& each, std::string& why) {
    const std::string real = insideDataRoot(dataRoot, path, why);
    if (real.empty())
        return false;
    std::uintmax_t size = 0;
    const Descriptor fd(openChecked(real, &size, why));
    if (fd.get() < 0)
        return false;
    std::string piece(std::size_t(1) << 20, '\0');
    for (;;) {
        const ssize_t n = ::read(fd.get(), piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = unreadable(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (!each(std::string_view(piece.data(), std::size_t(n)))) {
            why.clear(); // the reader has said why
            return false;
        }
    }
}
