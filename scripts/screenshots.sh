#!/usr/bin/env bash
# Takes the pictures in docs/screenshots: the program in a real window on a virtual X server,
# clicked through page by page on the embedded demo directory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default -G Ninja >/dev/null
cmake --build --preset default --target ostrel_screenshot_tour
xvfb-run -a -s "-screen 0 1280x1024x24" build/default/tools/ostrel_screenshot_tour docs/screenshots
