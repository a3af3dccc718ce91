#pragma once

#include <string>
#include <string_view>

// The program's own path and the names derived from it. Programs on Linux have no ".exe"; where a
// name is formed by replacing the program's extension, a path ending in ".exe" (any letter case)
// has those four characters replaced and any other path has the new extension appended.

// The running program's full path (Linux: /proc/self/exe; Windows: GetModuleFileName, in the ANSI
// code page); empty when the system cannot tell.
std::string ProgramPath();

// "/opt/bytescope/bytescope" with ".itl" gives "/opt/bytescope/bytescope.itl";
// "C:\Apps\bytescope.exe" gives "C:\Apps\bytescope.itl".
std::string ReplaceProgramExtension(std::string_view path, std::string_view extension);

// The file-name part: everything after the last "/" or "\" (a peer's path may be a Windows one).
std::string FileNamePart(std::string_view path);

// The folder part, up to and including the last "/" or "\"; empty when there is none.
std::string FolderPart(std::string_view path);

// The application title: the file name cut at its first ".", its first letter in capitals and
// every later one in small letters, so the program "bytescope" is titled "Bytescope".
std::string ApplicationTitle(std::string_view path);
