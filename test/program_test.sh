#!/usr/bin/env bash
# The built vemblo where only a process of its own shows what a run does: at the root, in other
# time zones and years, without a terminal, with a closed standard error, with each of its
# file-system calls failing, interrupted or killed in turn, in the calls that keep its guarantees,
# while a directory is made under its dated name, and, on FUSE mounts, while its daemon is stopped,
# beside another run that takes its directory or a client that misreports, and on sshfs, smbnetfs,
# ntfs-3g, rclone and overlayfs. Folders are made below TMPDIR, so that the script can run again on
# another file system.
# Usage: program_test.sh VEMBLO VEMBLO_CLOCK (the program with a clock that VEMBLO_TEST_CLOCK sets)
set -u
. "$(dirname "$0")/common.sh"
vemblo=$(realpath "$1") clocked=$(realpath "$2") && can_run "$vemblo"
# No time zone file to read; a sanitized program cannot look for leaks while it is traced.
export TZ=UTC0 ASAN_OPTIONS=detect_leaks=0
s=$(date +%y%m%d) round=0
top=$(mktemp -d) && cd "$top" || exit 1
trap 'cd / && rm -rf "$top"' EXIT

# The entries that listing gives, on one line, with "~" for a name ".vemblo-aside-PID-N".
asides() { sed 's/\.vemblo-aside-[0-9]*-[0-9]*/~/' | LC_ALL=C sort | paste -sd ' '; }

# Makes a new folder, here, that the commands of setup fill, and goes into it.
folder() { rm -rf here && mkdir here && cd here && eval "$1"; }

# Runs vemblo ARG in a new folder that SETUP fills, after the words that follow (a tracer, an
# environment), and sets status and the entries before and after it, on one line, with "~" for a
# name ".vemblo-aside-PID-N"; after them, what the run's line says past its error, if anything.
# Where WHEN is given, the run goes on beside the script: once the command WHEN holds, or after 3 s,
# THEN is done meanwhile, as another run, a client or a user would. A run beside a script ignores
# Ctrl+C, which env gives back before any tracer starts: a tracer would count env's calls with the
# program's, and a 32-bit program's apart from them. The shell's word on a killed run goes unsaid.
run() {
  folder "$1" && before=$(listing | asides) &&
    { env --default-signal=INT "${@:5}" "$vemblo" "$2" 2>"$top/err" & }
  [ -z "$3" ] || { within 30 eval "$3"; eval "$4"; }; wait $! 2>/dev/null
  status=$? after="$(listing | asides)$(sed -n 's/.*error//p' "$top/err" | asides)" && cd ..
}

# The root's own name is "/", which must not be doubled, and the root stays as it is.
[ "$(cd / && "$vemblo" none 2>&1)" = "vemblo: cannot rename 'none' to '/none$s': No such file or directory" ] &&
  [[ $(cd / && "$vemblo" / 2>&1) == "vemblo: cannot rename '/' to '/$s': "* ]] || fail root "name"

# The stamp is the local date, past 2038 on 32-bit systems too: 2041-03-14 23:00 UTC is the 15th
# east of UTC and the 14th west of it. A clock that cannot be read stamps nothing, not 1970.
for row in "UTC-14 2246914800 a410315" "UTC+12 2246914800 a410314" "UTC0 fail a"; do
  read -r zone clock renamed <<<"$row"
  vemblo=$clocked run "echo a > a" a "" "" env TZ="$zone" VEMBLO_TEST_CLOCK="$clock"
  [ "$after" = "$renamed=a" ] || fail "the clock at $clock in $zone" "$after"
done
# A file past 4 GiB, which a 32-bit system can look at only with 64-bit offsets.
(folder "truncate -s 5G big" && "$vemblo" big && [ -e "big$s" ]) || fail "a file past 4 GiB" "$(ls)"

# Without a terminal the usage screen waits for no key.
timeout 10 setsid "$vemblo" '/?' </dev/null >/dev/null || fail "no terminal" "status $?"

# A closed standard error, as in "vemblo missing 2>&1 | true", does not end the run before its status.
exec {closed}> >(:) && sleep 0.2 && { "$vemblo" missing 2>&"$closed"; [ $? = 2 ]; } || fail "closed stderr"

# Each file-system call of a run fails in turn, and each rename of a file claims to be done and
# does nothing, as between two names of one file: the run then changes nothing and ends with
# status 2, or renames with status 0. Ctrl+C at each call ends the run with status 130 once its
# steps are done, with nothing changed or renamed. SIGKILL at each call leaves the folder as before,
# as renamed, or in a state the README names, with "~" for a name ".vemblo-aside-PID-N": on a local
# disk the first, elsewhere the second list of states. Calls before the first that asks for the
# current directory start the program. Each route: what the folder holds, the argument, what it
# holds after, and the states that SIGKILL may leave.
case $(stat -f -c %T "$top") in ext2/ext3 | xfs | btrfs | tmpfs | f2fs | overlayfs) local=1 ;; esac
for route in "echo a > a|a|a$s=a||~=a" "echo a > a; echo b > a$s|a|a$s=a||a$s=b ~=a" \
  "echo a > a; ln a a$s|a|a$s=a|a$s=a ~=a|a$s=a ~=a" "mkdir d; echo i > d/in|d|d$s/ d$s/in=i||~/ ~/in=i;d$s/ ~/ ~/in=i" \
  "mkdir d; echo i > d/in; echo b > d$s|d|d$s/ d$s/in=i|d$s/ d$s/in=i d=b|d$s=b ~/ ~/in=i;~/ ~/in=i ~=b;d$s/ ~/ ~/in=i ~=b;d$s/ d$s/in=i ~=b"; do
  IFS='|' read -r setup arg renamed on_disk elsewhere <<<"$route"
  run "$setup" "$arg" "" "" strace -qq -o "$top/calls" -e trace=%file,getcwd
  faults=() && declare -A count=()
  while read -r line; do
    call=${line%%(*} && count[$call]=$((${count[$call]:-0} + 1))
    [ ${#faults[@]} -gt 0 ] || [ "$call" = getcwd ] || continue
    for signal in INT KILL; do faults+=("inject=$call:signal=SIG$signal:when=${count[$call]}"); done
    faults+=("inject=$call:error=EIO:when=${count[$call]}")
    [[ $call$arg =~ ^rename(at)?a$ ]] && faults+=("inject=$call:retval=0:when=${count[$call]}")
  done <"$top/calls"
  [ ${#faults[@]} -gt 3 ] || fail "$route" "too few calls"
  [ -n "${local:-}" ] && crashed=$on_disk || crashed=$elsewhere
  for fault in "${faults[@]}"; do
    run "$setup" "$arg" "" "" strace -qq -o /dev/null -e "$fault"
    [[ $fault == *SIGINT* ]] && done=130 failed=130 || done=0 failed=2
    [[ $fault == *SIGKILL* ]] && done=137 failed=137 left=$crashed || left=
    states=";$done $renamed;$failed $before${left:+;137 ${left//;/;137 }}"
    [[ "$states;" == *";$status $after;"* ]] || fail "$fault" "$status $after"
  done
done

# What only racing runs would show, read from the calls of one run: a file is replaced by a
# rename that replaces, with no unlink before it, and on a local disk by that rename alone; and a
# diagnostic line of up to PIPE_BUF bytes goes out in one write.
trace() { run "$1" "$2" "" "" strace -qq -o "$top/calls" -e "trace=$3" && cat "$top/calls"; }
calls=$(trace "echo a > a; echo b > a$s" a '/^(rename|unlink)')
[[ $(tail -n 1 <<<"$calls") == rename*"/a$s\") = 0" ]] && ! grep -q ^unlink <<<"$calls" &&
  { [ -z "${local:-}" ] || [ "$(wc -l <<<"$calls")" = 1 ]; } || fail guarantees "$calls"
# A name of 1,900 bytes, twice in the line with its folder, makes about 3,900 of PIPE_BUF's 4,096.
[ "$(trace : "$(printf 'x%.0s' {1..1900})" write | grep -c .)" = 1 ] || fail guarantees "a long line"

# Runs vemblo ARG (d where none is given) as run does, with the fault or the delay that strace
# injects, if any, and WHEN and THEN; WANT is the status and what follows it.
held() {
  run "$1" "${6:-d}" "$3" "$4" ${2:+strace -qq -o /dev/null -e inject=$2}
  [ "$status $after" = "$5" ] || fail "$1, $2, $4" "$status $after"
}

# Some sandboxes deny renameat2 with EPERM: the run takes the way without it.
held "mkdir d; echo i > d/in" renameat2:error=EPERM "" "" "0 d$s/ d$s/in=i"

# A look that hangs, as on a mount whose server is gone, ends at once on Ctrl+C: nothing has changed
# yet. The name is made behind the mount, so that the look must ask the daemon, which is stopped
# as the run starts and goes on once Ctrl+C has ended it. qemu-user catches every signal for the
# program it runs, which the kernel then lets wait like any other.
if [ -n "${VEMBLO_FUSE_PID:-}" ] && [ -z "${VEMBLO_EMULATED:-}" ]; then
  run 'echo a >"$VEMBLO_BACKING${PWD#"$TMPDIR"}/a"' a \
    "grep -q 'T (stopped)' /proc/$VEMBLO_FUSE_PID/status" \
    'sleep 0.3; kill -INT $! && sleep 0.5; kill -CONT $VEMBLO_FUSE_PID' \
    sh -c 'kill -STOP $VEMBLO_FUSE_PID && exec "$@"' sh
  [ "$status $after" = "130 a=a" ] || fail "hanging look" "$status $after"
fi

if [ -n "${VEMBLO_BACKING:-}" ]; then
  # Through an SMB client, another run can take the directory from a run's own name and put it in
  # the file's place, as this does while the run waits to place it: the run then lets the file
  # that it moved aside go, and nothing is left behind.
  held "mkdir d; echo i > d/in; echo b > d$s" '/^mkdir(at)?$:delay_enter=600000' \
    '[ "$(ls -A | grep -c aside)" = 2 ]' 'mv "$(find . -name ".vemblo-*" -type d)" "d$s"' "2 d$s/ d$s/in=i"
  # A client may move the directory into its placeholder and yet report that the rename failed:
  # the placeholder, which holds the directory now, stays.
  held "mkdir d" '/^rename(at)?$:error=EIO:delay_enter=600000:when=2' "[ -d d$s ]" \
    "mv -T .vemblo-aside-* d$s" "2 d$s/"
  # A directory that cannot be placed over a file goes back, and the file that it was to replace
  # does too, at the second try if need be. Where that fails as well, the line says where it is.
  setup="mkdir d; echo i > d/in; echo b > d$s"
  held "$setup" '/^rename(at)?$:error=EIO:when=3..4' "" "" "2 d/ d/in=i d$s=b"
  held "$setup" '/^rename(at)?$:error=EIO:when=3..5' "" "" \
    "2 d/ d/in=i ~=b; '$top/here/d$s' is now '$top/here/~'"
  # An SMB client refuses as busy, for a moment, to rename a file that the run has just read, or
  # over it: the rename is tried again.
  held "echo a > a; echo b > a$s" '/^rename(at)?$:error=EBUSY:when=2' "" "" "0 a$s=a" a
fi

# A directory made under the dated name while a run waits to rename a directory there is not
# replaced, also where the file system refuses the flag that says so.
held "mkdir d" '/^rename(at2?)?$:delay_enter=1000000:when=1' "sleep 0.3" "mkdir d$s" "2 d/ d$s/"

# On the mounts that VEMBLO_MOUNTS holds: runs vemblo ARG at once through each mount that MOUNTS
# names, in a new folder that SETUP has filled behind them, where no client's cache has seen it.
# One run renames (through SMB clients, which rename by handle, one or more), the folder then holds
# RENAMED, and the others fail; or where RENAMED is "same", every run fails and changes nothing.
# The folder is read behind the mounts, or through VIEW.
row() {
  local backing=$1 mounts=$2 setup=$3 arg=$4 renamed=$5 folder=r$((++round)) view=${6:-$1}
  local once='^02*$' && [[ $mounts == smb* ]] && once='^0+2*$'
  mkdir "$backing/$folder" && (cd "$backing/$folder" && eval "$setup")
  [ "$renamed" = same ] && renamed=$(cd "$view/$folder" && listing | asides) once='^2+$'
  for mount in $mounts; do (cd "$mount/$folder" && "$vemblo" "$arg" 2>/dev/null; echo $?) & done >st
  wait
  local statuses=$(sort st | tr -d '\n') after=$(cd "$view/$folder" && listing | asides)
  [[ $statuses =~ $once ]] && [ "$after" = "$renamed" ] || fail "$mounts: $setup" "$statuses, $after"
}
if [ -n "${VEMBLO_MOUNTS:-}" ] && cd "$VEMBLO_MOUNTS"; then
  one=smb1/127.0.0.1/share two=smb2/127.0.0.1/share
  # A second name of the argument that goes while the run holds the argument under its own name,
  # as where another run's client deleted the file there to rename over it, is no longer a name
  # that the argument could lose, and the argument takes its place. It is made on the server.
  server=$PWD/smb/share && cd "$one" && held "(cd $server/here && echo a > a && ln a a$s)" \
    '/^rename(at)?$:delay_exit=600000:when=1' "[ ! -e a ]" "rm a$s" "0 a$s=a" a
  # A link on the server, which the client shows as the file it leads to, is no file to replace;
  # the link goes back once the client lets it.
  held "(cd $server/here && echo a > a$s && ln -s a$s a)" '/^rename(at)?$:error=EBUSY:when=2' "" "" \
    "2 a$s=a a=a" a
  cd "$VEMBLO_MOUNTS"
  # A dated name past 255 bytes is refused before any look asks for it, after which the client
  # would answer nothing but "Input/output error" until mounted again.
  long=$(printf 'x%.0s' {1..250})
  row smb/share $one "echo a > $long" "$long" same
  # sshfs numbers each name on its own, so that two names of one file cannot be told from two.
  row ssh-files ssh "echo a > a; ln a a$s" a same
  row smb/share $one "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
  # Identical runs, three through each of two clients; through sshfs and ntfs-3g, the one mount.
  for time in {1..10}; do
    row ssh-files "ssh ssh ssh" "echo a > a" a "a$s=a"
    row ssh-files "ssh ssh ssh" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
    row ntfs "ntfs ntfs ntfs" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
    row smb/share "$one $one $one $two $two $two" "echo a > a" a "a$s=a"
    row smb/share "$one $one $one $two $two $two" "echo a > a; echo b > a$s" a "a$s=a"
  done
  # rclone refuses to rename onto an empty directory, and so to replace one: a directory is renamed
  # there without a placeholder, once of identical runs.
  row rclone-files "rclone rclone rclone" "mkdir d; echo i > d/in" d "d$s/ d$s/in=i"
  row rclone-files "rclone rclone rclone" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
  # On overlayfs, a file of the lower layer is renamed over another in one step; a directory
  # there is refused, as the kernel refuses it.
  row overlay-lower overlay "echo a > a; echo b > a$s" a "a$s=a" overlay
  row overlay-lower overlay "mkdir d; echo i > d/in" d same overlay
  (cd overlay && [ "$(trace "echo a > a; echo b > a$s" a /^rename | wc -l)" = 1 ]) || fail overlay renames
fi
[ "$failures" = 0 ]
