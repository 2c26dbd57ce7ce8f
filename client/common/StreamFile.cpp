// The one place that makes operating-system file handles for streams.
#include "StreamFile.h"

#include "directory/ResultCodes.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n <= 0)
            return false;
        content.remove_prefix(std::size_t(n));
    }
    return true;
}

int anonymousFile() {
#ifdef MFD_CLOEXEC
    const int memory = ::memfd_create("ostrel-stream", MFD_CLOEXEC);
    if (memory >= 0)
        return memory;
#endif
    // An unlinked temporary file where memory files are not available.
    char path[] = "/tmp/ostrel-stream-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd >= 0)
        ::unlink(path);
    return fd;
}

} // namespace

NWDSCCODE openStreamFile(std::string_view content, NWFILE_HANDLE* handle) {
    const int fd = anonymousFile();
    if (fd < 0)
        return ERR_SYSTEM_ERROR;
    if (!writeAll(fd, content) || ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return ERR_SYSTEM_ERROR;
    }
    *handle = fd;
    return 0;
}
