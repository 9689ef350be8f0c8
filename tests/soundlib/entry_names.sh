# Sourced by the export checks: the fifteen entry names of the table in
# base/sound_entries.h, sorted, one line, separated by spaces.
entry_names() {
  sed -n 's/^ *X([A-Za-z]*, \([A-Za-z_]*\), .*/\1/p' "$1" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}
