// Owner-only files on Windows: an access list with one entry, granting the
// user who runs the program full access, marked protected so that nothing
// is inherited from the folder (the same promise as mode 0600 elsewhere).

#include "settings/OwnerOnlyFile.h"

#include "db/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <vector>

#include <windows.h>
#include <aclapi.h>

namespace tw {

namespace {

// The security descriptor of an owner-only file.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity()
    {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user_.resize(size);
        const bool known = size > 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size);
        CloseHandle(token);
        if (!known)
            return;
        EXPLICIT_ACCESSW access{};
        access.grfAccessPermissions = GENERIC_ALL;
        access.grfAccessMode = SET_ACCESS;
        access.grfInheritance = NO_INHERITANCE;
        access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access.Trustee.TrusteeType = TRUSTEE_IS_USER;
        access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid);
        if (SetEntriesInAclW(1, &access, nullptr, &acl_) != ERROR_SUCCESS) {
            acl_ = nullptr;
            return;
        }
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor_, TRUE, acl_, FALSE);
        SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    ~OwnerOnlySecurity()
    {
        if (acl_)
            LocalFree(acl_);
    }
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    bool valid() const { return acl_ != nullptr; }
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

private:
    std::vector<char> user_;
    PACL acl_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// QSettings names its registry store "\HKEY_CURRENT_USER\...": no file.
bool isRegistryPath(const QString& path)
{
    return path.startsWith(QLatin1String("\\HKEY_"));
}

[[noreturn]] void failToCreate(const QString& path)
{
    throw Failure(QStringLiteral("Cannot create file \"%1\". Windows error %2.")
                      .arg(QDir::toNativeSeparators(path))
                      .arg(GetLastError()));
}

} // namespace

void createOwnerOnlyFile(const QString& path)
{
    if (isRegistryPath(path) || QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    OwnerOnlySecurity security;
    if (!security.valid())
        return;
    const HANDLE file = CreateFileW(wide(QDir::toNativeSeparators(path)), GENERIC_WRITE, 0, security.attributes(),
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void restrictToOwner(const QString& path)
{
    if (isRegistryPath(path) || !QFileInfo::exists(path))
        return;
    // Written again as a new file created with the owner-only access list,
    // rather than given the list in place: under Wine a list set on an
    // existing file does not hold (everyone is still allowed afterwards),
    // while a file created with it keeps it, there and on Windows.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    try {
        saveOwnerOnlyFile(path, bytes);
    } catch (const Failure&) {
        // The file stays as it was, as when its access list cannot be set.
    }
}

void saveOwnerOnlyFile(const QString& path, const QByteArray& bytes)
{
    // Written whole into a new owner-only file beside it, then moved over the
    // old one: the move keeps the new file's access list, and a reader never
    // sees half a file.
    OwnerOnlySecurity security;
    if (!security.valid())
        failToCreate(path);
    const QString native = QDir::toNativeSeparators(path);
    const QString temporary = native + QStringLiteral(".%1.tmp").arg(QUuid::createUuid().toString(QUuid::Id128));
    const HANDLE file = CreateFileW(wide(temporary), GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        failToCreate(path);
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr)
                          && written == DWORD(bytes.size()) && FlushFileBuffers(file);
    CloseHandle(file);
    if (!complete || !MoveFileExW(wide(temporary), wide(native), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(wide(temporary));
        SetLastError(error);
        failToCreate(path);
    }
}

} // namespace tw
