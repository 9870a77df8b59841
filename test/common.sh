# What the scripts that run the built program share; sourced.
failures=0
fail() { echo "FAIL ($1): $2" && failures=$((failures + 1)); }

# Stops the script at once where it cannot run the program, which without arguments ends with 1.
can_run() { "$1" 2>/dev/null; [ $? = 1 ] || { echo "FAIL: cannot run $1" && exit 1; }; }

# The entries below the current folder, one a line: "name/" a folder, "name=text" a file.
listing() {
  find . -mindepth 1 | LC_ALL=C sort | while read -r entry; do
    [ -d "$entry" ] && echo "${entry#./}/" || echo "${entry#./}=$(cat "$entry")"; done
}
