#include "platform/RuntimeFolder.h"

#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <windows.h>

#include <shlobj.h>

std::filesystem::path RuntimeFolder()
{
    char base[MAX_PATH] = {};
    if (::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                           base) != S_OK)
        throw PlatformError("Cannot find the local application data folder");
    const std::string folder = std::string(base) + "\\mentix";
    if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw PlatformError("Cannot create the runtime folder " + folder + ": " + LastErrorText());
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        throw PlatformError("The runtime folder " + folder + " is not a folder");
    return folder;
}
