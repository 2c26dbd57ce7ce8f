#include "NameRules.h"

#include "Codes.h"

std::string labelOf(std::string_view listedName) {
    return std::string(listedName.substr(0, listedName.find('.')));
}

bool isRootName(std::string_view name) {
    return name == ROOT_NAME;
}

std::string fullNameOf(std::string_view name, std::string_view context) {
    std::string full(name);
    if (!isRootName(context)) {
        full += '.';
        full += context;
    }
    return full;
}

std::string parentContextOf(std::string_view context) {
    const auto dot = context.find('.');
    if (dot == std::string_view::npos)
        return ROOT_NAME;
    return std::string(context.substr(dot + 1));
}
