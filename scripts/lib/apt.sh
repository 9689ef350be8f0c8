# Debian packages for the scripts. Sourced. apt_install [--no-recommends]
# PACKAGE... installs those not installed yet (apt-get update first, through
# sudo when not root) and does nothing when all are there.

apt_missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

apt_install() {
  local opts=() sudo_cmd=() missing
  if [ "${1:-}" = --no-recommends ]; then
    opts=(--no-install-recommends)
    shift
  fi
  mapfile -t missing < <(apt_missing "$@")
  [ "${#missing[@]}" -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${opts[@]}" \
    -o DPkg::Lock::Timeout=900 "${missing[@]}"
}

# Runs a command as root: directly when root, otherwise through sudo.
as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}
