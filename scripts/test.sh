#!/usr/bin/env bash
# Sets up a fresh machine, builds Veldrix and runs every test: the unit and GUI
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# whole suite (unit, GUI under Xvfb, and server tests against the servers on loopback).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"

if [ -f scripts/test-servers.sh ]; then
  # Starts PostgreSQL and MariaDB on loopback and exports their connection settings.
  source scripts/test-servers.sh
fi

# The program itself is built too: a GUI test starts it.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELDRIX_SANITIZE=ON \
  -DVELDRIX_BUILD_BENCH=OFF
cmake --build build-asan --target unit_tests gui_tests --parallel "$jobs"
# The sanitizer build has no server tests.
ctest --test-dir build-asan --output-on-failure -j "$jobs"
# Only this run needs the sanitizer build; its disk goes to the main build.
rm -rf build-asan

bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$jobs"
