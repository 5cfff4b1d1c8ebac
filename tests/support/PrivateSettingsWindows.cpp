#include "support/PrivateSettings.h"

#include <QCoreApplication>
#include <vector>

#include <windows.h>
#include <sddl.h>

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// The key standing in for HKEY_CURRENT_USER, below the real one.
QString privateKeyPath()
{
    return QStringLiteral("Software\\Tablewright tests\\%1").arg(QCoreApplication::applicationPid());
}

// The user's own key under HKEY_USERS, named by the security identifier:
// the real HKEY_CURRENT_USER, also while this process overrides it.
QString userKey()
{
    QString key;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return key;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    wchar_t* text = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size)
        && ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) {
        key = QString::fromWCharArray(text);
        LocalFree(text);
    }
    CloseHandle(token);
    return key;
}

const QString kProgramKey = QStringLiteral("\\Software\\Quillmoor\\Tablewright");

} // namespace

PrivateSettings::PrivateSettings()
{
    // Every later use of HKEY_CURRENT_USER in this process, Qt's included,
    // opens the private key instead.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wide(privateKeyPath()), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    RegOverridePredefKey(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
}

PrivateSettings::~PrivateSettings()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, wide(privateKeyPath()));
    // The parent key goes once no other test process holds a key in it.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tablewright tests");
}

std::unique_ptr<QSettings> programSettings(const QString&)
{
    return std::make_unique<QSettings>(QStringLiteral("HKEY_USERS\\") + userKey() + kProgramKey,
                                       QSettings::NativeFormat);
}

void removeProgramSettings()
{
    RegDeleteTreeW(HKEY_USERS, wide(userKey() + kProgramKey));
}
