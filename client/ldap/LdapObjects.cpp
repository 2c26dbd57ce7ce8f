// The objects the LDAP client shows, made from the entries the server gives.
#include "LdapObjects.h"

#include "client/common/ReplyWriter.h"
#include "client/common/ValueText.h"
#include "client/common/ValueWire.h"
#include "directory/Codes.h"

namespace ldapobjects {

bool addTextValues(ReplyWriter& reply, const AttributeDefinition& def,
                   const std::vector<std::string>& texts, std::size_t& next,
                   const valuetext::NameMapping& names, std::string& wireValue) {
    for (; next < texts.size(); ++next) {
        if (valuetext::parse(def.syntax, texts[next], names, wireValue) != 0)
            continue;
        if (def.syntax == SYN_STREAM)
            wireValue = wire::u32Value(std::uint32_t(wireValue.size()));
        if (!reply.addValue(wireValue))
            return false;
    }
    return true;
}

} // namespace ldapobjects
