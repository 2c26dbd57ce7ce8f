#pragma once

#include "LdifRecord.h"
#include "TransferContext.h"
#include "directory/DirectoryClient.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Applying an LDIF file to a directory through the seam. The whole file is read first, and
// every DN in it turned into the directory's name; a fault anywhere refuses the file before
// anything is written. Then each record is one change, made with one call where the seam
// allows it: a content or add record one NWDSAddObject, a delete one NWDSRemoveObject, a
// modify one NWDSModifyObject carrying all of its changes, a modrdn one NWDSModifyRDN or
// NWDSMoveObject. A record the directory refuses leaves its object as it was.
namespace ldifimport {

// One record with the directory's names for what it names.
struct PreparedRecord {
    ldif::Record record;
    std::string name;      // the object's full name
    std::string newName;   // modrdn: its new own name
    std::string newParent; // modrdn with newsuperior: the new container's full name
};

struct Plan {
    std::string fileName;
    std::vector<PreparedRecord> records;
    // What the preview shows: content records count as adds.
    std::size_t adds = 0, deletes = 0, modifies = 0, renames = 0;
};

// Reads the file at `path` and names its records on the tree of `pageContext`. false with
// "<path>:<line>: <what is wrong>" (or the failed call) in `error`, the plan left empty.
bool prepare(DirectoryClient& client, NWDSContextHandle pageContext, const std::string& path,
             Plan& plan, std::string& error);
// The same for LDIF text already read; `fileName` names it in messages.
bool prepareText(DirectoryClient& client, NWDSContextHandle pageContext, std::string_view text,
                 const std::string& fileName, Plan& plan, std::string& error);

enum class OnRefusal { Continue, Stop };

struct Refusal {
    int line = 0; // of the record's "dn:" line
    CallFailure failure;
    std::string reason; // the directory's own words, on lines of their own ("" when none)
};

struct Report {
    std::size_t applied = 0;
    std::vector<Refusal> refused;
    std::size_t notTried = 0; // after a stop at a refusal, or a cancel
    bool cancelled = false;
    bool allApplied() const { return refused.empty() && notTried == 0 && !cancelled; }
};

// Told the records done so far and their number, before each record; false cancels the
// import there.
using Progress = std::function<bool(std::size_t done, std::size_t total)>;

Report apply(DirectoryClient& client, NWDSContextHandle pageContext, const Plan& plan,
             OnRefusal onRefusal, const Progress& progress = {});

// "3 records: 2 adds, 0 deletes, 1 modify, 0 renames".
std::string previewText(const Plan& plan);
// The summary line, then each refused record as "line 12: NWDSAddObject returned: FDA7" with
// the directory's words after it.
std::string reportText(const Report& report);

} // namespace ldifimport
