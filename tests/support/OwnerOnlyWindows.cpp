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
    const PSID userSid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(native.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    // No access list at all grants everybody everything. Otherwise every
    // entry that allows access must name the user, or the system account,
    // which reads every file anyway (Wine lists it for a file of mode 0600).
    bool ownerOnly = acl != nullptr;
    for (DWORD i = 0; ownerOnly && i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(acl, i, &entry))
            ownerOnly = false;
        else if (static_cast<const ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
            ownerOnly = EqualSid(sid, userSid) || IsWellKnownSid(sid, WinLocalSystemSid);
        }
    }
    LocalFree(descriptor);
    return ownerOnly;
}
