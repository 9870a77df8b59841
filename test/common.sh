# What the scripts that run the built program share; sourced.
failures=0
fail() { echo "FAIL ($1): $2" && failures=$((failures + 1)); }

# Stops the script at once where it cannot run the program, after its emulator if one is given,
# which without arguments ends with 1.
can_run() { "$@" </dev/null >/dev/null 2>&1; [ $? = 1 ] || { echo "FAIL: cannot run $*" && exit 1; }; }

# True once the command holds, within $1 tenths of a second.
within() { for ((i = 0; i < $1; i++)); do "${@:2}" && return || sleep 0.1; done && false; }

# The entries below the current folder, one a line: "name/" a folder, "name=text" a file.
listing() {
  find . -mindepth 1 | LC_ALL=C sort | while read -r entry; do
    [ -d "$entry" ] && echo "${entry#./}/" || echo "${entry#./}=$(cat "$entry")"; done
}
