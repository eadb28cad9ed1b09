#!/usr/bin/env bash
# The exports as other programs see them: FITS files pass the FITS
# verifier of the library astronomers use and list the header written, a PNG
# picture carries its settings in a text chunk another program reads.
#
#   exports_read_elsewhere.sh QUINTALIS_BATCH
#
# Prints one line per check and "N passed, N failed" at the end.
set -uo pipefail
batch="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
cd "$work" || exit 1
passed=0
failed=0

pass() { echo "ok   $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }

if ! timeout 300 "$batch" --set ApertureSpin=8 --set XComaSpin=0.6 --set FocalRatioSpin=5 \
    --click CalculateButton --file star.fits --click SpeedButton1 --file star.png --click SpeedButton1 \
    --set FocusSpin=3 --click SpeedButton2 --file pair.fits --click BitBtn2 \
    --click ConvoluteInColor --file planet.fits --click BitBtn3 2>errors.txt; then
  fail "the batch run" "$(cat errors.txt)"
fi

for file in star.fits pair.fits planet.fits; do
  if summary="$(fitsverify -q "$file" 2>&1)"; then
    pass "$file verifies"
  else
    fail "$file verifies" "$summary"
  fi
done

# card FILE KEYWORD VALUE: the keyword's first value in the listed header
# (without quotes and blanks).
card() {
  local listed
  listed="$(fitsverify -l "$1" 2>/dev/null | sed -n "s/^ *[0-9]* | $2 *= *\([^/]*\).*/\1/p" | head -1 | tr -d "' ")"
  if [ "$listed" = "$3" ]; then
    pass "$1 $2 = $3"
  else
    fail "$1 $2" "'$listed', not '$3'"
  fi
}
card star.fits NAXIS1 512
card star.fits BITPIX -32
card star.fits PIXSCALE 0.100350442077185
card star.fits APTDIA 203.2
card star.fits COMA 0.6
card star.fits FOCRATIO 5.
card pair.fits EXTNAME INTRA
card pair.fits DEFOCUS -3.
card planet.fits NAXIS3 3
card planet.fits PIXSCALE 0.1

extensions="$(fitsverify -l pair.fits 2>/dev/null | grep -c "EXTNAME = 'EXTRA")"
[ "$extensions" = 1 ] && pass "pair.fits has the EXTRA image" || fail "pair.fits EXTRA" "$extensions found"

settings="$(identify -format '%[QuintalisSettings]' star.png 2>&1)"
case "$settings" in
*'"XComaSpin":0.6'*) pass "star.png carries its settings" ;;
*) fail "star.png settings" "${settings:0:200}" ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
