# The whole test suite inside a Debian 13 (trixie) root beside the machine's own system: GNOME
# Shell 48, KWin 6.3, Qt 6.8 and GCC 14, which Debian 12 does not have. Sourced by scripts/test.
#
# The root is made once with debootstrap into .debian13-root/ (git ignores it) and reused. Every
# run copies the working tree (what git does not ignore) into the root's /src, mounts /proc, /sys and /dev into it, runs scripts/test there, and unmounts them
# again on every way out, a failure or Ctrl-C included. The build stays in the root's
# /src/build, so a second run builds only what changed. The benchmarks are left out there: they
# are measured on the machine's own system.

debian13_root="$PWD/.debian13-root"
# The root's downloaded packages are kept outside it, so that a root made anew (in a fresh clone,
# say) installs from them instead of downloading about 660 MB again. Only a cache: without it,
# everything is downloaded.
debian13_packages="${PLIMSETT_DEBIAN13_PACKAGES:-/var/cache/plimsett/debian13-packages}"
debian13_mounts=()

debian13_unmount() {
  local i
  for ((i = ${#debian13_mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${debian13_mounts[$i]}" 2>/dev/null || umount -R -l "${debian13_mounts[$i]}" 2>/dev/null || true
  done
  debian13_mounts=()
}

debian13_mount() {
  local kind=$1 what=$2 target="$debian13_root$3"
  if [ "$kind" = proc ]; then
    mount -t proc proc "$target"
  else
    mount --rbind "$what" "$target"
    mount --make-rslave "$target"
  fi
  debian13_mounts+=("$target")
}

debian13_tools() {
  if ! command -v debootstrap >/dev/null || ! command -v rsync >/dev/null; then
    echo "Installing: debootstrap rsync"
    DEBIAN_FRONTEND=noninteractive apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap debian-archive-keyring rsync
  fi
}

debian13_make_root() {
  [ -e "$debian13_root/.plimsett-root" ] && return 0
  if [ -e "$debian13_root" ]; then
    echo "$debian13_root is there but was not finished by this script; remove it and run again." >&2
    return 1
  fi
  # Made aside and moved into place whole, so that an interrupted debootstrap leaves no half root
  # that a later run would take for a finished one.
  local partial="$debian13_root.partial"
  rm -rf "$partial"
  echo "Making the Debian 13 root in $debian13_root"
  mkdir -p "$debian13_packages"
  debootstrap --variant=minbase --cache-dir="$debian13_packages" trixie "$partial" \
    http://deb.debian.org/debian
  touch "$partial/.plimsett-root"
  mv "$partial" "$debian13_root"
}

debian13_copy_tree() {
  # Only the files whose content changed are copied, and they get the time of the copy: a build
  # in the root then sees what changed, whatever times the files have here.
  mkdir -p "$debian13_root/src"
  rsync -rlc --delete --filter=':- .gitignore' --exclude=/.git/ "$PWD/" "$debian13_root/src/"
}

debian13_run() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/test --debian13 needs root (debootstrap, mount and chroot)." >&2
    return 1
  fi
  debian13_tools
  debian13_make_root
  trap debian13_unmount EXIT
  trap 'debian13_unmount; exit 130' INT TERM
  debian13_copy_tree
  cp /etc/resolv.conf "$debian13_root/etc/resolv.conf"
  debian13_mount proc proc /proc
  debian13_mount bind /sys /sys
  debian13_mount bind /dev /dev
  mkdir -p "$debian13_packages"
  debian13_mount bind "$debian13_packages" /var/cache/apt/archives
  local status=0
  chroot "$debian13_root" /usr/bin/env -i \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
    PLIMSETT_KEEP_GNOME_BENCH="${PLIMSETT_KEEP_GNOME_BENCH:-}" \
    PLIMSETT_TOPBAR_SCREENSHOT="${PLIMSETT_TOPBAR_SCREENSHOT:-}" \
    /bin/bash -c 'cd /src && scripts/test -DPLIMSETT_BUILD_BENCH=OFF "$@"' scripts/test "$@" ||
    status=$?
  # The top-bar picture, asked for by a path in the tree (docs/topbar-menu-gnome48.png), comes
  # back out of the root's copy of the tree.
  local picture="${PLIMSETT_TOPBAR_SCREENSHOT:-}"
  if [ -n "$picture" ] && [ "${picture#/}" = "$picture" ] && [ -f "$debian13_root/src/$picture" ]; then
    mkdir -p "$(dirname "$picture")"
    cp "$debian13_root/src/$picture" "$picture"
    echo "Copied $picture out of the Debian 13 root."
  fi
  debian13_unmount
  trap - EXIT INT TERM
  return "$status"
}
