// The shortcut of a job on Windows: a shell link written through the shell
// link object's IShellLinkW and IPersistFile interfaces.

#include "settings/Shortcut.h"

#include "db/Failure.h"

#include <QDir>

#include <objbase.h>
#include <shlobj.h>

namespace tw {

QString shortcutExtension()
{
    return QStringLiteral("lnk");
}

void CreateShortcut(const QString& target, const QString& jobPath, const QString& workingFolder,
                    const QString& shortcutPath)
{
    // Released and uninitialised on every way out.
    struct Com {
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        Com() { CoInitialize(nullptr); }
        ~Com()
        {
            if (file)
                file->Release();
            if (link)
                link->Release();
            CoUninitialize();
        }
    } com;
    const HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&com.link));
    if (FAILED(created) || FAILED(com.link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&com.file))))
        throw Failure(QStringLiteral("The shell link object cannot be created (error 0x%1).")
                          .arg(quint32(created), 8, 16, QLatin1Char('0')));
    // A shortcut that was not saved is reported, not announced as created.
    // The shell takes Windows separators only (Qt's own paths use '/').
    const QString nativeTarget = QDir::toNativeSeparators(target);
    const QString nativeShortcut = QDir::toNativeSeparators(shortcutPath);
    const QString arguments = QLatin1Char('"') + jobPath + QLatin1Char('"');
    const HRESULT saved = FAILED(com.link->SetPath(reinterpret_cast<const wchar_t*>(nativeTarget.utf16())))
            || FAILED(com.link->SetArguments(reinterpret_cast<const wchar_t*>(arguments.utf16())))
            || FAILED(com.link->SetWorkingDirectory(reinterpret_cast<const wchar_t*>(workingFolder.utf16())))
        ? E_FAIL
        : com.file->Save(reinterpret_cast<const wchar_t*>(nativeShortcut.utf16()), FALSE);
    if (FAILED(saved))
        throw Failure(QStringLiteral("Cannot create file \"%1\" (error 0x%2).")
                          .arg(QDir::toNativeSeparators(shortcutPath))
                          .arg(quint32(saved), 8, 16, QLatin1Char('0')));
}

} // namespace tw
