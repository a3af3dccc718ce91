#include "platform/LastError.h"

#include <windows.h>

std::string ErrorText(int errorNumber)
{
    char* buffer = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    // English where the system has it, as on Linux; else the system's own language.
    DWORD length = ::FormatMessageA(flags, nullptr, static_cast<DWORD>(errorNumber),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                    reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0)
        length = ::FormatMessageA(flags, nullptr, static_cast<DWORD>(errorNumber), 0,
                                  reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return "(GetLastErrorString failed)";
    std::string text(buffer, length);
    ::LocalFree(buffer);
    // The system's texts end with a line break.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string LastErrorText()
{
    return ErrorText(static_cast<int>(::GetLastError()));
}
