#include "support/OwnerOnly.h"

#include <QDir>
#include <vector>

#include <windows.h>
#include <aclapi.h>

namespace {

// The security identifier of the user running this process.
std::vector<char> currentUser()
{
    std::vector<char> user;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return user;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
        user.clear();
    CloseHandle(token);
    return user;
}

} // namespace

bool isOwnerOnly(const QString& path)
{
    const std::vector<char> user = currentUser();
    if (user.empty())
        return false;
    std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(native.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    bool ownerOnly = acl && (control & SE_DACL_PROTECTED) && acl->AceCount == 1;
    void* entry = nullptr;
    if (ownerOnly && GetAce(acl, 0, &entry)) {
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        ownerOnly = allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE
                    && EqualSid(const_cast<DWORD*>(&allowed->SidStart),
                                reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    }
    LocalFree(descriptor);
    return ownerOnly;
}
