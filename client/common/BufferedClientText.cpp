// Names in the text forms LDIF and LDAP write, through the names each directory gives.
#include "BufferedClient.h"
#include "ValueText.h"
#include "directory/ResultCodes.h"

NWDSCCODE BufferedClient::nameToText(NWDSContextHandle context, NamedItem item, const char* name,
                                     std::string& text) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (name == nullptr)
        return ERR_NULL_POINTER;
    if (item == NamedItem::Object && std::string_view(name) == ROOT_NAME) {
        text.clear();
        return 0;
    }
    return withTextNames(*ctx, [&](const valuetext::NameMapping& names) {
        switch (item) {
        case NamedItem::Object:
            text = names.nameToText(name);
            break;
        case NamedItem::Attribute:
            text = names.attrToText(name);
            break;
        case NamedItem::Class:
            text = names.classToText(name);
            break;
        }
        return NWDSCCODE(0);
    });
}

NWDSCCODE BufferedClient::nameFromText(NWDSContextHandle context, NamedItem item,
                                       std::string_view text, std::string& name) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (item == NamedItem::Object && text.empty()) {
        name = ROOT_NAME;
        return 0;
    }
    return withTextNames(*ctx, [&](const valuetext::NameMapping& names) {
        std::optional<std::string> found;
        NWDSCCODE missing = ERR_INVALID_OBJECT_NAME;
        switch (item) {
        case NamedItem::Object:
            // A name of the directory itself ("[Public]") is no object's DN.
            if (text.front() != '[')
                found = names.nameFromText(text);
            break;
        case NamedItem::Attribute:
            found = names.attrFromText(text);
            missing = ERR_NO_SUCH_ATTRIBUTE;
            break;
        case NamedItem::Class:
            found = names.classFromText(text);
            missing = ERR_NO_SUCH_CLASS;
            break;
        }
        if (!found)
            return missing;
        name = std::move(*found);
        return NWDSCCODE(0);
    });
}
