#!/usr/bin/env bash
# The portable core builds without Windows: no file in it includes a Windows header or a
# header of the Windows-side folders (plugin, config, host, pgp, ui, resources).
set -u
core=${1:?usage: $0 CORE_FOLDER}
[ -f "$core/text_utils.cpp" ] || { echo "FAIL: $core is not the core folder"; exit 1; }
windows='windows|windowsx|win[a-z0-9]*|shellapi|commdlg|commctrl|shlobj|shlwapi|objbase|ole2|tchar|mmsystem|richedit|process|io|direct'
found=$(grep -rniE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](($windows)\.h|(plugin|config|host|pgp|ui|resources)[/\\\\])" "$core" --include='*.h' --include='*.cpp')
[ -z "$found" ] && { echo "core is portable"; exit 0; }
echo "FAIL: Windows includes in the core:"; echo "$found"; exit 1
