#!/usr/bin/env bash
# Prepares the Windows build on a Debian machine: installs the MinGW-w64
# compilers, Wine and NSIS from Debian's packages; builds Qt for Windows from
# Debian's own qt6-base source package (the machine's Qt version, so that the
# machine's moc/rcc/uic serve as host tools) and GoogleTest from Debian's
# googletest sources, both once, into a cache folder outside the checkout;
# makes a Wine prefix of its own; then configures ./build-windows when needed
# and builds the targets named as arguments (everything when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/windows/env.sh
jobs=$(nproc)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

packages=(
  cmake ninja-build pkg-config xz-utils dpkg-dev
  qt6-base-dev qt6-base-dev-tools googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 nsis unzip ccache
  unixodbc tdsodbc fonts-dejavu-core fonts-wqy-microhei
)
source scripts/install-missing.sh
install_missing "${packages[@]}"
# The Qt version names the cache folder: read again once Qt is installed.
source scripts/windows/env.sh

toolchain=$root/cmake/mingw-w64-x86_64.cmake
mkdir -p "$tw_win_cache"

# Debian's source packages need a deb-src line for the machine's release;
# one is derived from the binary sources when apt knows none.
add_source_lines() {
  local list=/etc/apt/sources.list.d/tablewright-deb-src
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee "$list.sources" >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      "${sudo_cmd[@]}" tee "$list.list" >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -q
}

# Downloads source package $1 at version $2 into the current folder.
download_source() {
  if ! apt-cache showsrc "$1" 2>/dev/null | grep -qx "Version: $2"; then
    add_source_lines
  fi
  apt-get source --download-only "$1=$2"
}

build_qt() {
  [ -f "$tw_win_qt/.complete" ] && return
  echo "Building Qt $tw_qt_version for Windows into $tw_win_qt (once; see README.md for the time it takes)"
  # An interrupted build of the same version carries on where it stopped.
  local work=$tw_win_cache/qt-work
  if [ ! -f "$work/build/build.ninja" ] || [ "$(cat "$work/version" 2>/dev/null)" != "$tw_qt_version" ]; then
    configure_qt "$work"
  fi
  cmake --build "$work/build" -j"$jobs" >"$work/build.log"
  rm -rf "$tw_win_qt"
  cmake --install "$work/build" >/dev/null
  touch "$tw_win_qt/.complete"
  rm -rf "$work"
}

# Downloads the source package into folder $1 and configures the build there.
configure_qt() {
  local work=$1
  rm -rf "$work"
  mkdir -p "$work"
  (cd "$work" && download_source qt6-base "$tw_qt_version" && tar xf qt6-base_*.orig.tar.xz)
  local source
  source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qtbase*')
  # Only what the program and its tests use: Core, Gui, Widgets, Test, the
  # windows and offscreen platforms. The +dfsg tarball has no wintab, so
  # tablet events are off; direct2d stays on because the windows platform
  # plugin's font database needs it.
  cmake -S "$source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$tw_win_qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_doubleconversion=OFF >"$work/configure.log"
  echo "$tw_qt_version" >"$work/version"
}

build_googletest() {
  [ -f "$tw_win_gtest/.complete" ] && return
  echo "Building GoogleTest for Windows into $tw_win_gtest (once)"
  local work=$tw_win_cache/googletest-work
  rm -rf "$work" "$tw_win_gtest"
  cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$tw_win_gtest" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$work" -j"$jobs" >/dev/null
  cmake --install "$work" >/dev/null
  touch "$tw_win_gtest/.complete"
  rm -rf "$work"
}

# The offscreen platform reads its fonts from one flat folder: Latin and CJK.
make_font_folder() {
  mkdir -p "$tw_win_fonts"
  ln -sf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$tw_win_fonts/"
}

# A prefix of its own, reporting Windows 10.
make_wine_prefix() {
  [ -f "$WINEPREFIX/.complete" ] && return
  rm -rf "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  wineserver --wait
  touch "$WINEPREFIX/.complete"
}

build_qt
build_googletest
make_font_folder
make_wine_prefix

# The compiler cache serves every checkout on the machine: paths below the
# checkout count relative to it, so that a fresh clone elsewhere finds what an
# earlier one compiled.
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
if [ ! -f build-windows/build.ninja ]; then
  cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_FIND_ROOT_PATH="$tw_win_qt;$tw_win_gtest" \
    -DCMAKE_PREFIX_PATH="$tw_win_qt;$tw_win_gtest" >/dev/null
fi
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done
cmake --build build-windows -j"$jobs" "${targets[@]}"
