#!/usr/bin/env bash
# Checks the release DLL: exports by name at ordinals 1-14 and 16 (15 empty),
# a shared read/write section SHARESEG, and imports from Windows system DLLs only.
set -u
dll=$1; objdump=$2
fail=0
bad() { echo "FAIL: $*"; fail=1; }
[ -f "$dll" ] || { echo "FAIL: $dll not built"; exit 1; }
dump=$("$objdump" -p "$dll") || { echo "FAIL: objdump"; exit 1; }

expected="1 ems_plugin_version
2 ems_plugin_init
3 ems_translator_info
4 ems_can_translate
5 ems_translate_file
6 ems_plugin_finish
7 P07
8 P08
9 P09
10 P10
11 ems_free
12 ems_plugin_config
13 P13
14 P14
16 P16"
# objdump prints the name-pointer table as "[index] name", index = ordinal - 1 (base 1).
actual=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^\s*\[\s*\([0-9]*\)\]\s*\(\S*\)$/\1 \2/p' \
  | awk '{ print $1 + 1, $2 }' | sort -n)
if [ "$actual" != "$expected" ]; then
  bad "export table differs"; echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"
fi
# Ordinal 15 must not be exported: the export address table has an empty slot there.
if echo "$dump" | grep -Eq '\+base\[\s*15\]'; then bad "ordinal 15 has an address"; fi

section=$("$objdump" -h "$dll" | grep -A1 -E '^\s*[0-9]+\s+SHARESEG\s')
[ -n "$section" ] || bad "no SHARESEG section"
# The section flags line must show DATA and not READONLY; the shared bit is checked in the raw header below.
echo "$section" | grep -q READONLY && bad "SHARESEG is read-only"
# The section table entry's Characteristics: IMAGE_SCN_MEM_SHARED|READ|WRITE (0xD0000000).
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
pe=$(u32 "$dll" 60); count=$(u16 "$dll" $((pe + 6))); optsize=$(u16 "$dll" $((pe + 20)))
table=$((pe + 24 + optsize)); flags=""
for ((i = 0; i < count; i++)); do
  name=$(dd if="$dll" bs=1 skip=$((table + 40 * i)) count=8 2>/dev/null | tr -d '\0')
  [ "$name" = SHARESEG ] && flags=$(u32 "$dll" $((table + 40 * i + 36)))
done
if [ -z "$flags" ]; then bad "SHARESEG not in the section table"
elif [ $(( flags & 0xD0000000 )) -ne $(( 0xD0000000 )) ]; then
  bad "SHARESEG characteristics $(printf 0x%X "$flags") lack shared/read/write"
fi

allowed='^(KERNEL32|USER32|GDI32|COMDLG32|VERSION|msvcrt|ADVAPI32|SHELL32)\.(dll|DLL)$'
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
for i in $imports; do
  echo "$i" | grep -Eiq "$allowed" || bad "imports $i"
done
echo "imports: $(echo $imports)"
[ $fail -eq 0 ] && echo "release DLL layout OK"
exit $fail
