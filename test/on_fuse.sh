#!/usr/bin/env bash
# The folder rows and program_test.sh again, in folders on a FUSE file system that refuses the flags
# of renameat2, as NFS and SMB do: bindfs over a temporary folder. Needs root, /dev/fuse and
# bindfs, and skips (status 77) without them unless VEMBLO_TEST_REQUIRE_ALL is set.
# Usage: on_fuse.sh VEMBLO_TESTS VEMBLO VEMBLO_CLOCK
set -u
if [ "$(id -u)" != 0 ] || [ ! -c /dev/fuse ] || ! command -v bindfs >/dev/null; then
  echo "a FUSE mount needs root, /dev/fuse and bindfs"
  [ -n "${VEMBLO_TEST_REQUIRE_ALL:-}" ] && exit 1 || exit 77
fi
dir=$(mktemp -d)
mkdir "$dir/folder" "$dir/fuse"
trap 'umount "$dir/fuse"; rm -rf "$dir"' EXIT
bindfs -f "$dir/folder" "$dir/fuse" &
for try in {1..50}; do mountpoint -q "$dir/fuse" && break; sleep 0.1; done
mountpoint -q "$dir/fuse" || exit 1
# The folder behind the mount, where another client's changes go unseen by its cache for a while,
# and the daemon, which stops answering when stopped, as a server that is gone.
export TMPDIR=$dir/fuse VEMBLO_BACKING=$dir/folder VEMBLO_FUSE_PID=$!
"$1" --gtest_filter='Command.*' && bash "$(dirname "$0")/program_test.sh" "$2" "$3"
