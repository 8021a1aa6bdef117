#!/usr/bin/env bash
# Draws the program icon with ImageMagick primitives (this machine's ImageMagick has no SVG reader)
# and packs nine 32-bit images into one .ico (the larger ones as PNG). The design: a teal certificate card with text lines
# and a ribbon seal at its lower right. Each size is drawn four times larger and scaled down, so edges
# stay smooth; sizes up to 24 px drop the finer text lines, which would only blur at that scale.
# Usage: make-icon.sh OUTPUT.ico [WORK_DIR]
set -euo pipefail
out=${1:?usage: make-icon.sh OUTPUT.ico [WORK_DIR]}
work=${2:-$(dirname "$out")/icon-work}
convert=${CONVERT:-convert}
mkdir -p "$work"

accent='#0D9488'   # RGB(13,148,136), the light theme's accent
deep='#0F766E'     # the ribbon, one shade darker
paper='#FFFFFF'

# Design coordinates are on a 256 grid; the size picks the detail level.
draw() {
  local size=$1 file=$2
  local k=$((size * 4)) f
  f=$(awk -v k="$k" 'BEGIN { printf "%.6f", k / 256 }')
  local detail=full
  [ "$size" -le 24 ] && detail=simple
  local args=(-size "${k}x${k}" xc:none -stroke none)
  # ribbon tails, behind the seal
  args+=(-fill "$deep" -draw "scale $f,$f polygon 166,176 146,246 168,232 182,252 192,182")
  args+=(-fill "$deep" -draw "scale $f,$f polygon 196,176 216,246 194,232 180,252 170,182")
  # the card
  args+=(-fill "$accent" -draw "scale $f,$f roundrectangle 14,34 242,206 26,26")
  if [ "$detail" = full ]; then
    args+=(-fill "$paper" -draw "scale $f,$f roundrectangle 42,66 178,82 8,8")
    args+=(-fill "$paper" -draw "scale $f,$f roundrectangle 42,98 150,110 6,6")
    args+=(-fill "$paper" -draw "scale $f,$f roundrectangle 42,124 120,136 6,6")
  else
    args+=(-fill "$paper" -draw "scale $f,$f roundrectangle 40,62 176,90 14,14")
    args+=(-fill "$paper" -draw "scale $f,$f roundrectangle 40,110 120,136 13,13")
  fi
  # the seal: a white ring around a teal disc with a white centre
  args+=(-fill "$paper" -draw "scale $f,$f circle 181,160 181,112")
  if [ "$detail" = full ]; then
    args+=(-fill "$accent" -draw "scale $f,$f circle 181,160 181,122")
    args+=(-fill "$paper" -draw "scale $f,$f circle 181,160 181,144")
  else
    args+=(-fill "$accent" -draw "scale $f,$f circle 181,160 181,130")  # a thicker ring reads at 16 px
  fi
  "$convert" "${args[@]}" -filter Box -resize "${size}x${size}" "PNG32:$file"
}

# Up to 40 px the images are plain 32-bit bitmaps; from 48 px on they are stored as PNG, which Windows
# reads in icons since Vista: a 128 px bitmap alone is 67 KB, as PNG under 4 KB.
small=() large=()
for size in 16 20 24 32 40 48 64 128 256; do
  draw "$size" "$work/icon-$size.png"
  if [ "$size" -le 40 ]; then small+=("$work/icon-$size.png"); else large+=("$work/icon-$size.png"); fi
done
"$convert" "${small[@]}" "$work/small.ico"
python3 - "$work/small.ico" "$out" "${large[@]}" <<'PY'
import struct, sys
small = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<HHH", small)[2]
images = []  # (width, directory entry fields, bytes)
for i in range(count):
    w, h, colours, reserved, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", small, 6 + 16 * i)
    images.append((w, h, planes, bits, small[offset:offset + size]))
for name in sys.argv[3:]:
    png = open(name, "rb").read()
    width, height = struct.unpack_from(">II", png, 16)  # the IHDR chunk
    images.append((width % 256, height % 256, 1, 32, png))  # 0 stands for 256
out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
offset = 6 + 16 * len(images)
for w, h, planes, bits, data in images:
    out += struct.pack("<BBBBHHII", w, h, 0, 0, planes, bits, len(data), offset)
    offset += len(data)
for image in images:
    out += image[4]
open(sys.argv[2], "wb").write(bytes(out))
PY
