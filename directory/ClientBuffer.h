#pragma once

#include "directory/DirectoryClient.h"

// One client buffer, released when the owner goes out of scope.
class ClientBuffer {
public:
    explicit ClientBuffer(DirectoryClient& client) : client_(client) {}
    ~ClientBuffer() {
        if (buffer_)
            client_.NWDSFreeBuf(buffer_);
    }
    ClientBuffer(const ClientBuffer&) = delete;
    ClientBuffer& operator=(const ClientBuffer&) = delete;

    // Allocates the 0x1000-byte buffer and gives the client's result. Whatever the client
    // handed out is released later, even with a failing result.
    NWDSCCODE allocate() {
        Buf_T* buffer = nullptr;
        const NWDSCCODE rc = client_.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buffer);
        buffer_ = buffer;
        return rc;
    }
    Buf_T* get() const { return buffer_; }

private:
    DirectoryClient& client_;
    Buf_T* buffer_ = nullptr;
};
