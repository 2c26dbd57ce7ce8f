#include "ClassIconTable.h"

#include "directory/DirectoryPage.h"
#include "directory/NameRules.h"

#include <array>

namespace {
constexpr std::array<std::string_view, ClassIcon::TableSize> BaseClassNames = {
    "Up Arrow",
    "User",
    "Organization",
    "Organizational Unit",
    "Group",
    "NCP Server",
    "Volume",
    "AFP Server",
    "Computer",
    "Organizational Role",
    "Directory Map",
    "Alias",
    "Application (DOS)",
    "Application (Windows NT)",
    "Application (Windows 95)",
    "Application (Windows 3.x)",
    "Queue",
    "Printer",
    "Print Server",
    "Unknown",
    "Bindery Object",
    "Locality",
    "Country",
    "Profile",
    "Bindery Group",
};
} // namespace

int ClassIconTable::iconFor(std::string_view baseClassName) {
    for (std::size_t i = 0; i < BaseClassNames.size(); ++i) {
        if (BaseClassNames[i] == baseClassName)
            return int(i);
    }
    return ClassIcon::Unknown;
}

std::string ClassIconTable::nameOf(int index) {
    if (index < 0 || index >= ClassIcon::TableSize)
        return "Unknown";
    return std::string(BaseClassNames[std::size_t(index)]);
}

std::string ClassIconTable::typeNameFor(DirectoryPage& page, int index, const std::string& name) {
    return typeNameForFullName(page, index, fullNameOf(name, page.currentContext()));
}

std::string ClassIconTable::typeNameForFullName(DirectoryPage& page, int index,
                                                const std::string& fullName) {
    if (index == ClassIcon::Tree)
        return "NDS Tree";
    if (index != ClassIcon::Unknown)
        return nameOf(index);

    Object_Info_T info{};
    const NWDSCCODE rc =
        page.client().NWDSReadObjectInfo(page.context(), fullName.c_str(), nullptr, 0, &info);
    if (rc != 0) {
        page.report("NWDSReadObjectInfo returned: %04X\n", unsigned(rc));
        return "Unknown";
    }
    info.baseClass[sizeof(info.baseClass) - 1] = '\0';
    return info.baseClass;
}
