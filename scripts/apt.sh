# Sourced by the scripts that install Debian packages.
#   apt_install PACKAGE...   installs what is missing; a failed index update
#                            is only a warning, the install decides
# A package that cannot be had is named with the reason.
apt_sudo=""
[ "$(id -u)" -eq 0 ] || apt_sudo="sudo"

apt_get() {
  DEBIAN_FRONTEND=noninteractive $apt_sudo apt-get -o DPkg::Lock::Timeout=600 "$@"
}

apt_missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

apt_install() {
  local missing
  mapfile -t missing < <(apt_missing "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  # One broken index (another architecture's, a security suite's) must not
  # stop packages that the other indexes hold.
  apt_get update -qq || echo "warning: apt-get update failed; installing from the indexes there are" >&2
  apt_get install -y -qq --no-install-recommends "${missing[@]}" && return 0
  local p candidate
  for p in "${missing[@]}"; do
    candidate=$(apt-cache policy "$p" 2>/dev/null | awk '/Candidate:/ {print $2}')
    if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then
      echo "error: package $p cannot be had: no installation candidate in this machine's package sources" >&2
    fi
  done
  echo "error: apt-get install failed for: ${missing[*]}" >&2
  return 1
}
