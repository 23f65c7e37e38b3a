#!/usr/bin/env bash
# Renders the main window to docs/screenshot.png without a display (Qt's offscreen platform).
# Run through `make screenshot`, which builds the program first.
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen ./build/app/tickora-screenshot docs/screenshot.png
echo "wrote docs/screenshot.png"
