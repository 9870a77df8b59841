#!/usr/bin/env bash
# The program in a real terminal, tmux: the native one, or a Windows one in wine's console.
# The usage screen stands whole before the wait for a key; what should not end the wait does not,
# each key does, with status 0, the terminal's mode as before and no byte left for the shell.
# Natively, a signal that ends the process gives the mode back first, and one that stops it until
# it goes on; an ignored SIGHUP stays ignored, and a screen that cannot be written still waits.
# Under wine, names that only UTF-8 can carry are renamed, one of them over 259 bytes; a failure
# message shows them as they are in the console and in UTF-8 in a file; and a file under System32
# is renamed there, not in SysWOW64.
# Usage: console_test.sh PROGRAM [EMULATOR]
set -u
. "$(dirname "$0")/common.sh"
program=$(realpath "$1") wine=${2:-} && can_run $wine "$program"
dir=$(mktemp -d) runs=0
trap 'for ((; runs > 0; runs--)); do tmux -L "vemblo-keys-$$-$runs" kill-server; done 2>/dev/null
  rm -rf "$dir"' EXIT
screen='\nVemblo, version 1.1 (Build 1) \nStamps a file'"'"'s name with the day'"'"'s date. \n'
screen+='Created 11.02.00 \n\nVemblo [file name] [text] \n'
screen+='        file name - name of the file, being renamed \n'
screen+='        text      - editional text in file name \n\nVemblo  /?        - help \n\n'
screen+='press Enter ...'
# Standard input is a file, which the wait must not read. Wine's console reads the terminal through
# it, and a Windows program writes its own line ends.
export DIR=$dir PROGRAM=$program WINE=$wine INPUT=/etc/passwd
[ -n "$wine" ] && screen=${screen//\\n/\\r\\n} INPUT=/dev/tty
cat >"$dir/run" <<'EOF'
cd "$DIR" && stty -g >before
eval "$1"
eval "(echo \$BASHPID >pid; exec $WINE \"\$PROGRAM\" ${3:-'/?'} <\"\$INPUT\" ${2:->out})"
echo $? >status; stty -g >after; stty raw -echo; timeout --foreground 0.3 cat >rest; mv rest left; exec sleep 60
EOF

# The screen stands whole, unless the output goes elsewhere, and the terminal reads raw.
waiting() {
  { [ -n "$redirect" ] || cmp -s "$dir/out" <(printf "$screen"); } &&
    stty -F "$tty" 2>/dev/null | grep -q -- -icanon
}
# Runs the program in a terminal of its own after the shell words $1, its output going where the
# redirection $2 says, a file by default, with the arguments $3, "/?" by default.
start() {
  socket=vemblo-keys-$$-$((++runs)) redirect=${2:-}
  rm -f "$dir"/{out,pid,status,after,rest,left}
  tmux -L "$socket" new-session -d -x 100 -y 30 "bash '$dir/run' \"${1:-}\" '$redirect' \"${3:-}\""
  tty=$(tmux -L "$socket" display-message -p '#{pane_tty}')
}
# Starts the wait, and waits up to 30 s (wine starts slowly) for it; without it, the rows after
# could show nothing, and the script ends.
start_wait() {
  start "$@" && within 300 waiting && return
  fail "$case" "no wait began: $(od -c "$dir/out" 2>/dev/null | tail -3)" && exit 1
}
# Types bytes written as printf writes them, and 10 ms later those of $2, in one tmux command so
# that no client start comes between; then gives the program a moment to answer.
press() {
  local keys=(send-keys -H $(printf "$1" | od -An -tx1 -v))
  [ -z "${2:-}" ] || keys+=(\; run-shell "sleep 0.01" \; send-keys -H $(printf "$2" | od -An -tx1 -v))
  [ -z "$1" ] || tmux -L "$socket" "${keys[@]}"; sleep 0.1
}
# Waits up to a minute for the program to end with status $1, and checks what it leaves; a
# program that does not end leaves no terminal for the rows after, and the script ends.
finish() {
  within 600 test -e "$dir/left" || { fail "$case" "still running after a minute" && exit 1; }
  [ "$(cat "$dir/status" 2>/dev/null)" = "$1" ] || fail "$case" "status $(cat "$dir/status" 2>/dev/null)"
  [ -n "$wine" ] || cmp -s "$dir/before" "$dir/after" || fail "$case" "mode not given back"
  [ -s "$dir/left" ] && fail "$case" "left for the shell: $(od -c "$dir/left")"
}

# Each row: the locale, what is typed first, which must not end the wait, then the key that does,
# its last part a little later, as a sequence split across two reads over ssh comes.
# Wine's console reads the terminal's bytes into key events of its own.
rows=("||x" "||\r" "||\x03" "||\x1b[A" "||\x1b[15~")
[ -n "$wine" ] || rows+=("C.UTF-8||\x1b" "C.UTF-8||\x1b[1;5D" "C.UTF-8||\x1bOM" "C.UTF-8||\0"
  "C.UTF-8||\x1bOP" "C.UTF-8||\xc3\xa9" "C||\xe2\x82\xac" "C.UTF-8|\x1b[M !!|x"
  "C.UTF-8|\x1b[$(printf '1%.0s' {1..30})~|x" "C.UTF-8|\x1b[<0;12;5M|x" "C.UTF-8||\x1b|[A")
for case in "${rows[@]}"; do
  IFS='|' read -r locale ignored key later <<<"$case"
  start_wait "${locale:+export LC_ALL=$locale}"
  flags=$(stty -F "$tty" -a | tr ' ' '\n' | grep -c -x -e -icrnl -e -ixon -e -echo)
  [ -n "$wine" ] || [ "$flags" = 3 ] || fail "$case" "Enter gives 13, Ctrl+S a key, and no key shows"
  press "$ignored" && [ -e "$dir/status" ] && fail "$case" "ended by what it should ignore"
  press "$key" "$later"
  # Natively the key ends the wait within half a second, a lone Escape too: the rest of a
  # sequence is waited for only a moment.
  [ -n "$wine" ] || within 4 test -e "$dir/status" || fail "$case" "still waiting half a second after the key"
  finish 0
done

if [ -n "$wine" ]; then
  # Runs the program with the arguments $2, standard error going where $3 says, to status $1.
  ends() { start "" "${3:-}" "$2" && finish "$1"; }
  # 116 characters take 348 bytes in UTF-8, but only 116 units in UTF-16.
  long="$(printf '日%.0s' {1..80})/$(printf '本%.0s' {1..36})"
  mkdir "$dir/${long%/*}"
  for case in Zdjęcie.jpg "$long.txt"; do
    echo hello >"$dir/$case" && ends 0 "'$case' 日本"
    [ "$(cat "$dir/${case%.*}"[0-9][0-9][0-9][0-9][0-9][0-9]日本."${case##*.}")" = hello ] || fail "$case" "not renamed"
  done
  # Written to the console as UTF-16, the message shows the names whatever the console's code
  # page; sent to a file, it is UTF-8.
  case=message && ends 2 "'Zdjęcie-brak.jpg' 日本"
  tmux -L "$socket" capture-pane -p -J | grep -q "cannot rename 'Zdjęcie-brak.jpg' to '.*brak[0-9]*日本.jpg'" ||
    fail "$case" "$(tmux -L "$socket" capture-pane -p -J | grep -a vemblo)"
  ends 2 "'Zdjęcie-brak.jpg'" "2>err"
  grep -q "cannot rename 'Zdjęcie-brak.jpg'" "$dir/err" || fail "$case" "$(cat "$dir/err")"
  # On 64-bit Windows a 32-bit program's names under System32 lead to SysWOW64 unless it says no.
  case=System32 windows=${WINEPREFIX:-$HOME/.wine}/drive_c/windows
  for folder in system32 syswow64; do echo "$folder" >"$windows/$folder/vemblo-test-$$"; done
  ends 0 "'C:\\windows\\system32\\vemblo-test-$$'"
  [ "$(cat "$windows/system32/vemblo-test-$$"[0-9]*)" = system32 ] &&
    [ -e "$windows/syswow64/vemblo-test-$$" ] || fail "$case" "another file renamed"
  rm -f "$windows"/sys*/vemblo-test-$$*
  exit $((failures > 0))
fi

for case in TERM HUP INT QUIT USR1 ALRM XFSZ; do
  start_wait && kill -$case "$(cat "$dir/pid")"
  finish $((128 + $(kill -l $case)))
done
case=stop
start_wait && kill -TSTP "$(cat "$dir/pid")"
within 50 eval '[ "$(stty -F "$tty" -g)" = "$(<"$dir/before")" ]' || fail "$case" "raw while stopped"
kill -CONT "$(cat "$dir/pid")" && within 50 waiting
press q && finish 0
case="ignored SIGHUP, closed output"
start_wait "trap '' HUP; exec {closed}> >(:); sleep 0.2" '>&$closed' && kill -HUP "$(cat "$dir/pid")"
press q && finish 0
[ "$failures" = 0 ]
