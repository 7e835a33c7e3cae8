#!/bin/sh
# The splash picture as the program decodes it must equal, pixel for pixel, ImageMagick's
# reading of assets/splash.gif; and a picture cut short must come back from a module (the test
# picture module, with the windows module's decoder) as run-time error 481, across into a driver
# that, like the program, may carry its own C++ runtime.
#   splash_picture_test.sh DRIVER SPLASH-GIF
set -eu
. "$(dirname "$0")/../../support/test_helpers.sh"
use_work_folder
"$1" splash-rgb >"$work/decoded.rgb"
convert "$2" -depth 8 "rgb:$work/imagemagick.rgb"
size=$(wc -c <"$work/decoded.rgb")
[ "$size" -eq $((487 * 517 * 3)) ] || fail "decoded $size bytes"
cmp "$work/decoded.rgb" "$work/imagemagick.rgb" || fail "the pictures differ"
error=$("$1" decode-truncated) || fail "the cut picture decoded: $error"
case $error in
    "481: Invalid picture: "?*) ;;
    *) fail "the cut picture gave: $error" ;;
esac
echo "ok: all 487 x 517 pixels equal ImageMagick's; a cut picture gives $error"
