// Where the plug-in's own files live: the plug-in folder beside the module file and the
// INI file derived from the configuration directory the host passes at start-up.
#pragma once
#include <cstddef>
#include <functional>

// Tells whether a path names an existing directory.
using DirectoryExists = std::function<bool(const char* path)>;

// From the module's full file name: its folder with a trailing backslash, or its "TAVIX"
// sub-folder (with a trailing backslash) when that exists. False, with an empty `folder`,
// when the result would not fit `folderSize` bytes.
bool DerivePluginFolder(const char* moduleFileName, const DirectoryExists& isDirectory,
                        char* folder, size_t folderSize);

// From the host's configuration directory: a "\Plugins" directory that does not exist is
// taken as its parent; the INI file is "TAVIX.INI" in the "TAVIX" sub-folder when that
// exists, else directly in the directory. False, with an empty `iniPath`, when the result
// would not fit `iniPathSize` bytes: a cut path would name some other file.
bool DeriveIniPath(const char* configDir, const DirectoryExists& isDirectory, char* iniPath,
                   size_t iniPathSize);
