#pragma once

#include "LdifImport.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace ldifimport {

// Makes the change of one record on a context, with one writing call where the seam allows
// it. A modify's "replace:" reads what the attribute holds first (reads write nothing); a
// modrdn that keeps the old name and moves the object takes a rename and a move, the rename
// taken back when the move is refused.
class RecordChanges {
public:
    RecordChanges(DirectoryClient& client, NWDSContextHandle context)
        : client_(client), ctx_(context) {}

    // The call that refused the record, or none; `reason` the directory's words on it.
    CallFailure apply(const PreparedRecord& prepared, std::string& reason);

private:
    CallFailure add(const PreparedRecord& prepared);
    CallFailure modify(const PreparedRecord& prepared);
    CallFailure rename(const PreparedRecord& prepared);
    // The directory's name of an attribute the file names (as written when it knows none),
    // and its syntax.
    CallFailure attribute(const std::string& text, const std::string*& name, std::uint32_t& syntax);
    // The values (text forms) the object holds of an attribute.
    CallFailure held(const std::string& object, const std::string& attribute, std::uint32_t syntax,
                     std::vector<std::string>& values);
    CallFailure putValues(Buf_T* buffer, std::uint32_t syntax,
                          const std::vector<std::string>& values);

    struct Known {
        std::string name;
        std::uint32_t syntax = 0;
    };
    DirectoryClient& client_;
    NWDSContextHandle ctx_;
    std::unordered_map<std::string, Known> attributes_; // by the file's name
    std::string reason_;                                // taken before a refused change is undone
};

} // namespace ldifimport
