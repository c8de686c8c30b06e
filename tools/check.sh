#!/bin/bash
# Builds Celvane and runs all its tests twice: a plain optimised build in
# build/, then an AddressSanitizer + UndefinedBehaviorSanitizer build in
# build-asan/ where any sanitizer report fails the run. Installs the Debian
# packages it needs (as root) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for pkg in cmake g++ make pkg-config libgtest-dev googletest nlohmann-json3-dev libsqlite3-dev \
  libboost-math-dev libcli11-dev parallel gnuplot-nox libedit-dev python3 python3-markdown man-db; do
  dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELVANE_TESTS=ON -DCELVANE_SANITIZE=OFF
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCELVANE_TESTS=ON -DCELVANE_SANITIZE=ON
cmake --build build-asan -j2
(cd build-asan &&
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --output-on-failure -j2)

echo "check.sh: all tests passed (plain and sanitized builds)"
