#!/usr/bin/env bash
# Installs what is missing, builds Ostrel and starts it on the embedded demo directory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh default ostrel # the program alone, not the tests
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Ostrel in a virtual X server (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/default/app/ostrel
fi
exec build/default/app/ostrel
