#include "support/ShellLink.h"

#include <QDir>

#include <objbase.h>
#include <shlobj.h>

ShellLinkFields readShellLink(const QString& path)
{
    ShellLinkFields fields;
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), STGM_READ))) {
        wchar_t text[INFOTIPSIZE];
        // Raw path: the target as stored, without resolving a moved file.
        if (SUCCEEDED(link->GetPath(text, INFOTIPSIZE, nullptr, SLGP_RAWPATH)))
            fields.target = QString::fromWCharArray(text);
        if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE)))
            fields.arguments = QString::fromWCharArray(text);
        if (SUCCEEDED(link->GetWorkingDirectory(text, INFOTIPSIZE)))
            fields.workingFolder = QString::fromWCharArray(text);
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return fields;
}
