#!/usr/bin/env bash
# Makes (once per machine) the Debian root in which the Windows DLLs are
# cross-built and tested under Wine, and prints its path.
#   scripts/windows-root.sh           make or re-use the root; print its path
#   scripts/windows-root.sh run DIR CMD...
#                                     run CMD in the root, with DIR bound at
#                                     the same path
# The 32-bit Wine needs i386 packages of exactly its amd64 twins' versions.
# Those are taken into the root, never onto this machine: its dpkg keeps its
# own architectures and its package sources stay as they are.  The root comes
# from the archive this machine's apt already uses, main suite only, and is
# kept under $LUMOSPELL_CACHE (default /var/cache/lumospell), named by its
# package list, so that a changed list makes a new one.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/apt.sh

packages=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 wine32:i386 locales
  xvfb x11-apps imagemagick fonts-vlgothic fonts-wine ca-certificates scowl g++)
cache=${LUMOSPELL_CACHE:-/var/cache/lumospell}

# The first archive of this machine's sources that carries its release's
# main suite: deb822 .sources files and one-line .list files alike.
archive_uri() {
  local codename=$1 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v s="$codename" '
      /^[ \t]*$/ { if (uri != "" && suite && deb) { print uri; exit } uri = ""; suite = 0; deb = 0; next }
      tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
      tolower($1) == "uris:" { uri = $2 }
      tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == s) suite = 1 }
      END { if (uri != "" && suite && deb) print uri }' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -e 's/\[[^]]*\]//' "$f" | awk -v s="$codename" '$1 == "deb" && $3 == s { print $2 }'
  done
}

# Runs a command in ROOT in a mount namespace of its own, so that the
# mounts end with the command whatever happens to it.
in_root() {
  local root=$1 bind=$2
  shift 2
  unshare --mount --propagation private -- bash -euc '
    root=$1 bind=$2; shift 2
    mount --rbind /dev "$root/dev"
    mount -t proc proc "$root/proc"
    mount -t sysfs sys "$root/sys"
    mount -t tmpfs tmpfs "$root/tmp"
    if [ -n "$bind" ]; then
      mkdir -p "$root$bind"
      mount --bind "$bind" "$root$bind"
    fi
    cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
    exec chroot "$root" /usr/bin/env -i -C "${bind:-/}" HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
      PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin "$@"' bash "$root" "$bind" "$@"
}

make_root() {
  local root=$1 codename=$2 uri=$3
  apt_install debootstrap >&2 || { echo "debootstrap cannot be installed" >&2; return 1; }
  rm -rf "$root"
  mkdir -p "$root"
  debootstrap --variant=minbase --components=main "$codename" "$root" "$uri" >&2 ||
    { echo "debootstrap of $codename failed" >&2; return 1; }
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  echo "deb $uri $codename main" >"$root/etc/apt/sources.list"
  in_root "$root" "" bash -euc '
    dpkg --add-architecture i386  # the dpkg of the root: this runs inside it
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
    apt-get clean
    rm -rf /var/lib/apt/lists/*' bash "${packages[@]}" >&2 ||
    { echo "the packages of the Windows root could not be installed" >&2; return 1; }
}

if [ "${1:-}" = run ]; then
  shift
  bind=$1
  shift
  root=$(scripts/windows-root.sh)
  in_root "$root" "$bind" "$@"
  exit
fi

# shellcheck disable=SC1091
. /etc/os-release
codename=${VERSION_CODENAME:?no release codename in /etc/os-release}
uri=$(archive_uri "$codename" | head -n 1)
[ -n "$uri" ] || { echo "no archive for $codename in this machine's apt sources" >&2; exit 1; }
key=$(printf '%s\n' "$codename" "$uri" "${packages[@]}" | sha256sum | cut -c1-16)
root=$cache/windows-root-$key
mkdir -p "$cache"
exec 9>"$cache/windows-root.lock"
flock 9
if [ ! -f "$root.ready" ]; then
  echo "windows-root: making the Debian root for Wine (once per machine) in $root" >&2
  rm -f "$root.ready"
  make_root "$root" "$codename" "$uri" || { rm -rf "$root"; exit 1; }
  touch "$root.ready"
  # Roots of other package lists are stale.
  for old in "$cache"/windows-root-*; do
    case "$old" in "$root" | "$root.ready" | *.lock) ;; *) rm -rf "$old" ;; esac
  done
fi
echo "$root"
