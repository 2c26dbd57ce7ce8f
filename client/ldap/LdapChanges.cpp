// Schema definitions are not carried over LDAP yet: each answers ERR_NOT_SUPPORTED after
// checking its context, so a page reports the call and its code instead of changing anything.
#include "LdapDirectory.h"
#include "directory/ResultCodes.h"

NWDSCCODE LdapDirectory::NWDSDefineAttr(NWDSContextHandle context, const char*,
                                        const Attr_Info_T*) {
    return findContext(context) == nullptr ? ERR_BAD_CONTEXT : ERR_NOT_SUPPORTED;
}

NWDSCCODE LdapDirectory::NWDSRemoveAttrDef(NWDSContextHandle context, const char*) {
    return findContext(context) == nullptr ? ERR_BAD_CONTEXT : ERR_NOT_SUPPORTED;
}

NWDSCCODE LdapDirectory::NWDSDefineClass(NWDSContextHandle context, const char*,
                                         const Class_Info_T*, Buf_T*) {
    return findContext(context) == nullptr ? ERR_BAD_CONTEXT : ERR_NOT_SUPPORTED;
}

NWDSCCODE LdapDirectory::NWDSRemoveClassDef(NWDSContextHandle context, const char*) {
    return findContext(context) == nullptr ? ERR_BAD_CONTEXT : ERR_NOT_SUPPORTED;
}

NWDSCCODE LdapDirectory::NWDSModifyClass(NWDSContextHandle context, const char*, Buf_T*) {
    return findContext(context) == nullptr ? ERR_BAD_CONTEXT : ERR_NOT_SUPPORTED;
}
