#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the bundled
# sample catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target miaoyu

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "miaoyu is built (build/default/program/miaoyu), but there is no display to show its window on." >&2
  echo "Start it from a desktop session, or under a virtual one: xvfb-run -a build/default/program/miaoyu" >&2
  exit 1
fi
exec build/default/program/miaoyu
