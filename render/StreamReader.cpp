#include "StreamReader.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#define OSTREL_READ ::_read
#define OSTREL_CLOSE ::_close
#else
#include <unistd.h>
#define OSTREL_READ ::read
#define OSTREL_CLOSE ::close
#endif

long readStreamHandle(NWFILE_HANDLE handle, char* buffer, std::size_t capacity) {
    std::size_t total = 0;
    while (total < capacity) {
        const auto got =
            OSTREL_READ(handle, buffer + total, static_cast<unsigned>(capacity - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<long>(total);
}

void closeStreamHandle(NWFILE_HANDLE handle) {
    OSTREL_CLOSE(handle);
}
