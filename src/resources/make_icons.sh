#!/bin/bash
# Writes the plug-in's two 16-colour icons from the pixel maps below:
#   tavix131.ico  32 x 32  (the plug-in icon)
#   tavix133.ico  16 x 16  (the translator icon)
# Run by hand after changing a map:  src/resources/make_icons.sh
# Map characters: '.' transparent, 0-F an index into Windows' standard 16 colours
# (0 black, 3 olive, 7 silver, 8 grey, B yellow, F white). Rows are top to bottom.
set -euo pipefail
cd "$(dirname "$0")"

# A closed padlock: silver shackle, yellow body with a black keyhole.
PLUGIN_ICON=(
"................................"
"................................"
"...........0000000000..........."
"..........077777777770.........."
".........07770000008880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".........07770....08880........."
".....0000000000000000000000....."
".....0FFFFFFFFFFFFFFFFFF330....."
".....0FBBBBBBBBBBBBBBBBB330....."
".....0FBBBBBBBBBBBBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBB0000BBBBBB330....."
".....0FBBBBBBB0000BBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBB00BBBBBBB330....."
".....0FBBBBBBBBBBBBBBBBB330....."
".....0FBBBBBBBBBBBBBBBBB330....."
".....0FBBBBBBBBBBBBBBBBB330....."
".....0333333333333333333330....."
".....0000000000000000000000....."
"................................"
)

# The same padlock, small.
TRANSLATOR_ICON=(
"................"
".....000000....."
"....07777770...."
"....07000080...."
"....070..080...."
"....070..080...."
"....070..080...."
"..000000000000.."
"..0FBBBBBBBB30.."
"..0FBBB00BBB30.."
"..0FBBB00BBB30.."
"..0FBBB00BBB30.."
"..0FBBB00BBB30.."
"..0FBBBBBBBB30.."
"..000000000000.."
"................"
)

# The 16 colours as blue, green, red (each entry is followed by a zero byte).
PALETTE="000000 000080 008000 008080 800000 800080 808000 c0c0c0
         808080 0000ff 00ff00 00ffff ff0000 ff00ff ffff00 ffffff"

hex=""
le16() { hex+=$(printf '%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255))); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

# One icon file holding one image: directory, BITMAPINFOHEADER, palette, colour bits
# (4 per pixel) and the transparency mask (1 per pixel), both bottom row first and each
# row padded to 4 bytes.
write_icon() {
  local file=$1; shift
  local rows=("$@")
  local size=${#rows[@]}
  local colourRow=$(((size * 4 + 31) / 32 * 4))
  local maskRow=$(((size + 31) / 32 * 4))
  local imageBytes=$((40 + 64 + size * (colourRow + maskRow)))
  local row x y pixel byte bits
  for row in "${rows[@]}"; do
    [[ ${#row} -eq $size && $row =~ ^[.0-9A-F]+$ ]] || { echo "bad row in $file: $row" >&2; exit 1; }
  done

  hex=""
  le16 0; le16 1; le16 1                                   # icon directory, one image
  hex+=$(printf '%02x%02x' "$size" "$size"); hex+="1000"   # width, height, 16 colours
  le16 1; le16 4; le32 "$imageBytes"; le32 22              # planes, bits, size, offset
  le32 40; le32 "$size"; le32 $((size * 2)); le16 1; le16 4
  le32 0; le32 $((size * (colourRow + maskRow))); le32 0; le32 0; le32 16; le32 0
  for pixel in $PALETTE; do hex+="${pixel}00"; done

  for ((y = size - 1; y >= 0; y--)); do
    row=${rows[y]//./0}
    hex+=${row,,}
    for ((x = size / 2; x < colourRow; x++)); do hex+="00"; done
  done
  for ((y = size - 1; y >= 0; y--)); do
    row=${rows[y]}
    for ((x = 0; x < maskRow * 8; x += 8)); do
      bits=0
      for ((byte = 0; byte < 8; byte++)); do
        pixel=${row:x+byte:1}
        [[ -z $pixel || $pixel == . ]] && bits=$((bits | 128 >> byte))
      done
      hex+=$(printf '%02x' "$bits")
    done
  done

  : > "$file"
  local i
  for ((i = 0; i < ${#hex}; i += 2)); do printf "\\x${hex:i:2}" >> "$file"; done
}

write_icon tavix131.ico "${PLUGIN_ICON[@]}"
write_icon tavix133.ico "${TRANSLATOR_ICON[@]}"
