#pragma once

// What the LDIF transfer tests share: an export into text, an import of text, the deletes
// that take an export's objects away again, and a comparison of two directory images.
#include "DirectoryImage.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "ldif/LdifExport.h"
#include "ldif/LdifImport.h"
#include "ldif/LdifReader.h"
#include "ldif/LdifWriter.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

inline std::string exportText(DirectoryClient& client, NWDSContextHandle ctx,
                              const std::string& base, std::int32_t scope,
                              std::size_t* objects = nullptr) {
    std::ostringstream out;
    const auto result = ldifexport::write(client, ctx, {base, scope, {}}, out);
    EXPECT_TRUE(result.ok()) << base << ": " << result.failure.call << " " << result.failure.code
                             << " " << result.fileProblem;
    if (objects != nullptr)
        *objects = result.objects;
    return out.str();
}

inline ldifimport::Report
importText(DirectoryClient& client, NWDSContextHandle ctx, const std::string& text,
           ldifimport::OnRefusal onRefusal = ldifimport::OnRefusal::Continue) {
    ldifimport::Plan plan;
    std::string error;
    if (!ldifimport::prepareText(client, ctx, text, "test.ldif", plan, error)) {
        ADD_FAILURE() << error;
        return {};
    }
    return ldifimport::apply(client, ctx, plan, onRefusal);
}

// Delete records for every object an LDIF text holds, the deepest first.
inline std::string deletesFor(const std::string& text) {
    std::vector<ldif::Record> records;
    std::string error;
    EXPECT_TRUE(ldif::read(text, {"export.ldif", {}}, records, &error)) << error;
    std::string out;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        ldif::Record del;
        del.dn = it->dn;
        del.change = ldif::ChangeType::Delete;
        ldif::appendRecord(out, del);
    }
    return out;
}

inline void expectSameImages(const DirectoryImage& want, const DirectoryImage& got) {
    for (const auto& [name, object] : want) {
        auto it = got.find(name);
        if (it == got.end()) {
            ADD_FAILURE() << "missing: " << name;
            continue;
        }
        EXPECT_EQ(it->second, object) << name;
    }
    for (const auto& [name, object] : got) {
        if (!want.count(name))
            ADD_FAILURE() << "not in the source: " << name;
    }
}

// The embedded directory's login script of `object` made one that fits a request buffer (an
// import cannot carry a longer one).
inline void shortenLoginScript(EmbeddedDirectory& directory, const std::string& object) {
    DirectoryModel& model = directory.model();
    const AttributeDefinition* script = model.schema().findAttribute("Login Script");
    Entry* entry = model.objects().get(*model.find(object));
    ASSERT_TRUE(script && entry && entry->find(script));
    entry->find(script)->values = {"MAP F:=ACME-FS1_SYS:\\PUBLIC\r\nEXIT\r\n"};
}

// A container and objects whose names hold what DNs and dotted names escape, and values that
// are no safe text.
inline const std::string kSpecialNames = R"(version: 1

dn: ou=Special.Names,o=Acme
objectClass: organizationalUnit
ou: Special.Names
description:: IGxlYWRpbmcgYW5kIHRyYWlsaW5nIGJsYW5rcyA=

dn: cn=Smith\, John,ou=Special.Names,o=Acme
objectClass: inetOrgPerson
sn: Smith
description:: dHdvCmxpbmVz

dn: cn=A\+B,ou=Special.Names,o=Acme
objectClass: inetOrgPerson
sn: Plus
photo:: AAEC/w==

dn: cn=x\=y,ou=Special.Names,o=Acme
objectClass: inetOrgPerson
sn: Equals

dn: cn=\"Quoted\",ou=Special.Names,o=Acme
objectClass: inetOrgPerson
sn: Quotes

dn: cn=Back\\slash,ou=Special.Names,o=Acme
objectClass: inetOrgPerson
sn: Backslash

dn:: Y249Wm/DqyDDh2VsaWssb3U9U3BlY2lhbC5OYW1lcyxvPUFjbWU=
objectClass: inetOrgPerson
sn:: w4dlbGlr
)";
