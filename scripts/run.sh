#!/usr/bin/env bash
# Installs what is missing, builds the program (not the tests and benchmarks), makes the sample
# database if the program folder has none, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: to run the program on a virtual display, use: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec build/bin/pirumoa
