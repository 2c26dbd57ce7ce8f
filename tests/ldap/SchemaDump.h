#pragma once

#include "directory/DirectoryClient.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// The schema as the five schema reads give it through the seam, one text per definition, to
// compare two directories or one directory before and after a change.
struct SchemaDump {
    std::map<std::string, std::string> items; // name -> flags, syntax, bounds, lists
};

// withAsn1: the length of each class's ASN.1 identifier is part of its text (definitions made at
// run time have one on an LDAP server, which numbers them, and none on the embedded directory).
inline SchemaDump classDump(DirectoryClient& c, NWDSContextHandle ctx, bool withAsn1 = true) {
    SchemaDump d;
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t it = NO_MORE_ITERATIONS;
    do {
        if (c.NWDSReadClassDef(ctx, DS_INFO_DEFS, true, nullptr, &it, buf) != 0)
            break;
        std::uint32_t n = 0;
        c.NWDSGetClassDefCount(ctx, buf, &n);
        for (std::uint32_t i = 0; i < n; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Class_Info_T info{};
            c.NWDSGetClassDef(ctx, buf, name, sizeof name, &info);
            std::string text = std::to_string(info.classFlags);
            if (withAsn1)
                text += "|" + std::to_string(info.asn1ID.length);
            for (int list = 0; list < 5; ++list) {
                std::uint32_t items = 0;
                c.NWDSGetClassItemCount(ctx, buf, &items);
                std::vector<std::string> names;
                for (std::uint32_t k = 0; k < items; ++k) {
                    char item[MAX_SCHEMA_NAME_BYTES] = {};
                    c.NWDSGetClassItem(ctx, buf, item, sizeof item);
                    names.push_back(item);
                }
                std::sort(names.begin(), names.end());
                text += "|";
                for (const auto& s : names)
                    text += s + ",";
            }
            d.items[name] = text;
        }
    } while (it != NO_MORE_ITERATIONS);
    c.NWDSFreeBuf(buf);
    return d;
}

inline SchemaDump attrDump(DirectoryClient& c, NWDSContextHandle ctx) {
    SchemaDump d;
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t it = NO_MORE_ITERATIONS;
    do {
        if (c.NWDSReadAttrDef(ctx, DS_INFO_DEFS, true, nullptr, &it, buf) != 0)
            break;
        std::uint32_t n = 0;
        c.NWDSGetAttrCount(ctx, buf, &n);
        for (std::uint32_t i = 0; i < n; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Attr_Info_T info{};
            c.NWDSGetAttrDef(ctx, buf, name, sizeof name, &info);
            d.items[name] = std::to_string(info.attrFlags) + "|" +
                            std::to_string(info.attrSyntaxID) + "|" +
                            std::to_string(info.attrLower) + "|" + std::to_string(info.attrUpper);
        }
    } while (it != NO_MORE_ITERATIONS);
    c.NWDSFreeBuf(buf);
    return d;
}

inline SchemaDump syntaxDump(DirectoryClient& c, NWDSContextHandle ctx) {
    SchemaDump d;
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t it = NO_MORE_ITERATIONS;
    do {
        if (c.NWDSReadSyntaxes(ctx, DS_INFO_DEFS, true, nullptr, &it, buf) != 0)
            break;
        std::uint32_t n = 0;
        c.NWDSGetSyntaxCount(ctx, buf, &n);
        for (std::uint32_t i = 0; i < n; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Syntax_Info_T info{};
            c.NWDSGetSyntaxDef(ctx, buf, name, sizeof name, &info);
            d.items[name] = std::to_string(info.ID) + "|" + std::to_string(info.flags);
        }
    } while (it != NO_MORE_ITERATIONS);
    c.NWDSFreeBuf(buf);
    return d;
}
