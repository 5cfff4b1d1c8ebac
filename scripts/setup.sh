#!/usr/bin/env bash
# Installs what the build needs from Debian's packages (only what is missing),
# configures ./build when it has not been configured yet, then builds the
# targets named as arguments (everything when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  unixodbc-dev tdsodbc freetds-bin
  dpkg-dev desktop-file-utils man-db
  fonts-wqy-microhei
  clang libclang-rt-dev libglib2.0-bin
)

# One query for all packages: a second start must cost next to nothing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | grep " install ok installed$" | cut -d' ' -f1 || true)
missing=()
for package in "${packages[@]}"; do
  grep -qx "$package" <<<"$installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Once configured, the build configures itself again when a CMakeLists.txt
# changes.
if [ ! -f build/CMakeCache.txt ] || { [ ! -f build/Makefile ] && [ ! -f build/build.ninja ]; }; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done
cmake --build build -j"$(nproc)" "${targets[@]}"
