#pragma once

#include <string>
#include <string_view>

class DirectoryPage;

namespace ClassIcon {
constexpr int UpArrow = 0;
constexpr int Unknown = 19;
constexpr int Attribute = 25;
constexpr int Tree = 26;
constexpr int QueryValue = 28;
constexpr int TableSize = 25;
} // namespace ClassIcon

// The 25 base class names by image index, and the two lookups every page shares.
class ClassIconTable {
public:
    // Exact, case-sensitive; no match gives 19 ("Unknown").
    static int iconFor(std::string_view baseClassName);
    // The table's name for an index, or "Unknown" outside the table.
    static std::string nameOf(int index);
    // For "Object Type:": index 19 reads the object's real base class from the directory
    // (the name relative to the page's context), 26 gives "NDS Tree", others the table name.
    // When the class cannot be read the failure is reported and "Unknown" is returned.
    static std::string typeNameFor(DirectoryPage& page, int index, const std::string& name);
    // The same for an object already named in full (the browser's current context).
    static std::string typeNameForFullName(DirectoryPage& page, int index,
                                           const std::string& fullName);
};
