#pragma once

#include "TransferContext.h"
#include "directory/DirectoryClient.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

// Writing objects of a directory as LDIF content records, read through the seam: each
// object's DN, its class as "objectClass", then every attribute it shows by its LDAP name,
// each value in the text form the demo data and the LDAP seed read (ValueText's forms). Octet
// strings and values of syntaxes the directory does not know are written in base64, and so is
// every value that is no safe text; a stream is written with its content. A container comes
// before what it holds, so that the file loads into either directory as it is.
namespace ldifexport {

// What an export writes: the base alone, its subtree, or what a search below it finds.
struct Selection {
    std::string base; // as the page names it, on its context
    std::int32_t scope = DS_SEARCH_ENTRY;
    // Puts the search filter's tokens, FTOK_END last, into a fresh cursor; unset: every
    // object in scope.
    std::function<NWDSCCODE(DirectoryClient&, Filter_Cursor_T*)> filter;
};

struct Result {
    std::size_t objects = 0;
    bool cancelled = false;
    CallFailure failure;     // a seam call that failed
    std::string fileProblem; // the file could not be written ("cannot be written: ...")
    bool ok() const { return !cancelled && !failure && fileProblem.empty(); }
};

// Told the objects written so far, now and then; false cancels the export.
using Progress = std::function<bool(std::size_t objects)>;

// Writes the selection, read on the tree and name context of `pageContext`, to `out`.
Result write(DirectoryClient& client, NWDSContextHandle pageContext, const Selection& selection,
             std::ostream& out, const Progress& progress = {});

// The same into the file at `path`, written beside it first and put in its place once whole:
// a failed or cancelled export leaves what was there before.
Result writeFile(DirectoryClient& client, NWDSContextHandle pageContext, const Selection& selection,
                 const std::string& path, const Progress& progress = {});

} // namespace ldifexport
