#include "platform/win32/win32_folder_security.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_wide_text.h"

#include <aclapi.h>

#include <array>
#include <vector>

namespace tavrine::win32 {

namespace {

// A SID in a buffer of its own.
class Sid {
public:
    explicit Sid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof bytes_;
        valid_ = CreateWellKnownSid(type, nullptr, bytes_.data(), &size) != FALSE;
    }
    // NT SERVICE\TrustedInstaller, which owns the system's own folders; no well-known type.
    static Sid trusted_installer() {
        Sid sid;
        static constexpr std::array<DWORD, 6> kParts = {80,         956008885,  3418522649,
                                                        1831038044, 1853292631, 2271478464};
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        sid.valid_ = InitializeSid(sid.get(), &nt, static_cast<BYTE>(kParts.size())) != FALSE;
        for (std::size_t i = 0; sid.valid_ && i < kParts.size(); ++i) {
            *GetSidSubAuthority(sid.get(), static_cast<DWORD>(i)) = kParts[i];
        }
        return sid;
    }
    PSID get() { return bytes_.data(); }
    bool matches(PSID other) {
        return valid_ && other != nullptr && IsValidSid(other) && EqualSid(get(), other);
    }

private:
    Sid() = default;
    std::array<BYTE, SECURITY_MAX_SID_SIZE> bytes_{};
    bool valid_ = false;
};

// What lets an account change what a folder holds or who may: adding a file or folder,
// deleting a child or the folder, writing attributes or extended attributes, the access list
// or the owner; the generic rights that include any of them.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                     FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER |
                                     GENERIC_WRITE | GENERIC_ALL;

// Opened without following a link at its last level and without delete sharing, so the folder
// checked is the folder kept open; invalid unless it is a folder and not a reparse point.
UniqueFileHandle open_folder(const std::wstring& folder, DWORD access) {
    UniqueFileHandle handle(CreateFileW(folder.c_str(), access | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || !GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return {};
    }
    // The path asked as well: Wine opens what a host symbolic link leads to even with
    // FILE_FLAG_OPEN_REPARSE_POINT, and says so only here.
    const DWORD path_attributes = GetFileAttributesW(folder.c_str());
    if (path_attributes == INVALID_FILE_ATTRIBUTES || (path_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return {};
    }
    return handle;
}

bool owned_by_system_or_administrators(PSID owner) {
    return Sid(WinLocalSystemSid).matches(owner) || Sid(WinBuiltinAdministratorsSid).matches(owner);
}

// Wine keeps no owner or access list of its own on a file: it makes them up from the Unix
// owner and mode on every read (the account running the program, whatever was set), and every
// Wine process of that Unix user may write there anyway. So under Wine the account running the
// program stands where Administrators stand on Windows; on Windows nothing changes.
std::vector<BYTE> wine_account() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return {};
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    UniqueKernelHandle held(token);
    std::vector<BYTE> buffer(256);
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &length)) {
        return {};
    }
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));
}

bool is_wine_account(const std::vector<BYTE>& account, PSID sid) {
    return !account.empty() && sid != nullptr && IsValidSid(sid) &&
           EqualSid(const_cast<BYTE*>(account.data()), sid);
}

bool admin_only(HANDLE folder) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory held(descriptor);
    const std::vector<BYTE> wine = wine_account();
    if (!owned_by_system_or_administrators(owner) && !Sid::trusted_installer().matches(owner) &&
        !is_wine_account(wine, owner)) {
        return false;
    }
    if (dacl == nullptr) {
        return false; // a NULL access list lets everyone do everything
    }
    Sid system(WinLocalSystemSid);
    Sid administrators(WinBuiltinAdministratorsSid);
    Sid trusted_installer = Sid::trusted_installer();
    // Stands for whoever creates a child; only those who may create here, checked above.
    Sid creator_owner(WinCreatorOwnerSid);
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(dacl, index, &entry)) {
            return false;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) {
            continue; // a denial grants nothing
        }
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            return false; // conditional or object entries: not what a plain folder carries
        }
        // Entries for children only count too: they decide who may write the history files.
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID trustee = &allowed->SidStart;
        if ((allowed->Mask & kWriteRights) == 0 || system.matches(trustee) ||
            administrators.matches(trustee) || trusted_installer.matches(trustee) ||
            creator_owner.matches(trustee) || is_wine_account(wine, trustee)) {
            continue;
        }
        return false;
    }
    return true;
}

// SYSTEM and Administrators full control, Users read and execute, inherited by what is
// created inside; `buffer` holds the list.
PACL protected_list(std::array<DWORD, 128>& buffer) {
    auto* acl = reinterpret_cast<PACL>(buffer.data());
    Sid system(WinLocalSystemSid);
    Sid administrators(WinBuiltinAdministratorsSid);
    Sid users(WinBuiltinUsersSid);
    constexpr DWORD kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const bool built =
        InitializeAcl(acl, sizeof buffer, ACL_REVISION) &&
        AddAccessAllowedAceEx(acl, ACL_REVISION, kInherit, FILE_ALL_ACCESS, system.get()) &&
        AddAccessAllowedAceEx(acl, ACL_REVISION, kInherit, FILE_ALL_ACCESS, administrators.get()) &&
        AddAccessAllowedAceEx(acl, ACL_REVISION, kInherit, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                              users.get());
    return built ? acl : nullptr;
}

} // namespace

bool protect_folder(const std::string& folder_utf8) {
    const std::optional<std::wstring> wide = wide_name_from_utf8(folder_utf8);
    if (!wide) {
        return false;
    }
    const std::wstring& folder = *wide;
    std::array<DWORD, 128> buffer{};
    PACL acl = protected_list(buffer);
    if (acl == nullptr) {
        return false;
    }
    // Created with the list and owner in place, so there is no moment when it carries what
    // ProgramData hands down (users may add files there).
    Sid administrators(WinBuiltinAdministratorsSid);
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
        SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
        SetSecurityDescriptorOwner(&descriptor, administrators.get(), FALSE)) {
        CreateDirectoryW(folder.c_str(), &attributes);
    }
    // Whether just made or there before, the folder kept open is the one checked and set.
    UniqueFileHandle handle = open_folder(folder, READ_CONTROL | WRITE_DAC);
    if (!handle) {
        return false;
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR current = nullptr;
    if (GetSecurityInfo(handle.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &current) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory held(current);
    if (!owned_by_system_or_administrators(owner) && !is_wine_account(wine_account(), owner)) {
        return false; // another account made it first and keeps the owner's rights over it
    }
    return SetSecurityInfo(handle.get(), SE_FILE_OBJECT,
                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                           acl, nullptr) == ERROR_SUCCESS &&
           admin_only(handle.get());
}

bool is_admin_only_folder(const std::string& folder) {
    const std::optional<std::wstring> wide = wide_name_from_utf8(folder);
    UniqueFileHandle handle = wide ? open_folder(*wide, READ_CONTROL) : UniqueFileHandle{};
    return handle && admin_only(handle.get());
}

} // namespace tavrine::win32
