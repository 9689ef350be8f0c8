# Debian packages for the scripts. Sourced.
#   apt_install [--no-recommends] PACKAGE...  installs those not installed
#       yet (apt-get update first) and does nothing when all are there
#   apt_get ARGS...  apt-get as root (through sudo when not root)
#   as_root CMD...   any command as root
# Test stages run side by side, so every apt-get of ours takes one lock:
# apt's own locks make a second apt-get fail at once rather than wait.

as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

apt_get() {
  as_root env DEBIAN_FRONTEND=noninteractive flock /tmp/quillwave2k-apt.lock \
    apt-get -o DPkg::Lock::Timeout=900 "$@"
}

apt_missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

apt_install() {
  local opts=() missing
  if [ "${1:-}" = --no-recommends ]; then
    opts=(--no-install-recommends)
    shift
  fi
  mapfile -t missing < <(apt_missing "$@")
  [ "${#missing[@]}" -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  apt_get update
  apt_get install -y "${opts[@]}" "${missing[@]}"
}
