#!/usr/bin/env bash
# The folder rows and program_test.sh again, on FUSE file systems, which refuse the flags of
# renameat2 as NFS and SMB do: in folders on bindfs, and with the mounts of sshfs, smbnetfs,
# ntfs-3g, rclone and overlayfs beside it, all of which tools/serve-mounts serves. Needs root,
# /dev/fuse and the packages tools/run-tests installs; skips (status 77) without them unless
# VEMBLO_TEST_REQUIRE_ALL is set.
# Usage: on_fuse.sh VEMBLO_TESTS VEMBLO VEMBLO_CLOCK
set -u
for tool in bindfs sshfs smbd smbnetfs ntfs-3g rclone; do command -v $tool >/dev/null || missing+=" $tool"; done
if [ "$(id -u)" != 0 ] || [ ! -c /dev/fuse ] || [ -n "${missing:-}" ]; then
  echo "the FUSE mounts need root, /dev/fuse, and${missing:-}"
  [ -n "${VEMBLO_TEST_REQUIRE_ALL:-}" ] && exit 1 || exit 77
fi
serve=$(realpath "$(dirname "$0")/../tools/serve-mounts")
dir=$(mktemp -d) && trap '"$serve" --stop "$dir"; rm -rf "$dir"' EXIT && "$serve" "$dir" || exit 1
# The folder behind the bindfs mount, where another client's changes go unseen by its cache for a
# while, and the daemon, which stops answering when stopped, as a server that is gone.
export TMPDIR=$dir/bindfs VEMBLO_BACKING=$dir/bindfs-files VEMBLO_MOUNTS=$dir \
  VEMBLO_FUSE_PID="$(cat "$dir/bindfs.pid")"
"$1" --gtest_filter='Command.*' && bash "$(dirname "$0")/program_test.sh" "$2" "$3"
