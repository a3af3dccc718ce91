#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Read-only named values that a Windows installation keeps in the registry. On Windows they are
// read from the registry itself: ReadValdoraValue(section, name) is the value `name` of the key
// HKEY_LOCAL_MACHINE\Software\Norvane\valdora\<section>. A missing key or value is the empty
// text; a string or expandable string (not expanded) is the text, cut at its first zero character;
// a value of any other type raises RegistryError "Invalid data type for '<name>'".
//
// On Linux they live in an INI file found along XDG_CONFIG_DIRS. The server instance ("ViewerHandle" of key
// "\Software\Norvane\valdora\demon") is the key ViewerHandle in section [demon] of
// "Norvane/valdora.conf":
//
//     [demon]
//     ViewerHandle=00000000
//
// Rules:
// - The folders of XDG_CONFIG_DIRS (":"-separated; unset or empty means "/etc/xdg"; relative entries
//   are skipped) are tried in order and the first one that has the file wins, even when that file
//   lacks the section or the key.
// - Section and key names compare without regard to the letter case of A-Z (as registry names do).
//   Blank lines and lines starting with ";" or "#" are ignored. Blanks around names and values go.
// - A missing file, section or key is the empty text.
// - A value is text when written plainly (ViewerHandle=abc) or as a quoted string
//   (ViewerHandle="abc", where \" and \\ stand for " and \), or as hex(1): / hex(2): bytes (text in
//   UTF-16LE, as a registry export writes string and expandable-string values; converted to
//   Windows-1252). A text value ends at its first zero character.
// - A value written in registry-export notation for any other type (dword:..., hex:..., hex(N):...
//   for N other than 1 and 2) raises RegistryError "Invalid data type for '<name>'".

class RegistryError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The folders searched, in order, from XDG_CONFIG_DIRS (Linux only).
std::vector<std::filesystem::path> ConfigFolders();

// The text value `name` in `section` of the first file `relativePath` found in `folders` (the INI
// reader; on any system).
std::string ReadRegistryText(const std::vector<std::filesystem::path>& folders,
                             const std::filesystem::path& relativePath, std::string_view section,
                             std::string_view name);

// The text value `name` in `section`: of the first "Norvane/valdora.conf" along XDG_CONFIG_DIRS on
// Linux, of the key HKEY_LOCAL_MACHINE\Software\Norvane\valdora\<section> on Windows.
std::string ReadValdoraValue(std::string_view section, std::string_view name);

// The text value `name` of the key `keyPath` below HKEY_LOCAL_MACHINE (Windows only), by the rules
// above; ReadValdoraValue reads through it.
std::string ReadMachineRegistryText(std::string_view keyPath, std::string_view name);
