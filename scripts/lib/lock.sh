# One build folder, one builder at a time. Sourced. lock_folder DIR creates
# DIR and holds its lock until the script exits: test stages run side by
# side and several of them build the same folders (build/, build-web/).
lock_folder() {
  mkdir -p "$1"
  exec {qz_lock_fd}>"$1/.lock"
  flock "$qz_lock_fd"
}
