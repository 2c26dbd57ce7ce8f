#pragma once

#include "DirectoryModel.h"
#include "client/common/LdapSchemaNames.h"
#include "client/common/Ldif.h"
#include "client/common/ValueText.h"

#include <string>
#include <vector>

// Names as LDIF and LDAP write them: DNs ("cn=Admin,o=Acme") for objects, LDAP names for
// classes and attributes. Turning a dotted name back into a DN takes each component's tag
// from the tree when the object is there, "cn" otherwise.
class LdapNames : public LdapSchemaNames {
public:
    explicit LdapNames(const DirectoryModel& model)
        : LdapSchemaNames(model.schema(), false), model_(model) {}
    std::optional<std::string> nameFromText(std::string_view text) const override;
    std::string nameToText(std::string_view name) const override;

private:
    const DirectoryModel& model_;
};

// Adds LDIF records to a tree, parents before their subordinates. The record with an empty
// DN holds the attributes of "[Root]" itself. Refuses what the directory could not serve
// later: a name with a NUL byte, not UTF-8, or too long; a value that does not parse for its
// syntax or lies outside its attribute's bounds. false with "<fileName>:<line>: <reason>",
// the line of the value itself where a value is refused.
bool loadRecords(DirectoryModel& model, const std::vector<ldif::Record>& records,
                 const std::string& fileName, std::string* error);

// The same a record at a time, as a file's records are read.
class RecordLoader {
public:
    RecordLoader(DirectoryModel& model, std::string fileName);
    bool load(const ldif::Record& record, std::string* error);

private:
    DirectoryModel& model_;
    const LdapNames names_;
    std::string fileName_;
};
