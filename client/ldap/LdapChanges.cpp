// Writes are not carried over LDAP yet: each answers ERR_NOT_SUPPORTED after checking its
// context, so a page reports the call and its code instead of changing anything half-way.
#include "LdapDirectory.h"
#include "directory/ResultCodes.h"

#define LDAP_NOT_YET(context)                                                                      \
    if (findContext(context) == nullptr)                                                           \
        return ERR_BAD_CONTEXT;                                                                    \
    return ERR_NOT_SUPPORTED;

NWDSCCODE LdapDirectory::NWDSAddObject(NWDSContextHandle context, const char*, std::int32_t*, bool,
                                       Buf_T*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSRemoveObject(NWDSContextHandle context,
                                                                     const char*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSModifyRDN(NWDSContextHandle context,
                                                                  const char*, const char*, bool){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSMoveObject(NWDSContextHandle context,
                                                                   const char*, const char*,
                                                                   const char*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSModifyObject(NWDSContextHandle context,
                                                                     const char*, std::int32_t*,
                                                                     bool, Buf_T*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSDefineAttr(NWDSContextHandle context,
                                                                   const char*, const Attr_Info_T*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSRemoveAttrDef(NWDSContextHandle context,
                                                                      const char*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSDefineClass(NWDSContextHandle context,
                                                                    const char*,
                                                                    const Class_Info_T*, Buf_T*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSRemoveClassDef(NWDSContextHandle context,
                                                                       const char*){
    LDAP_NOT_YET(context)} NWDSCCODE LdapDirectory::NWDSModifyClass(NWDSContextHandle context,
                                                                    const char*, Buf_T*) {
    LDAP_NOT_YET(context)
}