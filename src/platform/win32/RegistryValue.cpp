#include "platform/RegistryValue.h"

#include "UniqueKey.h"

#include <windows.h>

namespace {

std::string InvalidType(std::string_view name)
{
    return "Invalid data type for '" + std::string(name) + "'";
}

std::string CutAtZero(std::string text)
{
    const auto zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

} // namespace

std::string ReadMachineRegistryText(std::string_view keyPath, std::string_view name)
{
    UniqueKey key;
    const std::string path(keyPath);
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return {};
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw RegistryError(InvalidType(name));
    // The value may grow between the two calls: ask again with the size the system gives then.
    std::string text(size, '\0');
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
        size = static_cast<DWORD>(text.size());
        status = ::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(text.data()), &size);
        if (status == ERROR_MORE_DATA)
            text.resize(size);
    }
    if (status != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw RegistryError(InvalidType(name));
    text.resize(size);
    return CutAtZero(std::move(text));
}

std::string ReadValdoraValue(std::string_view section, std::string_view name)
{
    return ReadMachineRegistryText("Software\\Norvane\\valdora\\" + std::string(section), name);
}
