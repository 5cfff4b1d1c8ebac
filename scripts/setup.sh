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

source scripts/install-missing.sh
install_missing "${packages[@]}"

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
