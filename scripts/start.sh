#!/usr/bin/env bash
# Builds pinrow.exe and starts the bar under Wine (LANG=ja_JP.UTF-8, a Wine
# prefix of its own under build/start). Installs what is missing first.
# Without a DISPLAY it runs the bar on Xvfb and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target pinrow driver
python3 scripts/run_bar.py "$@"
