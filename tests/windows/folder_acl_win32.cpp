#include "folder_acl_win32.h"

#include <windows.h>

#include <aclapi.h>

namespace tavrine::test {

bool grant_everyone_write(const std::string& folder) {
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &current, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    EXPLICIT_ACCESS_A grant{};
    grant.grfAccessPermissions = FILE_GENERIC_WRITE;
    grant.grfAccessMode = GRANT_ACCESS;
    grant.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    grant.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    grant.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    char everyone[] = "Everyone";
    grant.Trustee.ptstrName = everyone;
    PACL updated = nullptr;
    bool done =
        SetEntriesInAclA(1, &grant, current, &updated) == ERROR_SUCCESS &&
        SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, updated, nullptr) == ERROR_SUCCESS;
    LocalFree(updated);
    LocalFree(descriptor);
    return done;
}

} // namespace tavrine::test
