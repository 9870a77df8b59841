#!/usr/bin/env bash
# The built vemblo on file systems as people mount them through FUSE: sshfs from an sshd of its
# own, smbnetfs, an SMB client, twice over one share of a samba server of its own, both served
# from this machine, and ntfs-3g on an image. Each kind of entry is renamed on each mount,
# identical runs race, through both SMB clients at once, and nothing may be lost or left behind.
# Needs root, /dev/fuse and the packages tools/run-tests installs; skips (status 77) without them
# unless VEMBLO_TEST_REQUIRE_ALL is set.
# Usage: mounts_test.sh VEMBLO
set -u
vemblo=$(realpath "$1")
"$vemblo" 2>/dev/null
[ $? = 1 ] || { echo "FAIL: cannot run $1" && exit 1; }
missing=$(for tool in sshd sshfs smbd smbnetfs smbpasswd ntfs-3g mkntfs; do
  command -v "$tool" "/usr/sbin/$tool" >/dev/null || echo "$tool"; done)
if [ "$(id -u)" != 0 ] || [ ! -c /dev/fuse ] || [ -n "$missing" ]; then
  echo "the mounts need root, /dev/fuse, and" $missing
  [ -n "${VEMBLO_TEST_REQUIRE_ALL:-}" ] && exit 1 || exit 77
fi
export TZ=UTC0
s=$(date +%y%m%d)
top=$(mktemp -d) && cd "$top" || exit 1
mkdir -p ssh smb/share ssh-back mounts/ssh mounts/smb1 mounts/smb2 mounts/ntfs home/.smb
cleanup() {
  for mount in mounts/*; do umount "$mount" 2>/dev/null; done
  [ -f ssh/pid ] && kill "$(cat ssh/pid)"
  [ -f smb/smbd.pid ] && kill "$(cat smb/smbd.pid)"
  cd / && rm -rf "$top"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL ($1): $2" && failures=$((failures + 1)); }

# An sshd on a free port of 127.0.0.1 that lets root in with a key of its own.
port=$((20000 + RANDOM % 20000))
ssh-keygen -q -t ed25519 -N '' -f ssh/host && ssh-keygen -q -t ed25519 -N '' -f ssh/user
cp ssh/user.pub ssh/keys
cat >ssh/config <<EOF
ListenAddress 127.0.0.1:$port
HostKey $top/ssh/host
AuthorizedKeysFile $top/ssh/keys
PermitRootLogin prohibit-password
StrictModes no
PidFile $top/ssh/pid
Subsystem sftp internal-sftp
EOF
mkdir -p /run/sshd && /usr/sbin/sshd -f ssh/config || exit 1
sshfs -p "$port" -o "IdentityFile=$top/ssh/user,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
  "root@127.0.0.1:$top/ssh-back" mounts/ssh || { fail sshfs "no mount" && exit 1; }

# A samba server on port 445 of 127.0.0.1, where SMB clients look, with one share, and two smbnetfs
# clients of it.
cat >smb/smb.conf <<EOF
[global]
server role = standalone server
interfaces = lo
bind interfaces only = yes
disable netbios = yes
smb ports = 445
pid directory = $top/smb
lock directory = $top/smb
state directory = $top/smb
cache directory = $top/smb
private dir = $top/smb
log file = $top/smb/log
[share]
path = $top/smb/share
read only = no
EOF
if (exec 3<>/dev/tcp/127.0.0.1/445) 2>/dev/null; then fail smbd "port 445 is taken" && exit 1; fi
smbd -D -s smb/smb.conf && printf 'pw\npw\n' | smbpasswd -c smb/smb.conf -s -a root >/dev/null || exit 1
# A client that finds no server yet remembers that for a while.
for try in {1..50}; do (exec 3<>/dev/tcp/127.0.0.1/445) 2>/dev/null && break; sleep 0.2; done
printf 'auth "127.0.0.1" "root" "pw"\nhost 127.0.0.1 visible=true\n' >home/.smb/smbnetfs.conf
chmod 600 home/.smb/smbnetfs.conf
for client in smb1 smb2; do
  HOME=$top/home smbnetfs "mounts/$client" || exit 1
  for try in {1..50}; do [ -d "mounts/$client/127.0.0.1/share" ] && break; sleep 0.2; done
  [ -d "mounts/$client/127.0.0.1/share" ] || { fail "$client" "no share" && exit 1; }
done

# ntfs-3g on an image of its own, which it mounts as it would a disk.
truncate -s 32M ntfs.img && mkntfs -q -F ntfs.img 2>/dev/null && ntfs-3g ntfs.img mounts/ntfs || exit 1

# The entries below the current folder, one a line: "name/" a folder, "name=text" a file.
listing() {
  find . -mindepth 1 | LC_ALL=C sort | while read -r entry; do
    [ -d "$entry" ] && echo "${entry#./}/" || echo "${entry#./}=$(cat "$entry")"
  done
}

# The routes on each mount, each in a new folder made behind the mount, where no client's cache
# has seen it: what the folder holds, the argument, and what it holds after, or "same" where
# the run may refuse with nothing changed. sshfs numbers each name on its own, so that two names
# of one file cannot be told apart from two files.
round=0
check() {
  local backing=$1 mount=$2 setup=$3 arg=$4 renamed=$5
  round=$((round + 1)) && mkdir "$backing/r$round" && (cd "$backing/r$round" && eval "$setup")
  before=$(cd "$backing/r$round" && listing)
  (cd "$mount/r$round" && "$vemblo" "$arg" 2>/dev/null)
  status=$? after=$(cd "$backing/r$round" && listing)
  { [ $status = 0 ] && [ "$after" = "${renamed// /$'\n'}" ]; } ||
    { [ $status = 2 ] && [ "$after" = "$before" ] && [ "$renamed" = same ]; } ||
    fail "$mount $setup" "status $status, $after"
}
smb=smb/share ssh=ssh-back
check $ssh mounts/ssh "echo a > a" a "a$s=a"
check $ssh mounts/ssh "echo a > a; echo b > a$s" a "a$s=a"
check $ssh mounts/ssh "echo a > a; ln a a$s" a same
check $ssh mounts/ssh "mkdir d; echo i > d/in" d "d$s/ d$s/in=i"
check $ssh mounts/ssh "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
check $ssh mounts/ssh "echo a > a$s; ln -s a$s a" a same
check mounts/ntfs mounts/ntfs "echo a > a; ln a a$s" a "a$s=a"
check mounts/ntfs mounts/ntfs "echo a > a$s; ln -s a$s a" a same
check $smb mounts/smb1/127.0.0.1/share "echo a > a; echo b > a$s" a "a$s=a"
# A link on the server, which the client shows as the file it leads to, is no file to rename
# over that file.
check $smb mounts/smb1/127.0.0.1/share "echo a > a$s; ln -s a$s a" a same
check $smb mounts/smb1/127.0.0.1/share "mkdir d; echo i > d/in" d "d$s/ d$s/in=i"
check $smb mounts/smb1/127.0.0.1/share "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"

# Identical runs, three through each of two clients: one renames, the rest fail, and the file is
# neither lost nor left under another name. Through sshfs and ntfs-3g, both are the one mount.
race() {
  local backing=$1 one=$2 two=$3 setup=$4 arg=$5 renamed=$6
  round=$((round + 1)) && mkdir "$backing/r$round" && (cd "$backing/r$round" && eval "$setup")
  for run in 1 2 3; do
    for mount in "$one" "$two"; do (cd "$mount/r$round" && "$vemblo" "$arg" 2>/dev/null; echo $?) & done
  done >"$top/statuses"
  wait
  statuses=$(sort "$top/statuses" | tr -d '\n') after=$(cd "$backing/r$round" && listing)
  [ "$statuses" = 022222 ] && [ "$after" = "${renamed// /$'\n'}" ] ||
    fail "identical runs on $one: $setup" "$statuses, $after"
}
for time in {1..10}; do
  race $ssh mounts/ssh mounts/ssh "echo a > a" a "a$s=a"
  race $ssh mounts/ssh mounts/ssh "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
  race $smb mounts/smb1/127.0.0.1/share mounts/smb2/127.0.0.1/share "echo a > a" a "a$s=a"
  race $smb mounts/smb1/127.0.0.1/share mounts/smb2/127.0.0.1/share "echo a > a; echo b > a$s" a "a$s=a"
  race mounts/ntfs mounts/ntfs mounts/ntfs "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
done
[ "$failures" = 0 ]
