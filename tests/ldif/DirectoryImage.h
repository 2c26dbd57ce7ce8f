#pragma once

// Every object of a subtree as the seam reads it, to compare two directories (or one before
// and after) entry by entry: each object's class and each attribute's syntax and values in
// their wire form, a stream's content read through its file handle.
#include "client/common/Buffer.h"
#include "client/common/Wire.h"
#include "directory/DirectoryClient.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

struct AttributeImage {
    std::uint32_t syntax = 0;
    std::vector<std::string> values; // sorted
    bool operator==(const AttributeImage&) const = default;
};

struct ObjectImage {
    std::string baseClass;
    std::map<std::string, AttributeImage> attributes;
    bool operator==(const ObjectImage&) const = default;
};

// By full name.
using DirectoryImage = std::map<std::string, ObjectImage>;

inline void PrintTo(const ObjectImage& o, std::ostream* os) {
    *os << o.baseClass << " {";
    for (const auto& [name, a] : o.attributes) {
        *os << " " << name << "(" << a.syntax << ")=[";
        for (const auto& v : a.values) {
            *os << " '";
            for (unsigned char c : v)
                *os << (c >= 0x20 && c < 0x7F ? char(c) : '.');
            *os << "'";
        }
        *os << " ]";
    }
    *os << " }";
}

inline std::string streamContent(DirectoryClient& client, NWDSContextHandle ctx,
                                 const std::string& object, const std::string& attr) {
    NWFILE_HANDLE fd = -1;
    if (client.NWDSOpenStream(ctx, object.c_str(), attr.c_str(), DS_READ_STREAM, &fd) != 0)
        return "(no stream)";
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, std::size_t(n));
    ::close(fd);
    return text;
}

// The subtree below `base` (itself included) in one search; the code of a failure.
inline NWDSCCODE imageOf(DirectoryClient& client, NWDSContextHandle ctx, const std::string& base,
                         DirectoryImage& out) {
    out.clear();
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t it = NO_MORE_ITERATIONS;
    NWDSCCODE rc = 0;
    do {
        std::int32_t searched = 0;
        rc = client.NWDSSearch(ctx, base.c_str(), DS_SEARCH_SUBTREE, false, nullptr,
                               DS_ATTRIBUTE_VALUES, true, nullptr, &it, 0, &searched, buf);
        if (rc != 0)
            break;
        wire::Reader r(buf->data.data(), buf->length);
        const std::uint32_t objects = r.u32();
        for (std::uint32_t o = 0; o < objects && r.ok(); ++o) {
            ObjectImage& object = out[std::string(r.str())];
            r.u32(); // flags
            r.u32(); // subordinates
            r.u32(); // modification time
            object.baseClass = std::string(r.str());
            const std::uint32_t attributes = r.u32();
            for (std::uint32_t a = 0; a < attributes && r.ok(); ++a) {
                AttributeImage& attribute = object.attributes[std::string(r.str())];
                attribute.syntax = r.u32();
                const std::uint32_t values = r.u32();
                for (std::uint32_t v = 0; v < values && r.ok(); ++v)
                    attribute.values.emplace_back(r.str());
            }
        }
    } while (it != NO_MORE_ITERATIONS);
    client.NWDSFreeBuf(buf);
    for (auto& [name, object] : out) {
        for (auto& [attr, a] : object.attributes) {
            if (a.syntax == SYN_STREAM)
                a.values = {streamContent(client, ctx, name, attr)};
            std::sort(a.values.begin(), a.values.end());
        }
    }
    return rc;
}
