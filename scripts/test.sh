#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: with the
# release build and with AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
for preset in default asan; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
