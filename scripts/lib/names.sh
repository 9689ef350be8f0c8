# What base/ declares once and the stages need: the program's window title
# (base/names.h) in $names_title, for the stages that look for the window,
# and the frame's size (base/frame.h) in $names_frame_width and
# $names_frame_height. Sourced from the repository's root.
names_title=$(sed -n 's/^constexpr char DemoWindowTitle\[\] = "\(.*\)";$/\1/p' base/names.h)
names_frame_width=$(sed -n 's/^constexpr uint32_t FrameWidth = \([0-9]*\);.*$/\1/p' base/frame.h)
names_frame_height=$(sed -n 's/^constexpr uint32_t FrameHeight = \([0-9]*\);.*$/\1/p' base/frame.h)
if [ -z "$names_title" ] || [ -z "$names_frame_width" ] || [ -z "$names_frame_height" ]; then
  echo "no DemoWindowTitle in base/names.h, or no FrameWidth or FrameHeight in base/frame.h" >&2
  exit 1
fi
