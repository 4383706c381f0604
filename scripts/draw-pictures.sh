#!/usr/bin/env bash
# Draws the program's pictures into src/ui/pictures/ with ImageMagick:
#   about.gif        254 x 254, the About window's background
#   cindervaxel.ico  64 x 64, 256 colours, the windows' icon and the About window's picture
#   cindervaxel.png  64 x 64, the same picture for the desktop's icon theme
# Both show a low-poly model (an icosahedron in wire frame) split into its upper and lower half,
# glowing like embers. Run it again after changing it and commit the pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
out=src/ui/pictures
convert=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Prints ImageMagick draw primitives for the split icosahedron: centre CX,CY, radius R, the gap
# between the halves GAP, line width W, dot radius D, in pixels.
wireframe() {
    awk -v cx="$1" -v cy="$2" -v r="$3" -v gap="$4" -v w="$5" -v d="$6" 'BEGIN {
        t = (1 + sqrt(5)) / 2
        split("-1 t 0|1 t 0|-1 -t 0|1 -t 0|0 -1 t|0 1 t|0 -1 -t|0 1 -t|t 0 -1|t 0 1|-t 0 -1|-t 0 1", v, "|")
        # Turned so that no edge is hidden behind another.
        ay = 0.3; ax = 0.5
        for (i = 1; i <= 12; i++) {
            split(v[i], c, " ")
            for (k = 1; k <= 3; k++) p[k] = (c[k] == "t" ? t : (c[k] == "-t" ? -t : c[k] + 0))
            x = p[1] * cos(ay) + p[3] * sin(ay); z = -p[1] * sin(ay) + p[3] * cos(ay)
            y = p[2] * cos(ax) - z * sin(ax); z = p[2] * sin(ax) + z * cos(ax)
            s = r / sqrt(1 + t * t)
            X[i] = cx + x * s; Y[i] = cy - y * s; Z[i] = z
            Y[i] += (Y[i] < cy ? -gap / 2 : gap / 2); up[i] = (Y[i] < cy)
        }
        # Edges join vertices at distance 2.
        n = 0
        for (i = 1; i <= 12; i++) for (j = i + 1; j <= 12; j++) {
            split(v[i], a, " "); split(v[j], b, " "); dist = 0
            for (k = 1; k <= 3; k++) {
                pa = (a[k] == "t" ? t : (a[k] == "-t" ? -t : a[k] + 0))
                pb = (b[k] == "t" ? t : (b[k] == "-t" ? -t : b[k] + 0))
                dist += (pa - pb) ^ 2
            }
            if (dist > 3.9 && dist < 4.1) { n++; E1[n] = i; E2[n] = j }
        }
        printf "fill none stroke-linecap round "
        # Edges between the halves are the seam the split opens: drawn faint.
        for (e = 1; e <= n; e++) if (up[E1[e]] != up[E2[e]])
            printf "stroke #7a3414 stroke-width %.1f line %.1f,%.1f %.1f,%.1f ", w / 2, X[E1[e]], Y[E1[e]], X[E2[e]], Y[E2[e]]
        # Back edges darker than front edges.
        for (e = 1; e <= n; e++) if (up[E1[e]] == up[E2[e]]) {
            front = (Z[E1[e]] + Z[E2[e]] > 0)
            printf "stroke %s stroke-width %.1f line %.1f,%.1f %.1f,%.1f ", (front ? "#ff9a3c" : "#b4501e"), w, X[E1[e]], Y[E1[e]], X[E2[e]], Y[E2[e]]
        }
        printf "stroke none fill #ffe2a0 "
        for (i = 1; i <= 12; i++) printf "circle %.1f,%.1f %.1f,%.1f ", X[i], Y[i], X[i] + d, Y[i]
    }'
}

# The About background: night sky to ember glow, a floor grid, the model at the lower left, so
# that the white texts above and beside it stay readable on dark ground.
"$convert" -size 254x254 gradient:'#05070d-#1c0c06' \
    \( -size 360x360 radial-gradient:'#5a2208-#000000' -geometry -80-10 \) -compose screen -composite \
    -compose over \
    -fill none -stroke '#3a1c10' -strokewidth 1 \
    -draw "line 0,232 254,232 line 0,214 254,214 line 0,201 254,201 line 0,192 254,192" \
    -draw "line 127,186 -120,254 line 127,186 0,254 line 127,186 60,254 line 127,186 127,254 line 127,186 194,254 line 127,186 254,254 line 127,186 374,254" \
    -draw "$(wireframe 100 168 74 12 2 2.6)" \
    -fill '#ffb45a' -stroke none \
    -draw "circle 188,128 189.3,128 circle 203,154 204,154 circle 176,106 177,106 circle 214,120 214.8,120" \
    +dither -colors 64 "$tmp/about.gif"
/usr/bin/convert "$tmp/about.gif" -strip "$out/about.gif"

# The icon: the model on a dark rounded tile.
"$convert" -size 64x64 xc:none \
    -fill '#140a06' -stroke '#5a2810' -strokewidth 2 -draw "roundrectangle 1,1 62,62 10,10" \
    -draw "$(wireframe 32 32 25 5 1.6 1.8)" \
    -define png:exclude-chunks=date,time -strip "$tmp/icon.png"
"$convert" "$tmp/icon.png" -define png:exclude-chunks=date,time -strip "$out/cindervaxel.png"
# The icon format keeps one bit of transparency beside its 256 colours.
"$convert" "$tmp/icon.png" -channel A -threshold 50% +channel +dither -colors 255 \
    "$out/cindervaxel.ico"
