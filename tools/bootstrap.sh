# Shared set-up for ./run, ./test and the tools: install what is missing, then configure and
# build one of the builds CMakePresets.json names (dev, release, asan, fuzz, package).
# Sourced, not run.

# desktop-file-utils and appstream: the validators the install check runs; man-db: the check
# that the manual pages render without a warning.
TAMRIX_PACKAGES="cmake g++ make qt6-base-dev qt6-serialport-dev desktop-file-utils appstream man-db"
# The Linux build against Qt 5.15 (the qt5 preset), which keeps the source buildable for the
# 32-bit Windows build's Qt.
TAMRIX_QT5_PACKAGES="qtbase5-dev libqt5serialport5-dev"
# The Windows builds (the windows and windows-x86 presets, tools/windows-package and
# tools/windows-check): the MinGW-w64 compilers for 64- and 32-bit Windows, icoutils for the icon,
# cmark for the user guide's web page, NSIS for the installer, and Wine, 64- and 32-bit, with an X
# server of its own (xvfb-run needs xauth) for the tests. wine32 is the i386 architecture's
# (tamrix_install_missing adds that architecture).
TAMRIX_WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-i686-posix icoutils cmark nsis wine wine64 wine32:i386 xvfb xauth"

tamrix_install_missing() {
  local missing=() pkg
  for pkg in $TAMRIX_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  # 32-bit Wine comes from the i386 architecture, which apt then has to know.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    tamrix_as_root dpkg --add-architecture i386
  fi
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
