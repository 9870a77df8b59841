#!/usr/bin/env bash
# The Windows program in a real console, wine inside tmux: renames of names that only UTF-8 can
# carry, one of them over 259 bytes, a failure whose message shows such names as they are in the
# console and in UTF-8 in a file, and a file under System32 renamed there, not in SysWOW64; then the
# usage screen, whose wait holds until a key comes, and each key ends it with status 0.
# Usage: wine_console_test.sh VEMBLO_EXE
set -u
dir=$(mktemp -d)
runs=0
trap 'for ((; runs > 0; runs--)); do tmux -L "vemblo-test-$$-$runs" kill-server; done 2>/dev/null
  rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL ($key): $*" && failures=$((failures + 1)); }

# Runs the program with the arguments in a console on a tmux server of its own (one being killed
# takes no new session along), which keeps what it shows; its status lands in $dir/status.
start() {
  socket="vemblo-test-$$-$((++runs))"
  rm -f "$dir/out" "$dir/status"
  tmux -L "$socket" new-session -d -x 100 -y 30 "cd '$dir' && WINEDEBUG=-all \
    '${WINE:-/usr/lib/wine/wine64}' '$1' $2; echo \$? > status; exec cat"
}

# Waits up to a minute for the program to end (wine can take seconds to close a process) with the
# status given, 0 by default.
finish() {
  for ((i = 0; i < 600; i++)); do [ -s "$dir/status" ] && break || sleep 0.1; done
  [ "$(cat "$dir/status" 2>/dev/null)" = "${1:-0}" ] || fail "status $(cat "$dir/status" 2>/dev/null)"
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
# Written to the console as UTF-16, the message shows the names whatever the console's code page.
key=message
start "$1" "'Zdjęcie-brak.jpg' 日本"
finish 2
tmux -L "$socket" capture-pane -p -J | grep -q "cannot rename 'Zdjęcie-brak.jpg' to '.*brak[0-9]*日本.jpg'" ||
  fail "$(tmux -L "$socket" capture-pane -p -J | grep -a vemblo)"
# Sent to a file, the message is UTF-8.
start "$1" "'Zdjęcie-brak.jpg' 2> err"
finish 2
grep -q "cannot rename 'Zdjęcie-brak.jpg'" "$dir/err" || fail "$(cat "$dir/err")"
# On 64-bit Windows a 32-bit program's names under System32 lead to SysWOW64 unless it says no.
key=System32
windows=${WINEPREFIX:-$HOME/.wine}/drive_c/windows
for folder in system32 syswow64; do echo "$folder" > "$windows/$folder/vemblo-test-$$"; done
start "$1" "'C:\\windows\\system32\\vemblo-test-$$'"
finish
[ "$(cat "$windows/system32/vemblo-test-$$"[0-9]*)" = system32 ] &&
  [ -e "$windows/syswow64/vemblo-test-$$" ] || fail "another file renamed"
rm -f "$windows"/sys*/vemblo-test-$$*
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
