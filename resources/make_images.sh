#!/usr/bin/env bash
# Draws the program's own images with ImageMagick and writes them beside this
# script; the generated files are committed, so a build never needs convert.
#   resources/make_images.sh
#
#   qelvo.ico      window icon, 16, 32 and 48 pixels: a blue tile holding a
#                  page of text with an orange arrow that swaps a line
#   edit_icon.gif  18 x 16 pen shown at the focused text box; a click on it
#                  opens the text input window
#
# and the skin's images in skin/ (the PNGs 8-bit RGBA with real alpha; a
# caption button is one state, hover and press are drawn over it):
#   caption_help.png, caption_menu.png, caption_minimize.png,
#   caption_maximize.png, caption_restore.png
#                  26 x 18 glass caption buttons with a white glyph: question
#                  mark, menu lines with a triangle, bar, window, and two
#                  windows (the maximize button while maximized)
#   caption_close.png
#                  38 x 18 reddish glass close button with a white cross
#   check_empty.png, check_checked.png
#                  13 x 13 check box, empty, and checked (drawn over the empty)
#   arrow_down.png, arrow_up.png
#                  7 x 4 dark triangles of the combo boxes and up-down controls
#   arrow_left.png, arrow_right.png
#                  4 x 7 dark triangles of the horizontal up-down controls
#   background.jpg 510 x 318 baseline JPEG, a misty lake under a clouded sky,
#                  stretched over the whole window; its bottom centre is kept
#                  smooth for the text link drawn there
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The icon is drawn once at 48 pixels and at 16 pixels (where the page's
# lines would blur into grey, so it gets fewer and bolder ones); 32 is the
# 48 pixel drawing scaled down.
convert -size 48x48 xc:none \
    -fill '#1d5fa8' -stroke '#13437a' -strokewidth 1 \
    -draw 'roundrectangle 1.5,1.5 46.5,46.5 9,9' \
    -fill '#ffffff' -stroke '#c9d6e6' \
    -draw 'polygon 11,8 30,8 37,15 37,40 11,40' \
    -fill '#dce6f2' -stroke '#c9d6e6' \
    -draw 'polygon 30,8 30,15 37,15' \
    -stroke '#5d7893' -strokewidth 2 \
    -draw 'line 15,16 27,16' -draw 'line 15,22 33,22' \
    -draw 'line 15,34 33,34' \
    -stroke '#f08a1c' -strokewidth 3 \
    -draw 'line 15,28 29,28' \
    -fill '#f08a1c' -stroke none \
    -draw 'polygon 28,23 35,28 28,33' \
    "$work/icon48.png"
convert "$work/icon48.png" -resize 32x32 "$work/icon32.png"
convert -size 16x16 xc:none \
    -fill '#1d5fa8' -stroke none \
    -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill '#ffffff' -draw 'rectangle 3,2 12,13' \
    -fill '#5d7893' -draw 'rectangle 5,4 10,4' -draw 'rectangle 5,11 10,11' \
    -fill '#f08a1c' -draw 'rectangle 5,7 9,8' -draw 'polygon 9,5 12,7.5 9,10' \
    "$work/icon16.png"
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$here/qelvo.ico"

# The pen points to the lower left: a yellow body, a wooden tip with a dark
# point and a pink eraser, on a transparent background.
convert -size 18x16 xc:none \
    -fill '#f2c12e' -stroke '#8a6a10' -strokewidth 1 \
    -draw 'polygon 6.5,13.5 3.5,10.5 12.5,1.5 15.5,4.5' \
    -fill '#e58fa0' -stroke '#8a4a56' \
    -draw 'polygon 12.5,1.5 15.5,4.5 16.5,3.5 13.5,0.5' \
    -fill '#f3d9b1' -stroke '#8a6a10' \
    -draw 'polygon 3.5,10.5 6.5,13.5 1.5,15.5' \
    -fill '#333333' -stroke none \
    -draw 'polygon 1,16 2.8,14.8 1.8,13.8' \
    -fill '#2f6fb5' -draw 'rectangle 9,15 17,15' \
    "$work/pen.png"
convert "$work/pen.png" -channel A -threshold 50% +channel "$here/edit_icon.gif"


# ---------------------------------------------------------------------------
# Skin images. Every PNG is written as PNG32 with no optional chunks:
# GDI+ applies a gAMA chunk when it decodes, which would shift the colours
# chosen here, and a time stamp would change the file on every run.
# ---------------------------------------------------------------------------
skin="$here/skin"
mkdir -p "$skin"
bare=(+repage -strip -define png:exclude-chunk=all)

# mask_as_alpha COLOUR MASK SIZE OUT: COLOUR everywhere, as opaque as MASK is
# white.
mask_as_alpha() {
    convert -size "$3" xc:"$1" "$2" -alpha off -compose CopyOpacity -composite "$4"
}

# caption_button NAME WIDTH SHAPE TINT_TOP TINT_BOTTOM GLYPH
# A translucent glass button of WIDTH x 18: SHAPE (drawn white on black) is
# its outline, filled with a vertical tint gradient, a gloss over the upper
# half and a faint glow at the bottom, edged dark outside and light inside.
# GLYPH is drawn white on black at four times the size, so that its curves
# and diagonals come out smooth; in that grid a pixel x of the button spans
# 4x .. 4x + 3, and a point at u pixels lies at 4u - 0.5. The glyph gets a
# soft dark edge so that it stays readable over light parts of the picture.
caption_button() {
    local name=$1 width=$2 shape=$3 top=$4 bottom=$5 glyph=$6
    local size="${width}x18" big="$((width * 4))x72" base="$work/caption_$name"
    convert -size "$size" xc:black -fill white -stroke none -draw "$shape" "$base-mask.png"
    # Black is spliced round the sides and the bottom, not the top (which
    # meets the window's own border), so that the edges follow the image's
    # sides too.
    local pad=(-background black -gravity west -splice 1x0 -gravity east -splice 1x0
        -gravity south -splice 0x1 +gravity)
    local unpad=(-crop "$size+1+0" +repage)
    convert "$base-mask.png" "${pad[@]}" -morphology EdgeIn Square:1 "${unpad[@]}" \
        -evaluate multiply 0.65 "$base-outer.png"
    convert "$base-mask.png" "${pad[@]}" -morphology Erode Square:1 \
        -morphology EdgeIn Square:1 "${unpad[@]}" -evaluate multiply 0.40 "$base-inner.png"
    mask_as_alpha '#101a28' "$base-outer.png" "$size" "$base-outer-edge.png"
    mask_as_alpha white "$base-inner.png" "$size" "$base-inner-edge.png"
    convert -size "$size" gradient:"$top-$bottom" \
        \( -size "${width}x9" gradient:'rgba(255,255,255,0.50)-rgba(255,255,255,0.10)' \) \
        -geometry +0+0 -compose over -composite \
        \( -size "${width}x6" gradient:'rgba(255,255,255,0)-rgba(255,255,255,0.22)' \) \
        -geometry +0+12 -compose over -composite \
        \( "$base-mask.png" -alpha copy \) -compose DstIn -composite \
        "$base-outer-edge.png" -compose over -composite \
        "$base-inner-edge.png" -compose over -composite \
        "$base-body.png"
    convert -size "$big" xc:black -fill white -stroke none -draw "$glyph" \
        -filter box -resize 25% "$base-glyph-mask.png"
    mask_as_alpha white "$base-glyph-mask.png" "$size" "$base-glyph.png"
    convert "$base-body.png" \
        \( "$base-glyph.png" -fill black -colorize 100 \
        -channel A -blur 0x0.9 -evaluate multiply 1.35 +channel \) \
        -compose over -composite \
        "$base-glyph.png" -compose over -composite \
        "${bare[@]}" "PNG32:$skin/caption_$name.png"
}

# The four small buttons have square top corners (they hang from the top of
# the window) and rounded bottom ones; the close button also rounds its top
# right corner, where the window's corner is.
hanging='roundrectangle 0,-4 25,17 3,3'
blue_top='rgba(214,228,242,0.42)'
blue_bottom='rgba(48,72,104,0.58)'

# A ring with its lower left quarter cut away, a stem and a dot.
caption_button help 26 "$hanging" "$blue_top" "$blue_bottom" \
    'circle 51.5,23.5 65.5,23.5 fill black circle 51.5,23.5 57.5,23.5
     rectangle 30,26 47,45 fill white rectangle 48,30 55,43 roundrectangle 48,48 55,55 2,2'
# Three lines and a small triangle pointing down.
caption_button menu 26 "$hanging" "$blue_top" "$blue_bottom" \
    'rectangle 24,20 55,23 rectangle 24,32 55,35 rectangle 24,44 55,47
     polygon 61.5,27.5 85.5,27.5 73.5,39.5'
caption_button minimize 26 "$hanging" "$blue_top" "$blue_bottom" \
    'rectangle 32,44 71,51'
# A window: one-pixel sides under a two-pixel title bar.
caption_button maximize 26 "$hanging" "$blue_top" "$blue_bottom" \
    'rectangle 32,16 71,23 rectangle 32,48 71,51 rectangle 32,16 35,51 rectangle 68,16 71,51'
# Two such windows, the back one showing only where the front one leaves it.
caption_button restore 26 "$hanging" "$blue_top" "$blue_bottom" \
    'rectangle 40,12 71,19 rectangle 68,12 71,39 rectangle 64,36 71,39 rectangle 40,12 43,23
     rectangle 32,24 63,31 rectangle 32,48 63,51 rectangle 32,24 35,51 rectangle 60,24 63,51'
caption_button close 38 'roundrectangle 0,0 37,17 3,3 rectangle 0,0 4,4' \
    'rgba(250,170,160,0.62)' 'rgba(176,34,26,0.80)' \
    'stroke white stroke-width 8 stroke-linecap round
     line 57.5,17.5 93.5,53.5 line 93.5,17.5 57.5,53.5'

# The check boxes: an 11 x 11 diagonal gradient inside a one-pixel border,
# translucent near-black when empty, opaque blue when checked. The tick is
# the classic seven by seven one, three pixels thick, in pixel exact rows.
check_inside() {
    convert -size 11x11 -define gradient:direction=SouthEast \
        gradient:'rgb(222,223,214)-rgb(253,252,252)' "$work/check_inside.png"
}
check_inside
convert -size 13x13 xc:'#030303E6' "$work/check_inside.png" -geometry +1+1 \
    -compose over -composite "${bare[@]}" "PNG32:$skin/check_empty.png"
convert -size 13x13 xc:'#185184' "$work/check_inside.png" -geometry +1+1 \
    -compose over -composite +antialias -fill '#246E75' -stroke none \
    -draw 'rectangle 3,5 3,7 rectangle 4,6 4,8 rectangle 5,7 5,9 rectangle 6,6 6,8
           rectangle 7,5 7,7 rectangle 8,4 8,6 rectangle 9,3 9,5' \
    "${bare[@]}" "PNG32:$skin/check_checked.png"

# The arrows: solid dark slate triangles, one pixel row narrower per step,
# with no anti-aliasing so that their tips stay sharp at this size.
arrow='#3A3E46'
convert -size 7x4 xc:none +antialias -fill "$arrow" -stroke none \
    -draw 'rectangle 0,0 6,0 rectangle 1,1 5,1 rectangle 2,2 4,2 rectangle 3,3 3,3' \
    "$work/arrow_down.png"
convert "$work/arrow_down.png" "${bare[@]}" "PNG32:$skin/arrow_down.png"
convert "$work/arrow_down.png" -flip "${bare[@]}" "PNG32:$skin/arrow_up.png"
convert "$work/arrow_down.png" -transpose -flop "${bare[@]}" "PNG32:$skin/arrow_left.png"
convert "$work/arrow_down.png" -transpose "${bare[@]}" "PNG32:$skin/arrow_right.png"

# The background: a misty lake. The random textures are seeded and made on
# one thread so that every run draws the same picture.
bg=(convert -limit thread 1)
bg_width=510 bg_height=318 horizon=196
lake=$((bg_height - horizon))
bg_size="${bg_width}x${bg_height}"

# Sky and water: two plain gradients, light and warm towards the horizon.
"${bg[@]}" -size "${bg_width}x${horizon}" gradient:'#86a7c8-#ebe6dc' \
    -size "${bg_width}x${lake}" gradient:'#cfd8d4-#869fac' -append "$work/bg_base.png"

# Clouds: plasma stretched sideways into long soft banks, thinning towards the
# horizon.
"${bg[@]}" -seed 23 -size 255x130 plasma:fractal -colorspace gray \
    -resize "${bg_width}x${horizon}!" -blur 0x4 -auto-level -level 12%,85% \
    \( -size "${bg_width}x${horizon}" gradient:'gray(90%)-gray(20%)' \) \
    -compose multiply -composite "$work/bg_cloud_mask.png"
mask_as_alpha '#f7f5f0' "$work/bg_cloud_mask.png" "${bg_width}x${horizon}" "$work/bg_clouds_sky.png"
"${bg[@]}" "$work/bg_clouds_sky.png" -compose over -background none -gravity north \
    -extent "$bg_size" "$work/bg_clouds.png"

# A warm haze where the sun is behind the mist.
"${bg[@]}" -size "$bg_size" xc:none -fill 'rgba(247,220,186,0.55)' \
    -draw 'ellipse 170,190 200,64 0,360' -blur 0x36 "$work/bg_glow.png"

# ridge SEED TOP BOTTOM COLOUR OUT: a range of hills whose crest follows a
# smoothed row of plasma between rows TOP and BOTTOM, down to the horizon.
ridge() {
    "${bg[@]}" -seed "$1" -size "${bg_width}x32" plasma:fractal -colorspace gray \
        -crop "${bg_width}x1+0+16" +repage -blur 0x8 -auto-level -scale "$bg_size!" \
        -fx "crest = $2 + u * ($3 - $2); j > crest && j < $horizon ? 1 : 0" -blur 0x1.2 \
        "$work/bg_ridge_mask.png"
    mask_as_alpha "$4" "$work/bg_ridge_mask.png" "$bg_size" "$5"
}
ridge 7 150 185 'rgba(128,150,166,0.50)' "$work/bg_far_hills.png"
ridge 13 172 192 'rgba(100,124,140,0.55)' "$work/bg_near_hills.png"

# Mist rising from the water over the foot of the hills.
"${bg[@]}" -size "${bg_width}x44" gradient:'rgba(238,238,232,0)-rgba(238,238,232,0.70)' \
    -background none -gravity northwest -splice "0x$((horizon - 44))" +gravity \
    -extent "$bg_size" "$work/bg_mist.png"

"${bg[@]}" "$work/bg_base.png" "$work/bg_clouds.png" -compose over -composite \
    "$work/bg_glow.png" -composite "$work/bg_far_hills.png" -composite \
    "$work/bg_near_hills.png" -composite "$work/bg_mist.png" -composite "$work/bg_land.png"

# The water mirrors the land above it, squashed, blurred and faint, and is
# streaked by long horizontal ripples (noise smeared sideways, made wider
# than the picture so that the smear has no edge).
"${bg[@]}" "$work/bg_land.png" -crop "${bg_width}x${horizon}+0+0" +repage -flip \
    -resize "${bg_width}x${lake}!" -blur 0x3 -alpha set -channel A -evaluate set 28% +channel \
    -compose over -background none -gravity south -extent "$bg_size" "$work/bg_reflection.png"
"${bg[@]}" -seed 5 -size "$((bg_width + 80))x${lake}" xc:gray50 +noise Random -colorspace gray \
    -motion-blur 0x30+0 -blur 0x1 -gravity center -crop "${bg_width}x${lake}+0+0" +repage \
    -auto-level -evaluate multiply 0.4 -evaluate add 30% \
    -background gray50 -gravity south -extent "$bg_size" "$work/bg_ripples.png"
"${bg[@]}" "$work/bg_land.png" "$work/bg_reflection.png" -compose over -composite \
    "$work/bg_ripples.png" -compose softlight -composite "$work/bg_scene.png"

# The bottom centre, where the text link sits, fades to the plain gradient.
"${bg[@]}" -size "$bg_size" xc:black -fill white -draw 'ellipse 255,318 170,56 0,360' \
    -blur 0x24 "$work/bg_quiet_mask.png"
"${bg[@]}" "$work/bg_scene.png" \( "$work/bg_base.png" -blur 0x4 \) "$work/bg_quiet_mask.png" \
    -compose over -composite -blur 0x0.8 -modulate 100,90 \
    -strip -interlace none -quality 85 "$skin/background.jpg"

echo "make_images: wrote $here/qelvo.ico, $here/edit_icon.gif and the images in $skin"
