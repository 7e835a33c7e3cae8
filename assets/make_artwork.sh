#!/bin/sh
# Draws the splash picture and the program's icon with ImageMagick. The results are kept in the
# repository, so building needs neither this script nor ImageMagick; run it again only to change
# the artwork.
set -eu
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold
light=DejaVu-Sans

# Splash picture: 487 x 517, one frame, 256-colour global palette, no transparent colour.
convert -size 487x517 gradient:'#0b3d63'-'#1d7fa8' \
    -fill '#ffffff22' -draw 'circle 400,90 560,90' -draw 'circle 60,470 200,470' \
    -fill '#f4f8fb' -stroke '#0b3d63' -strokewidth 3 \
    -draw 'roundrectangle 163,110 323,300 22,22' \
    -fill '#0b3d63' -stroke none -draw 'roundrectangle 178,135 308,255 6,6' \
    -fill '#8fd3ef' -draw 'roundrectangle 190,150 296,180 10,10' \
    -fill '#ffffff' -draw 'roundrectangle 190,195 280,225 10,10' \
    -fill '#0b3d63' -draw 'circle 243,278 243,268' \
    -font "$font" -pointsize 54 -fill '#ffffff' -gravity north -annotate +0+330 'Pellatone' \
    -font "$light" -pointsize 20 -fill '#d7eef8' -annotate +0+405 'Desktop SMS server' \
    -pointsize 14 -fill '#b9dbea' -annotate +0+470 'Starting Vexmora ...' \
    -alpha off +dither -colors 256 -type Palette \
    -define gif:has-global-colormap=true splash_base.gif
# Pad the palette to a full 256 entries so the global colour table holds 256 colours.
convert splash_base.gif -alpha off -define gif:colormap-size=256 splash.gif 2>/dev/null \
    || mv splash_base.gif splash.gif
rm -f splash_base.gif

# Icon: 32 x 32 and 16 x 16, 256 colours each.
for size in 32 16; do
    convert -size "${size}x${size}" xc:'#0b3d63' \
        -fill '#f4f8fb' -draw "roundrectangle $((size / 4)),$((size / 8)) $((size * 3 / 4)),$((size * 7 / 8)) $((size / 8)),$((size / 8))" \
        -fill '#1d7fa8' -draw "rectangle $((size * 5 / 16)),$((size / 4)) $((size * 11 / 16)),$((size * 9 / 16))" \
        -alpha off +dither -colors 256 -type Palette "BMP3:icon_$size.bmp"
    convert "BMP3:icon_$size.bmp" "pellatone-$size.png"
    # The Linux program decodes its window icon with the same GIF reader as the splash picture.
    convert "pellatone-$size.png" "pellatone-$size.gif"
done
# The Windows icon holds both images with full 256-colour palettes. ImageMagick writes as few bits
# per pixel as the colours in use need, so the icon's own colours are padded with greys to 256
# palette entries first (the pixels stay exactly as drawn).
convert icon_32.bmp icon_16.bmp +append -unique-colors icon_colours.bmp
used=$(identify -format '%w' icon_colours.bmp)
convert icon_colours.bmp \( -size "$((256 - used))x1" gradient:black-white -colorspace sRGB \) \
    +append -type TrueColor icon_palette.bmp
for size in 32 16; do
    convert "icon_$size.bmp" +dither -remap icon_palette.bmp "BMP3:icon_${size}_256.bmp"
done
convert icon_32_256.bmp icon_16_256.bmp pellatone.ico
rm -f icon_32.bmp icon_16.bmp icon_32_256.bmp icon_16_256.bmp icon_colours.bmp icon_palette.bmp
if [ "$(identify -format '%z ' pellatone.ico)" != "8 8 " ]; then
    echo "pellatone.ico: expected two 8-bit images" >&2
    exit 1
fi
