#!/usr/bin/env bash
# Checks every include of the system's folders against the layer order, and
# of the platform's backends against each other.
# Usage: check_includes.sh SOURCE_DIR LAYER=LOWER,LOWER ...
# A file in a layer may include its own layer, the layers named after its
# '=', and the platform's role headers (platform/plat_*.h); nothing else of
# the project. base/ stands on nothing: not even the role headers.
# A file of a backend (platform/NAME/) may include the role headers,
# platform/common/, its own folder and base/; common/ only the first two
# and base/. Prints each include that breaks a rule and fails if any does.
set -euo pipefail
cd "$1"
shift
declare -A allowed
for rule in "$@"; do
  layer=${rule%%=*}
  allowed[$layer]=" $layer ${rule#*=} "
  allowed[$layer]=${allowed[$layer]//,/ }
done
if [ "${#allowed[@]}" -lt 7 ]; then
  echo "check_includes: expected the seven layers, got: ${!allowed[*]}" >&2
  exit 2
fi

bad=0
checked=0

# The quoted includes of one file, one target a line.
includes() {
  grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$1" |
    sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' || [ $? -eq 1 ]
}

for layer in "${!allowed[@]}"; do
  while IFS= read -r file; do
    while IFS= read -r line; do
      target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
      checked=$((checked + 1))
      top=${target%%/*}
      if [ "$top" = "$target" ]; then
        echo "$file: include \"$target\" names no folder" >&2
        bad=1
      elif [ "$top" = platform ]; then
        if [ "$layer" = base ]; then
          echo "$file: includes $target; base/ includes nothing outside base/" >&2
          bad=1
        elif [[ ! "$target" =~ ^platform/plat_[a-z_]+\.h$ ]]; then
          echo "$file: includes $target; only the platform's role headers are allowed" >&2
          bad=1
        fi
      elif [[ "${allowed[$layer]}" != *" $top "* ]]; then
        echo "$file: $layer/ includes $target, but $layer may use only:${allowed[$layer]}" >&2
        bad=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || [ $? -eq 1 ])
  done < <(find "$layer" -name '*.h' -o -name '*.cpp' -o -name '*.c' | sort)
done

backends=0
for folder in platform/*/; do
  backend=$(basename "$folder")
  backends=$((backends + 1))
  while IFS= read -r file; do
    while IFS= read -r target; do
      checked=$((checked + 1))
      case "$target" in
        platform/plat_*.h | platform/common/* | "platform/$backend/"* | base/*) ;;
        platform/*)
          echo "$file: includes $target; a backend may use only the role headers, common/ and its own folder" >&2
          bad=1
          ;;
        */*)
          echo "$file: includes $target; the platform uses nothing of the project but base/" >&2
          bad=1
          ;;
        *)
          echo "$file: include \"$target\" names no folder" >&2
          bad=1
          ;;
      esac
    done < <(includes "$file")
  done < <(find "$folder" -name '*.h' -o -name '*.cpp' -o -name '*.c' | sort)
done
if [ "$backends" -lt 2 ]; then
  echo "check_includes: expected the platform's backends under platform/" >&2
  exit 2
fi

if [ "$checked" -eq 0 ]; then
  echo "check_includes: no includes found" >&2
  exit 2
fi
exit "$bad"
