# What the browser stages share. Sourced from the repository's root.
# web_prepare PACKAGE...: installs node, npm and the engine's Debian
# packages (without their recommended ones), builds build-web/dist and
# qz_frames, and installs tests/web's pinned drivers when their lockfile
# changed.
# web_check ENGINE [--whole]: runs tests/web/check.mjs in that engine.

. scripts/lib/apt.sh

web_prepare() {
  local need=("$@")
  command -v node >/dev/null 2>&1 || need+=(nodejs)
  command -v npm >/dev/null 2>&1 || need+=(npm)
  apt_install --no-recommends "${need[@]}"
  scripts/build-web
  [ -x build/bin/qz_frames ] || cmake --build build --target qz_frames
  # The three stages share one install: again only when the lockfile moved.
  local stamp=tests/web/node_modules/.lockfile-sum sum
  sum=$(sha256sum tests/web/package-lock.json | cut -d' ' -f1)
  if [ "$(cat "$stamp" 2>/dev/null)" != "$sum" ]; then
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
    echo "$sum" >"$stamp"
  fi
}

web_check() {
  local root work status=0
  root=$(pwd)
  work=$(mktemp -d)
  node tests/web/check.mjs "$1" "$root/build-web/dist" "$root/build/dist/QZ_Quillwave2k.exe" \
    "$root/build/bin/qz_frames" "$work" "${@:2}" || status=$?
  rm -rf "$work"
  return "$status"
}
