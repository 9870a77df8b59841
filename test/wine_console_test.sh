#!/usr/bin/env bash
# The Windows program in a real console, wine inside tmux: renames of names that only UTF-8 can
# carry, one of them over 259 bytes, then the usage screen, whose wait holds until a key comes,
# and each key ends it with status 0.
# Usage: wine_console_test.sh VEMBLO_EXE
set -u
dir=$(mktemp -d)
runs=0
trap 'for ((; runs > 0; runs--)); do tmux -L "vemblo-test-$$-$runs" kill-server; done 2>/dev/null
  rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL ($key): $*" && failures=$((failures + 1)); }

# Runs the program with the arguments in a console on a tmux server of its own (one being killed
# takes no new session along); its status lands in $dir/status.
start() {
  socket="vemblo-test-$$-$((++runs))"
  rm -f "$dir/out" "$dir/status"
  tmux -L "$socket" new-session -d -x 100 -y 30 "cd '$dir' && WINEDEBUG=-all \
    '${WINE:-/usr/lib/wine/wine64}' '$1' $2; echo \$? > status" \; set-option remain-on-exit on
}

# Waits up to a minute for the program to end (wine can take seconds to close a process).
finish() {
  for ((i = 0; i < 600; i++)); do [ -s "$dir/status" ] && break || sleep 0.1; done
  [ "$(cat "$dir/status" 2>/dev/null)" = 0 ] || fail "status $(cat "$dir/status" 2>/dev/null)"
}

# 116 characters take 348 bytes in UTF-8, but only 116 units in UTF-16.
long="$(printf '日%.0s' {1..80})/$(printf '本%.0s' {1..36})"
mkdir "$dir/${long%/*}"
for key in Zdjęcie.jpg "$long.txt"; do
  echo hello > "$dir/$key"
  start "$1" "'$key' 日本"
  finish
  [ "$(cat "$dir/${key%.*}"[0-9][0-9][0-9][0-9][0-9][0-9]日本."${key##*.}")" = hello ] || fail "not renamed"
done
for key in a Enter Up F5 C-c; do
  start "$1" "'/?' > out"
  # Wine's console reads keys once it has put the terminal into raw mode after the prompt; a key
  # typed before then would wait for a line end.
  tty=$(tmux -L "$socket" display-message -p '#{pane_tty}')
  for ((i = 0; i < 300; i++)); do
    grep -q 'press Enter ...$' "$dir/out" 2>/dev/null && stty -F "$tty" | grep -q -- -icanon && break
    sleep 0.1
  done
  sleep 1
  [ -e "$dir/status" ] && fail "ended before a key was pressed"
  tmux -L "$socket" send-keys "$key"
  finish
  [ "$(grep -c $'\r$' "$dir/out")" = 11 ] || fail "the screen's lines do not end in CR LF"
done
[ "$failures" = 0 ]
