#!/usr/bin/env bash
# Sets up a fresh machine, builds Veldrix and runs every test: the unit tests once
# more under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite
# (unit, GUI under Xvfb, and server tests against the servers on loopback).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"

if [ -f scripts/test-servers.sh ]; then
  # Starts PostgreSQL and MariaDB on loopback and exports their connection settings.
  source scripts/test-servers.sh
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELDRIX_SANITIZE=ON \
  -DVELDRIX_BUILD_BENCH=OFF -DVELDRIX_BUILD_APP=OFF
cmake --build build-asan --target unit_tests --parallel "$jobs"
ctest --test-dir build-asan -L unit --output-on-failure -j "$jobs"
# Only this run needs the sanitizer build; its disk goes to the main build.
rm -rf build-asan

bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$jobs"
