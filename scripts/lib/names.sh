# The program's window title as base/names.h declares it, in $names_title,
# for the stages that look for the window. Sourced from the repository's
# root.
names_title=$(sed -n 's/^constexpr char DemoWindowTitle\[\] = "\(.*\)";$/\1/p' base/names.h)
if [ -z "$names_title" ]; then
  echo "no DemoWindowTitle in base/names.h" >&2
  exit 1
fi
