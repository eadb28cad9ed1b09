#!/usr/bin/env bash
# Bad input through quintalis-batch: hostile pictures where the window looks
# for mars.jpg, outputs onto devices, pipes, links and missing folders, and a
# command line that goes wrong at its last action.
#
#   bad_input.sh QUINTALIS_BATCH inputs|outputs|command-line
#
# Prints one line per case and "N passed, N failed" at the end.
set -uo pipefail
batch="$(realpath "$1")"
group="$2"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
passed=0
failed=0

pass() { echo "ok   $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }

# run FOLDER ARGS...: runs the batch program in FOLDER, at most 60 seconds;
# sets $code and $errors (its standard error).
run() {
  local folder="$1"
  shift
  code=0
  errors="$(cd "$folder" && timeout 60 "$batch" "$@" 2>&1 >/dev/null)" || code=$?
}

# The messages the window showed, from a state dump.
messages() { python3 -c 'import json,sys; print("\n".join(m["text"] for m in json.load(open(sys.argv[1]))["messages"]))' "$1"; }

# mars FOLDER with mars.jpg made by the commands after it, then the window
# must start, show a message containing TEXT, and exit 0.
start_with() {
  local name="$1" text="$2"
  local folder="$work/$name"
  mkdir -p "$folder"
  (cd "$folder" && eval "$3")
  run "$folder" --dump-state state.json
  if [ "$code" -ne 0 ]; then
    fail "$name" "exit $code: $errors"
  elif ! messages "$folder/state.json" | grep -qF -- "$text"; then
    fail "$name" "no message with \"$text\": $(messages "$folder/state.json")"
  else
    pass "$name"
  fi
}

# patch_size FILE WIDTH HEIGHT: the JPEG FILE claims another size.
patch_size() {
  python3 - "$@" <<'PY'
import sys
path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = bytearray(open(path, "rb").read())
i = data.index(b"\xff\xc0")
data[i + 5:i + 9] = bytes([height >> 8, height & 255, width >> 8, width & 255])
open(path, "wb").write(data)
PY
}

# bitmap WIDTH HEIGHT BYTES: a 24-bit BMP of that size holding BYTES bytes of
# pixel data, on standard output.
bitmap() {
  python3 - "$@" <<'PY'
import struct, sys
width, height, size = (int(a) for a in sys.argv[1:4])
header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0)
sys.stdout.buffer.write(b"BM" + struct.pack("<IHHI", 54 + size, 0, 0, 54) + header + bytes([128]) * size)
PY
}

mars="$source_dir/assets/mars.jpg"

case "$group" in
inputs)
  mkdir -p "$work/good"
  cp "$mars" "$work/good/mars.jpg"
  run "$work/good" --dump-state state.json
  if [ "$code" -eq 0 ] && [ -z "$(messages "$work/good/state.json")" ]; then
    pass good-picture-shows-no-message
  else
    fail good-picture-shows-no-message "exit $code: $errors"
  fi
  start_with huge-claimed-size "16384 pixels a side" "cp '$mars' mars.jpg && patch_size mars.jpg 65500 65500"
  start_with over-16-megapixels "16 megapixels" "cp '$mars' mars.jpg && patch_size mars.jpg 65472 32736"
  start_with pipe "not a regular file" "mkfifo mars.jpg"
  start_with folder "is a folder" "mkdir mars.jpg"
  start_with empty "is empty" ": > mars.jpg"
  start_with truncated "is damaged" "head -c 5000 '$mars' > mars.jpg"
  start_with garbage "not a picture this program reads" "head -c 3000 /dev/urandom | tr '\\377' x > mars.jpg"
  start_with png-named-jpg "is damaged" "printf '\\211PNG\\r\\n\\032\\n' > mars.jpg"
  start_with bmp-cut-short "the file is damaged (its pixel data ends early" "bitmap 8 4 48 > mars.jpg"
  start_with bmp-header-only "the file is damaged (it ends before its pixel data)" "bitmap 16384 1024 0 > mars.jpg"
  if command -v convert >/dev/null; then
    start_with cmyk "CMYK JPEG files are not supported" "convert '$mars' -colorspace CMYK mars.jpg"
  fi
  ;;

outputs)
  folder="$work/out"
  mkdir -p "$folder"
  cp "$mars" "$folder/mars.jpg"

  run "$folder" --dump-state /dev/null --dump-grid StarGrid=/dev/null --save-picture StarImage=/dev/null
  if [ "$code" -eq 0 ] && [ -c /dev/null ]; then pass dev-null; else fail dev-null "exit $code: $errors"; fi

  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$work"
    code=0
    errors="$(cd "$folder" && HOME="$work" timeout 60 setpriv --reuid=65534 --regid=65534 --clear-groups \
      "$batch" --dump-state /dev/null 2>&1 >/dev/null)" || code=$?
    if [ "$code" -eq 0 ]; then pass dev-null-as-another-user; else fail dev-null-as-another-user "exit $code: $errors"; fi
  fi

  mkdir -p "$folder/real"
  ln -s real/state.json "$folder/link.json"
  run "$folder" --dump-state link.json
  if [ "$code" -eq 0 ] && [ -L "$folder/link.json" ] && python3 -m json.tool "$folder/real/state.json" >/dev/null; then
    pass symlink
  else
    fail symlink "exit $code: $errors; $(ls -l "$folder/link.json" "$folder/real")"
  fi

  # The reader has the pipe open before the program writes (a pipe that
  # nobody reads is refused at once), then reads until the writer is done.
  mkfifo "$folder/pipe.png"
  python3 - "$folder/pipe.png" "$folder/from-pipe.png" "$folder/reading" <<'PY' &
import os, select, sys
pipe = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
open(sys.argv[3], "w").close()
data = b""
while True:
    select.select([pipe], [], [], 60)
    chunk = os.read(pipe, 65536)
    if chunk:
        data += chunk
    elif data:
        break
    else:
        select.select([], [], [], 0.05)  # no writer yet
open(sys.argv[2], "wb").write(data)
PY
  reader=$!
  for _ in $(seq 100); do [ -e "$folder/reading" ] && break; sleep 0.1; done
  run "$folder" --save-picture StarImage=pipe.png
  wait "$reader"
  if [ "$code" -eq 0 ] && [ -p "$folder/pipe.png" ] && head -c 4 "$folder/from-pipe.png" | grep -q PNG; then
    pass pipe
  else
    fail pipe "exit $code: $errors"
  fi

  # A write that fails is named; the line still runs to its end, exit 2.
  run "$folder" --dump-state /dev/full
  if [ "$code" -eq 2 ] && [[ "$errors" == *"/dev/full: no space left on the device"* ]] && [ -c /dev/full ]; then
    pass dev-full
  else
    fail dev-full "exit $code: $errors"
  fi

  run "$folder" --dump-grid StarGrid=/dev/full --save-picture StarImage=/dev/full --dump-state after.json
  if [ "$code" -eq 2 ] && [ "$(grep -c "cannot write /dev/full" <<<"$errors")" -eq 2 ] && [ -c /dev/full ] \
    && [ -s "$folder/after.json" ]; then
    pass dev-full-grid
  else
    fail dev-full-grid "exit $code: $errors"
  fi

  run "$folder" --dump-state missing/state.json
  if [ "$code" -eq 1 ] && [[ "$errors" == *"missing/state.json: the folder does not exist"* ]] && [ ! -e "$folder/missing" ]; then
    pass missing-folder
  else
    fail missing-folder "exit $code: $errors"
  fi

  mkfifo "$folder/lonely.png"
  # The line ran, and its write failed: status 2.
  run "$folder" --save-picture StarImage=lonely.png
  if [ "$code" -eq 2 ] && [[ "$errors" == *"lonely.png: nothing is reading the pipe"* ]] \
      && [ -p "$folder/lonely.png" ]; then
    pass pipe-nobody-reads
  else
    fail pipe-nobody-reads "exit $code: $errors"
  fi

  # Saves through the window's Save button over files that are there.
  # save_star FOLDER FILE [USER]: calculates the star and saves it as FILE,
  # as USER (a number) when given; $messages holds what the window said.
  save_star() {
    local at="$1" file="$2" user="${3:-}"
    local as=()
    [ -n "$user" ] && as=(setpriv --reuid="$user" --regid="$user" --clear-groups)
    code=0
    errors="$(cd "$at" && HOME="$work" timeout 60 "${as[@]}" "$batch" --click CalculateButton --file "$file" \
      --click SpeedButton1 --dump-state state.json 2>&1 >/dev/null)" || code=$?
    said="$(messages "$at/state.json" 2>/dev/null)"
  }
  is_jpeg() { head -c 3 "$1" | od -An -tx1 | grep -q 'ff d8 ff'; }

  echo old > "$folder/linked.jpg"
  ln "$folder/linked.jpg" "$folder/twin.jpg"
  save_star "$folder" linked.jpg
  if [ "$code" -eq 0 ] && is_jpeg "$folder/twin.jpg" && [ "$(stat -c %h "$folder/linked.jpg")" -eq 2 ]; then
    pass hard-link-written-in-place
  else
    fail hard-link-written-in-place "exit $code: $errors $said; $(ls -li "$folder"/*.jpg)"
  fi

  long="$(printf 'n%.0s' $(seq 251)).jpg"
  save_star "$folder" "$long"
  if [ "$code" -eq 0 ] && [ -z "$said" ] && is_jpeg "$folder/$long"; then
    pass longest-name
  else
    fail longest-name "exit $code: $errors $said"
  fi

  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    # An ordinary user (nobody) in a folder all may write.
    shared="$work/shared"
    mkdir -p "$shared"
    chmod 755 "$work"
    chmod 777 "$shared"
    cp "$mars" "$shared/mars.jpg"
    chmod 644 "$shared/mars.jpg"
    nobody=65534
    for case in "own-read-only $nobody 444" "another-users 65533 644"; do
      set -- $case
      echo old > "$shared/$1.jpg"
      chown "$2:$2" "$shared/$1.jpg"
      chmod "$3" "$shared/$1.jpg"
      save_star "$shared" "$1.jpg" "$nobody"
      # The window says why; the batch names the Save on stderr and ends with 2.
      if [ "$code" -eq 2 ] && [[ "$said" == *"$1.jpg: it is read-only"* ]] && [[ "$errors" == *"(action 3)"* ]] \
          && [ "$(cat "$shared/$1.jpg")" = old ] \
          && [ "$(stat -c '%u %a' "$shared/$1.jpg")" = "$2 $3" ]; then
        pass "save-refused-as-ordinary-user: $1"
      else
        fail "save-refused-as-ordinary-user: $1" "exit $code: $errors $said; $(ls -l "$shared/$1.jpg")"
      fi
    done
    # The batch driver's own outputs say the same before anything runs.
    code=0
    errors="$(cd "$shared" && HOME="$work" timeout 60 setpriv --reuid=$nobody --regid=$nobody --clear-groups \
      "$batch" --dump-state own-read-only.jpg 2>&1 >/dev/null)" || code=$?
    if [ "$code" -eq 1 ] && [[ "$errors" == *"own-read-only.jpg: it is read-only"* ]]; then
      pass dump-refused-as-ordinary-user
    else
      fail dump-refused-as-ordinary-user "exit $code: $errors"
    fi
    # Root saving over an ordinary user's file leaves it the user's.
    echo old > "$shared/theirs.jpg"
    chown "$nobody:$nobody" "$shared/theirs.jpg"
    chmod 640 "$shared/theirs.jpg"
    save_star "$shared" theirs.jpg
    if [ "$code" -eq 0 ] && [ -z "$said" ] && is_jpeg "$shared/theirs.jpg" \
        && [ "$(stat -c '%u %g %a' "$shared/theirs.jpg")" = "$nobody $nobody 640" ]; then
      pass root-keeps-the-owner
    else
      fail root-keeps-the-owner "exit $code: $errors $said; $(ls -l "$shared/theirs.jpg")"
    fi
  fi

  leftovers="$(find "$folder" -name '*.tmp' -o -name '*.part')"
  if [ -z "$leftovers" ]; then pass no-temporary-files-left; else fail no-temporary-files-left "$leftovers"; fi
  ;;

command-line)
  # Exit 1 means nothing ran and nothing was written: every action is
  # checked before the first one runs.
  folder="$work/line"
  mkdir -p "$folder"
  cp "$mars" "$folder/mars.jpg"
  for last in "--set NoSuchSpin=3" "--set GammaSpin" "--answer Maybe" "--select Tabs=42" \
              "--dump-state missing/state.json" "--click"; do
    rm -f "$folder/first.json"
    # shellcheck disable=SC2086
    run "$folder" --dump-state first.json --set GammaSpin=0.3 $last
    if [ "$code" -eq 1 ] && [ ! -e "$folder/first.json" ]; then
      pass "nothing written before: $last"
    else
      fail "nothing written before: $last" "exit $code, first.json $( [ -e "$folder/first.json" ] && echo written || echo absent)"
    fi
  done
  ;;

*)
  echo "unknown group $group" >&2
  exit 2
  ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
