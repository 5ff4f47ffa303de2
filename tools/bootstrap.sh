# Shared set-up for ./run, ./test and the tools: install what is missing, then configure and
# build one of the builds CMakePresets.json names (dev, release, asan, fuzz, package).
# Sourced, not run.

# desktop-file-utils and appstream: the validators the install check runs; man-db: the check
# that the manual pages render without a warning.
TAMRIX_PACKAGES="cmake g++ make qt6-base-dev qt6-serialport-dev desktop-file-utils appstream man-db"
# The Windows build (the windows preset, tools/windows-package and tools/windows-check): the
# MinGW-w64 compilers, icoutils for the icon, cmark for the user guide's web page, NSIS for the
# installer, and Wine with an X server of its own (xvfb-run needs xauth) for the tests.
TAMRIX_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix icoutils cmark nsis wine wine64 xvfb xauth"

tamrix_install_missing() {
  local missing=() pkg
  for pkg in $TAMRIX_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  tamrix_as_root apt-get update -qq
  tamrix_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# tamrix_as_root COMMAND...: runs the command as root, through sudo when this is not root.
tamrix_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    command -v sudo >/dev/null || { echo "Need root or sudo for: $*" >&2; return 1; }
    sudo "$@"
  fi
}

# tamrix_configure PRESET [cmake options...]
tamrix_configure() {
  local preset=$1; shift
  cmake --preset "$preset" "$@" >/dev/null
}

# tamrix_compile PRESET [targets...]: what the build preset names (everything, for most) when no
# target is named.
tamrix_compile() {
  local preset=$1; shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build --preset "$preset" --parallel "$(nproc 2>/dev/null || echo 2)" "${targets[@]}"
}
