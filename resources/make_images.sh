#!/usr/bin/env bash
# Draws the program's own images with ImageMagick and writes them beside this
# script; the generated files are committed, so a build never needs convert.
#   resources/make_images.sh
#
#   qelvo.ico      window icon, 16, 32 and 48 pixels: a blue tile holding a
#                  page of text with an orange arrow that swaps a line
#   edit_icon.gif  18 x 16 pen shown at the focused text box; a click on it
#                  opens the text input window
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

echo "make_images: wrote $here/qelvo.ico and $here/edit_icon.gif"
