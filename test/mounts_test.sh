#!/usr/bin/env bash
# The built vemblo on file systems as people mount them through FUSE, which tools/serve-mounts
# serves from this machine: sshfs; smbnetfs, an SMB client, twice over one share; and ntfs-3g.
# Entries are renamed on each, identical runs race, through both SMB clients at once, and nothing
# may be lost or left behind. Needs root, /dev/fuse and the packages tools/run-tests installs;
# skips (status 77) without them unless VEMBLO_TEST_REQUIRE_ALL is set.
# Usage: mounts_test.sh VEMBLO
set -u
. "$(dirname "$0")/common.sh"
vemblo=$(realpath "$1") && can_run "$vemblo"
serve=$(realpath "$(dirname "$0")/../tools/serve-mounts")
for tool in sshfs smbd smbnetfs ntfs-3g; do command -v $tool >/dev/null || missing+=" $tool"; done
if [ "$(id -u)" != 0 ] || [ ! -c /dev/fuse ] || [ -n "${missing:-}" ]; then
  echo "the mounts need root, /dev/fuse, and${missing:-}"
  [ -n "${VEMBLO_TEST_REQUIRE_ALL:-}" ] && exit 1 || exit 77
fi
export TZ=UTC0
s=$(date +%y%m%d)
top=$(mktemp -d) && cd "$top" || exit 1
trap '"$serve" --stop "$top"; cd / && rm -rf "$top"' EXIT
"$serve" "$top" || exit 1

# Runs vemblo ARG at once through each mount that MOUNTS names, in a new folder that SETUP has
# filled behind them, where no client's cache has seen it. One run renames, the folder then holds
# RENAMED, and the others fail; or where RENAMED is "same", every run fails and changes nothing.
round=0
row() {
  local backing=$1 mounts=$2 setup=$3 arg=$4 renamed=$5 folder=r$((++round))
  mkdir "$backing/$folder" && (cd "$backing/$folder" && eval "$setup")
  local before=$(cd "$backing/$folder" && listing)
  for mount in $mounts; do (cd "$mount/$folder" && "$vemblo" "$arg" 2>/dev/null; echo $?) & done >statuses
  wait
  local statuses=$(sort statuses | tr -d '\n') after=$(cd "$backing/$folder" && listing)
  { [[ $statuses =~ ^02*$ ]] && [ "$after" = "${renamed// /$'\n'}" ]; } ||
    { [[ $statuses =~ ^2+$ ]] && [ "$renamed" = same ] && [ "$after" = "$before" ]; } ||
    fail "$mounts: $setup" "$statuses, $after"
}
smb=(smb/share smb1/127.0.0.1/share)
# sshfs numbers each name on its own, so that two names of one file cannot be told from two files.
row ssh-files ssh "echo a > a; ln a a$s" a same
# A link on the server, which the client shows as the file it leads to, is no file to replace.
row "${smb[@]}" "echo a > a$s; ln -s a$s a" a same
row "${smb[@]}" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
# Identical runs, three through each of two clients; through sshfs and ntfs-3g, the one mount.
smbs="${smb[1]} ${smb[1]} ${smb[1]} ${smb[1]/smb1/smb2} ${smb[1]/smb1/smb2} ${smb[1]/smb1/smb2}"
for time in {1..10}; do
  row ssh-files "ssh ssh ssh" "echo a > a" a "a$s=a"
  row ssh-files "ssh ssh ssh" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
  row ntfs "ntfs ntfs ntfs" "mkdir d; echo i > d/in; echo b > d$s" d "d$s/ d$s/in=i"
  row smb/share "$smbs" "echo a > a" a "a$s=a"
  row smb/share "$smbs" "echo a > a; echo b > a$s" a "a$s=a"
done
[ "$failures" = 0 ]
