#!/usr/bin/env bash
# Checks every include of the system's folders against the layer order.
# Usage: check_includes.sh SOURCE_DIR LAYER=LOWER,LOWER ...
# A file in a layer may include its own layer, the layers named after its
# '=', and the platform's role headers (platform/plat_*.h); nothing else of
# the project. Prints each include that breaks the rule and fails if any does.
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
        if [[ ! "$target" =~ ^platform/plat_[a-z_]+\.h$ ]]; then
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

if [ "$checked" -eq 0 ]; then
  echo "check_includes: no includes found" >&2
  exit 2
fi
exit "$bad"
