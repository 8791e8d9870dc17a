#!/usr/bin/env bash
# Redraws the program's images in app/res: the tool-bar strip (toolbar140.png, four 32x32
# buttons with alpha: serial port settings, load configuration file, save configuration
# file, exit) and the application icon in the sizes a desktop asks for (icon128_<n>.png).
# Each image is drawn at four to eight times its size and scaled down, which gives smooth
# edges. Needs ImageMagick (convert); run from anywhere: scripts/draw-images.sh
set -euo pipefail

res="$(cd "$(dirname "$0")/.." && pwd)/app/res"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One palette for every image, so the buttons and the icon belong together.
ink='#1e3552'       # outlines
blue='#2f6fb5'
blue_light='#5d95d6'
metal='#8d99a6'
metal_dark='#3c4650'
gold='#f0c44c'
amber='#e9ad2b'
amber_light='#f8d16a'
amber_ink='#8a6410'
paper='#fbfbf8'
red='#d33b2c'
red_ink='#8e2118'
green='#4cd46e'
orange='#f29d38'

# Polygon of a gear: centre cx,cy, tooth radius ro, root radius ri, n teeth.
gear() {
  awk -v cx="$1" -v cy="$2" -v ro="$3" -v ri="$4" -v n="$5" 'BEGIN {
    pi = atan2(0, -1); s = "polygon"
    for (i = 0; i < n; i++) {
      a = 2 * pi * i / n; w = pi / n
      split(a - w * 0.95 " " a - w * 0.45 " " a + w * 0.45 " " a + w * 0.95, t, " ")
      split(ri " " ro " " ro " " ri, r, " ")
      for (k = 1; k <= 4; k++) s = s sprintf(" %.2f,%.2f", cx + r[k] * cos(t[k]), cy + r[k] * sin(t[k]))
    }
    print s }'
}

# Path of a circular arc around cx,cy with radius r from angle a0 to a1 (degrees, clockwise
# on screen, 0 pointing right).
arc() {
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a0="$4" -v a1="$5" 'BEGIN {
    pi = atan2(0, -1); large = (a1 - a0 > 180) ? 1 : 0
    printf "path \"M %.2f,%.2f A %g,%g 0 %d,1 %.2f,%.2f\"\n", cx + r * cos(a0 * pi / 180), cy + r * sin(a0 * pi / 180), r, r, large, cx + r * cos(a1 * pi / 180), cy + r * sin(a1 * pi / 180) }'
}

# 8 bits per channel with alpha, no time stamps, so that a redraw gives the same bytes.
png="-strip -define png:color-type=6 -define png:bit-depth=8 -define png:exclude-chunks=date,time"

# draw OUT SIZE MVG: renders MVG drawn on a 128x128 canvas into a SIZE x SIZE image.
draw() {
  convert -size 128x128 xc:none -draw "$3" -filter Lanczos -resize "$2x$2" \
    -depth 8 $png "$1"
}

# 0: serial port settings - a 9-pin D connector with a gear.
serial_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$metal_dark' stroke-width 6 fill '$metal'
  polygon 10,18 118,18 104,72 24,72
  stroke none fill '$metal_dark'
  polygon 22,27 106,27 96,64 32,64
  fill '$gold'
  circle 34,38 39,38  circle 49,38 54,38  circle 64,38 69,38  circle 79,38 84,38  circle 94,38 99,38
  circle 41.5,53 46.5,53  circle 56.5,53 61.5,53  circle 71.5,53 76.5,53  circle 86.5,53 91.5,53
  stroke '$ink' stroke-width 5 fill '$blue'
  $(gear 88 94 30 22 8)
  fill '$paper'
  circle 88,94 98,94
"
draw "$work/b0.png" 32 "$serial_mvg"

# 1: load configuration file - an open folder with a sheet in it.
load_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$amber_ink' stroke-width 5 fill '$amber'
  path 'M 10,24 L 46,24 L 56,36 L 116,36 L 116,110 L 10,110 Z'
  stroke '$ink' stroke-width 4 fill '$paper'
  polygon 26,18 92,18 104,30 104,84 26,84
  stroke '$metal' stroke-width 4
  line 38,38 92,38  line 38,52 92,52  line 38,66 80,66
  stroke '$amber_ink' stroke-width 5 fill '$amber_light'
  polygon 8,110 26,56 124,56 106,110
"
draw "$work/b1.png" 32 "$load_mvg"

# 2: save configuration file - a diskette.
save_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$ink' stroke-width 6 fill '$blue'
  path 'M 14,10 L 100,10 L 118,28 L 118,118 L 14,118 Z'
  stroke none fill '$metal'
  rectangle 34,10 94,46
  fill '$ink'
  rectangle 74,17 86,40
  stroke '$ink' stroke-width 4 fill '$paper'
  rectangle 28,64 104,118
  stroke '$blue_light' stroke-width 4
  line 38,80 94,80  line 38,94 94,94
"
draw "$work/b2.png" 32 "$save_mvg"

# 3: exit - a red power button.
exit_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$red_ink' stroke-width 6 fill '$red'
  circle 64,64 64,8
  stroke '$paper' stroke-width 12 fill none
  $(arc 64 68 30 -55 235)
  line 64,26 64,62
"
draw "$work/b3.png" 32 "$exit_mvg"

convert "$work/b0.png" "$work/b1.png" "$work/b2.png" "$work/b3.png" +append +repage \
  -depth 8 $png "$res/toolbar140.png"

# Application icon: a modem with its antenna sending. Small sizes get a plainer drawing
# with thicker lines, so that they do not turn to mush.
icon_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$orange' stroke-width 7 fill none
  $(arc 90 32 15 -50 50)
  $(arc 90 32 28 -45 45)
  $(arc 90 32 15 130 230)
  $(arc 90 32 28 135 225)
  stroke '$ink' stroke-width 7
  line 90,38 90,70
  stroke '$ink' stroke-width 4 fill '$red'
  circle 90,32 90,25
  stroke '$ink' stroke-width 6 fill '$blue'
  roundrectangle 8,68 120,118 12,12
  stroke none fill '$blue_light'
  roundrectangle 14,73 114,85 6,6
  stroke '$ink' stroke-width 3 fill '$green'
  circle 27,101 27,95  circle 45,101 45,95
  fill '$orange'
  circle 63,101 63,95
  stroke '$ink' stroke-width 4
  line 84,101 106,101
"
small_icon_mvg="
  stroke-linejoin round stroke-linecap round
  stroke '$orange' stroke-width 12 fill none
  $(arc 88 30 26 -45 45)
  $(arc 88 30 26 135 225)
  stroke '$ink' stroke-width 12
  line 88,30 88,64
  stroke '$ink' stroke-width 10 fill '$blue'
  roundrectangle 8,62 120,120 14,14
  stroke none fill '$green'
  rectangle 24,82 42,100  rectangle 56,82 74,100
"
for n in 16 32 48 64 128 256; do
  if [ "$n" -ge 128 ]; then
    # Draw big icons big, so that they stay sharp.
    convert -size 512x512 xc:none -draw "scale 4,4 $icon_mvg" -filter Lanczos -resize "${n}x${n}" \
      -depth 8 $png "$res/icon128_$n.png"
  elif [ "$n" -le 16 ]; then
    draw "$res/icon128_$n.png" "$n" "$small_icon_mvg"
  else
    draw "$res/icon128_$n.png" "$n" "$icon_mvg"
  fi
done
echo "drawn into $res"
