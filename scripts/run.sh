#!/usr/bin/env bash
# Sets up a fresh machine, builds Veldrix and starts it on its default SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DVELDRIX_BUILD_TESTS=OFF -DVELDRIX_BUILD_BENCH=OFF
exec build/bin/veldrix "$@"
