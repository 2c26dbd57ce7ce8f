#pragma once

#include "client/embedded/EmbeddedDirectory.h"
#include "directory/Records.h"
#include "directory/ResultCodes.h"
#include "tests/support/PageContext.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A value record in a heap allocation of exactly the size asked, as a page makes it, so
// that the sanitizer sees any write past it.
struct RecordStorage {
    explicit RecordStorage(std::size_t size)
        : bytes(size), memory(new std::byte[size == 0 ? 1 : size]()) {}
    void* data() { return memory.get(); }
    template <class T> const T& as() const { return *reinterpret_cast<const T*>(memory.get()); }
    const char* text() const { return reinterpret_cast<const char*>(memory.get()); }
    std::size_t bytes;
    std::unique_ptr<std::byte[]> memory;
};

// One attribute of a read, with its values as native records.
struct ReadAttribute {
    std::string name;
    std::uint32_t syntax = 0;
    std::vector<RecordStorage> values;
};

// The demo directory with one context set up as every page sets it up (typeless names,
// no canonicalization), and the walks the pages make.
class DemoDirectory : public ::testing::Test {
protected:
    void SetUp() override { open("Admin.Acme"); }
    void TearDown() override {
        if (dir && context != NO_CONTEXT)
            dir->NWDSFreeContext(context);
        if (dir) {
            EXPECT_EQ(dir->outstandingResources(), ClientResourceCounts{});
        }
    }

    void open(const std::string& identity) {
        if (dir && context != NO_CONTEXT)
            dir->NWDSFreeContext(context);
        dir = EmbeddedDirectory::openDemo(identity);
        ASSERT_NE(dir, nullptr);
        context = pageContext();
    }

    NWDSContextHandle pageContext() {
        NWDSContextHandle c = NO_CONTEXT;
        EXPECT_EQ(dir->NWDSCreateContextHandle(&c), 0);
        usePageFlags(*dir, c);
        return c;
    }

    // A buffer freed with the fixture's check of the counts.
    struct Buffer {
        EmbeddedDirectory* d = nullptr;
        Buf_T* b = nullptr;
        Buffer(EmbeddedDirectory& dir, std::size_t size = DEFAULT_MESSAGE_LEN) : d(&dir) {
            EXPECT_EQ(dir.NWDSAllocBuf(size, &b), 0);
        }
        ~Buffer() {
            if (b != nullptr)
                d->NWDSFreeBuf(b);
        }
        Buffer(const Buffer&) = delete;
        Buffer& operator=(const Buffer&) = delete;
        operator Buf_T*() const { return b; }
    };

    // Every listed name of a container, over as many passes as it takes.
    std::vector<std::string> listAll(const std::string& container, int* passes = nullptr,
                                     std::vector<Object_Info_T>* infos = nullptr) {
        Buffer buf(*dir);
        std::vector<std::string> names;
        std::int32_t it = NO_MORE_ITERATIONS;
        int n = 0;
        do {
            const NWDSCCODE rc = dir->NWDSList(context, container.c_str(), &it, buf);
            EXPECT_EQ(rc, 0) << container;
            if (rc != 0)
                break;
            ++n;
            std::uint32_t count = 0;
            EXPECT_EQ(dir->NWDSGetObjectCount(context, buf, &count), 0);
            for (std::uint32_t i = 0; i < count; ++i) {
                char name[MAX_DN_BYTES];
                std::uint32_t attrs = 99;
                Object_Info_T info{};
                EXPECT_EQ(dir->NWDSGetObjectName(context, buf, name, sizeof name, &attrs, &info),
                          0);
                EXPECT_EQ(attrs, 0u);
                names.push_back(name);
                if (infos != nullptr)
                    infos->push_back(info);
            }
        } while (it != NO_MORE_ITERATIONS);
        if (passes != nullptr)
            *passes = n;
        return names;
    }

    // The attributes of an object with their values (info type 1), or names only (0);
    // `only` restricts the read to those attribute names.
    NWDSCCODE read(const std::string& object, std::vector<ReadAttribute>& out,
                   std::uint32_t infoType = DS_ATTRIBUTE_VALUES,
                   const std::vector<std::string>& only = {}, int* passes = nullptr,
                   std::size_t bufferSize = DEFAULT_MESSAGE_LEN) {
        Buffer request(*dir);
        Buffer result(*dir, bufferSize);
        if (!only.empty()) {
            EXPECT_EQ(dir->NWDSInitBuf(context, DSV_READ, request), 0);
            for (const auto& name : only)
                EXPECT_EQ(dir->NWDSPutAttrName(context, request, name.c_str()), 0);
        }
        std::int32_t it = NO_MORE_ITERATIONS;
        int n = 0;
        do {
            const NWDSCCODE rc = dir->NWDSRead(context, object.c_str(), infoType, only.empty(),
                                               request, &it, result);
            if (rc != 0)
                return rc;
            ++n;
            std::uint32_t count = 0;
            EXPECT_EQ(dir->NWDSGetAttrCount(context, result, &count), 0);
            for (std::uint32_t i = 0; i < count; ++i) {
                ReadAttribute a;
                char name[MAX_SCHEMA_NAME_BYTES];
                std::uint32_t values = 0;
                EXPECT_EQ(
                    dir->NWDSGetAttrName(context, result, name, sizeof name, &values, &a.syntax),
                    0);
                a.name = name;
                for (std::uint32_t v = 0; v < values; ++v) {
                    std::uint32_t size = 0;
                    EXPECT_EQ(dir->NWDSComputeAttrValSize(context, result, a.syntax, &size), 0);
                    RecordStorage record(size);
                    EXPECT_EQ(dir->NWDSGetAttrVal(context, result, a.syntax, record.data(), size),
                              0);
                    a.values.push_back(std::move(record));
                }
                if (!out.empty() && out.back().name == a.name) {
                    // The same attribute continued in the next buffer.
                    for (auto& v : a.values)
                        out.back().values.push_back(std::move(v));
                } else {
                    out.push_back(std::move(a));
                }
            }
        } while (it != NO_MORE_ITERATIONS);
        if (passes != nullptr)
            *passes = n;
        return 0;
    }

    const ReadAttribute* find(const std::vector<ReadAttribute>& attrs, const std::string& name) {
        for (const auto& a : attrs) {
            if (a.name == name)
                return &a;
        }
        return nullptr;
    }

    std::unique_ptr<EmbeddedDirectory> dir;
    NWDSContextHandle context = NO_CONTEXT;
};
