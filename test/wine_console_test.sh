#!/usr/bin/env bash
# The Windows program's usage screen in a real console: wine inside tmux. The screen goes to a
# file with CR LF line ends, the wait holds until a key comes, and each key ends it with status 0.
# Usage: wine_console_test.sh VEMBLO_EXE
set -u
exe=$1
wine=${WINE:-/usr/lib/wine/wine64}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
expected=$(printf '\r\nVemblo, version 1.1 (Build 1) \r\nStamps a file'"'"'s name with the day'"'"'s date. \r\nCreated 11.02.00 \r\n\r\nVemblo [file name] [text] \r\n        file name - name of the file, being renamed \r\n        text      - editional text in file name \r\n\r\nVemblo  /?        - help \r\n\r\npress Enter ...' | od -An -tx1)
failures=0

fail() {
  echo "FAIL ($key): $*"
  tmux -L "$socket" capture-pane -p 2>&1 | grep -v '^$'
  tmux -L "$socket" display-message -p 'pane dead: #{pane_dead} status #{pane_dead_status} signal #{pane_dead_signal}'
  failures=$((failures + 1))
}

# Waits up to $1 tenths of a second for the file $2 to hold text.
wait_for() {
  for ((i = 0; i < $1; i++)); do
    [ -s "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

for key in a Enter Up F5 C-c; do
  socket="vemblo-test-$$-$key"  # a server of its own: one being killed takes no new session along
  rm -f "$dir/out" "$dir/status" "$dir/ready"
  tmux -L "$socket" new-session -d -x 100 -y 30 \
    "env WINEPREFIX='${WINEPREFIX:-}' WINEDEBUG=-all LANG='${LANG:-C.UTF-8}' '$wine' '$exe' '/?' > '$dir/out'; echo \$? > '$dir/status'" \; set-option remain-on-exit on
  # The prompt is the last piece written before the wait, and wine's console reads keys once it
  # has put the terminal into raw mode; a key typed before then would wait for a line end.
  tty=$(tmux -L "$socket" display-message -p '#{pane_tty}')
  for ((i = 0; i < 300; i++)); do
    grep -q 'press Enter' "$dir/out" 2>/dev/null && stty -F "$tty" -a | grep -q -- '-icanon' && break
    sleep 0.1
  done
  sleep 1
  [ -e "$dir/status" ] && fail "ended before a key was pressed"
  tmux -L "$socket" send-keys "$key"
  # Wine can take several seconds to close a process in a new prefix.
  wait_for 600 "$dir/status" || fail "still waiting a minute after the key"
  [ "$(cat "$dir/status" 2>/dev/null)" = 0 ] || fail "status $(cat "$dir/status" 2>/dev/null)"
  [ "$(od -An -tx1 "$dir/out")" = "$expected" ] || fail "the screen differs"
  tmux -L "$socket" kill-server 2>/dev/null
done
echo "$((5 - failures)) passed, $failures failed"
[ "$failures" = 0 ]
