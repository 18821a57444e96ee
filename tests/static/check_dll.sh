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
# objdump prints the name-pointer table as "[ n] +base[ ordinal] name"
actual=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^\s*\[\s*[0-9]*\]\s*+base\[\s*\([0-9]*\)\]\s*[0-9a-f]*\s*\(\S*\).*/\1 \2/p' | sort -n)
if [ "$actual" != "$expected" ]; then
  bad "export table differs"; echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"
fi
# Ordinal 15 must not be exported: the export address table has an empty slot there.
if echo "$dump" | grep -Eq '^\s*\[\s*1[45]\]\s*\+base\[\s*15\]'; then bad "ordinal 15 is exported"; fi

section=$("$objdump" -h "$dll" | grep -A1 -E '^\s*[0-9]+\s+SHARESEG\s')
[ -n "$section" ] || bad "no SHARESEG section"
# The section flags line must show DATA and not READONLY; the shared bit is checked in the raw header below.
echo "$section" | grep -q READONLY && bad "SHARESEG is read-only"
chars=$(echo "$dump" | grep -A40 'SHARESEG' | head -0)
# Characteristics from the section table: IMAGE_SCN_MEM_SHARED (0x10000000), READ, WRITE.
flags=$("$objdump" -p -h "$dll" >/dev/null; python3 - "$dll" <<'PY' 2>/dev/null
import struct, sys
d = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', d, 0x3c)[0]
n = struct.unpack_from('<H', d, pe + 6)[0]
opt = struct.unpack_from('<H', d, pe + 20)[0]
off = pe + 24 + opt
for i in range(n):
    name = d[off + 40*i: off + 40*i + 8].rstrip(b'\0').decode()
    if name == 'SHARESEG':
        print(hex(struct.unpack_from('<I', d, off + 40*i + 36)[0]))
PY
)
if [ -n "$flags" ]; then
  [ $(( flags & 0xD0000000 )) -eq $(( 0xD0000000 )) ] || bad "SHARESEG characteristics $flags lack shared/read/write"
else
  echo "note: python3 absent, shared bit not read"
fi

allowed='^(KERNEL32|USER32|GDI32|COMDLG32|VERSION|msvcrt|ADVAPI32|SHELL32)\.(dll|DLL)$'
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
for i in $imports; do
  echo "$i" | grep -Eiq "$allowed" || bad "imports $i"
done
echo "imports: $(echo $imports)"
[ $fail -eq 0 ] && echo "release DLL layout OK"
exit $fail
